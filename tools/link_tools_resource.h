// Dialog and control identifiers of the link tools' dialogs (tools/link_tools.rc).
#pragma once

// The site grabber, "File Finder". "Close" is IDCANCEL.
#define IDD_SITE_GRABBER 212
#define IDC_SG_START 1140
#define IDC_SG_DEPTH 1141
#define IDC_SG_STAY 1142
#define IDC_SG_TYPES 1143
#define IDC_SG_FIND 1144
#define IDC_SG_STATUS 1145
#define IDC_SG_LIST 1146
#define IDC_SG_ALL 1147
#define IDC_SG_NONE 1148
#define IDC_SG_DOWNLOAD 1149
#define IDC_SG_QUEUE 1150

// The batch list dialog, "Batch download". "Cancel" is IDCANCEL.
#define IDD_BATCH_LIST 217
#define IDC_BL_LIST 1210
#define IDC_BL_STATUS 1211
#define IDC_BL_ALL 1212
#define IDC_BL_NONE 1213
#define IDC_BL_QUEUE 1214
#define IDC_BL_DOWNLOAD 1215
#define IDC_BL_ADD 1216

// The batch address dialog, "Add batch download". OK and Cancel are IDOK and IDCANCEL.
#define IDD_BATCH_ADDRESS 218
#define IDC_BA_PATTERN 1220
#define IDC_BA_FROM 1221
#define IDC_BA_TO 1222
#define IDC_BA_DIGITS 1223
#define IDC_BA_FIRST 1224
#define IDC_BA_LAST 1225
