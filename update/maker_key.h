// The maker's public key, built into the program: the only key whose signature makes an
// update description acceptable. Its private half is held by whoever signs the releases,
// outside this project. The blob is stored once, as a whole, in the program's read-only data.
#pragma once

#include "update/update_signature.h"

namespace vonu {

VerificationKey MakerVerificationKey();

}  // namespace vonu
