// Resource and command identifiers shared by the .rc file and the code.
#pragma once

#define IDR_MAINFRAME 128
#define ID_APP_EXIT 57665  // also posted from outside by the setup program to close Vonu
