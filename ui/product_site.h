// The product's web site, for the windows (kept in the model so the setup program, which has
// no windows of the main program, names the same site).
#pragma once

#include "model/product_site.h"
