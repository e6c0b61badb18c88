// Resource and command identifiers shared by the .rc file and the code.
#pragma once

#define IDR_MAINFRAME 128
#define IDD_DELETE_DOWNLOADS 200
#define IDC_DELETE_TEXT 201
#define IDC_DELETE_FILES 202

// The browser integration dialog (ui/browser.rc): row n (0 Chrome, 1 Edge, 2 Firefox,
// 3 Brave) has its label IDC_BI_LABEL + n, status line IDC_BI_STATUS + n and button
// IDC_BI_ADD + n; "Close" is IDCANCEL.
#define IDD_BROWSER_INTEGRATION 224
#define IDC_BI_LABEL 1280
#define IDC_BI_STATUS 1290
#define IDC_BI_ADD 1300
#define IDC_BI_REPAIR 1310
#define IDC_BI_NOTE 1311

// The progress window ("Download") and the completion window (ui/progress.rc): 500-699.
#define IDD_PROGRESS 500
#define IDC_PROGRESS_ADDRESS 501
#define IDC_PROGRESS_PATH 502
#define IDC_PROGRESS_STATUS 503
#define IDC_PROGRESS_SIZE 504
#define IDC_PROGRESS_DOWNLOADED 505
#define IDC_PROGRESS_SPEED 506
#define IDC_PROGRESS_REMAINING 507
#define IDC_PROGRESS_RESUMABLE 508
#define IDC_PROGRESS_BAR 509
#define IDC_PROGRESS_DETAILS 510
#define IDC_PROGRESS_PAUSE 511
#define IDC_PROGRESS_CANCEL 512  // not IDCANCEL: Escape only closes, Cancel also stops
#define IDC_PROGRESS_CONNECTIONS_LABEL 513
#define IDC_PROGRESS_CONNECTIONS_BAR 514
#define IDC_PROGRESS_CONNECTIONS 515
#define IDD_COMPLETE 600
#define IDC_COMPLETE_HEADING 601
#define IDC_COMPLETE_ADDRESS 602
#define IDC_COMPLETE_PATH 603
#define IDC_COMPLETE_SIZE 604
#define IDC_COMPLETE_DONT_SHOW 605
#define IDC_COMPLETE_OPEN_WITH 606
#define IDC_COMPLETE_OPEN_FOLDER 607
// The update dialog (ui/update.rc): 216 and 1200-1206.
#define IDD_UPDATE 216
#define IDC_UPDATE_HEADING 1200
#define IDC_UPDATE_VERSIONS 1201
#define IDC_UPDATE_NOTES 1202
#define IDC_UPDATE_LINK 1203
#define IDC_UPDATE_BAR 1204
#define IDC_UPDATE_STATUS 1205
#define IDC_UPDATE_SKIP 1206  // "Remind me later" / "Cancel" is IDCANCEL, "Update now" IDOK
// The add-from-address dialogs (ui/new_download.rc): 300-499.
#define IDD_ADDRESS 300
#define IDC_ADDRESS_EDIT 301
#define IDD_NEW_DOWNLOAD 310
#define IDC_ND_URL 311
#define IDC_ND_CATEGORY 312
#define IDC_ND_PATH 313
#define IDC_ND_BROWSE 314
#define IDC_ND_DESCRIPTION 315
#define IDC_ND_SIZE 316
#define IDC_ND_LATER 317  // "Save for Later"; "Download Now" is IDOK
#define IDD_QUEUE_CHOOSER 330
#define IDC_QC_QUEUE 331
#define IDD_DUPLICATE 340
#define IDC_DUP_TEXT 341
#define IDC_DUP_NEW_NAME 342  // choice 0
#define IDC_DUP_REPLACE 343   // choice 1
#define IDC_DUP_EXISTING 344  // choice 2
#define IDD_PROPERTIES 350
#define IDC_PR_ICON 351
#define IDC_PR_NAME 352
#define IDC_PR_TYPE 353
#define IDC_PR_STATUS 354
#define IDC_PR_SIZE 355
#define IDC_PR_PATH 356
#define IDC_PR_ADDRESS 357
#define IDC_PR_REFERER 358
#define IDC_PR_DESCRIPTION 359
#define IDC_PR_DATES 360
#define IDC_PR_OPEN 361
#define IDC_PR_OPEN_WITH 362
#define IDC_PR_OPEN_FOLDER 363
// The Scheduler, New queue and the turn-off countdown (ui/queues.rc): 700-799.
#define IDD_SCHEDULER 700
#define IDC_SCH_QUEUES 701
#define IDC_SCH_NEW 702
#define IDC_SCH_DELETE 703
#define IDC_SCH_NAME 704
#define IDC_SCH_STATUS 705
#define IDC_SCH_START_ON 706
#define IDC_SCH_START_TIME 707
#define IDC_SCH_ONCE 708
#define IDC_SCH_DAILY 709
#define IDC_SCH_DAY_FIRST 710  // Sun; Mon to Sat follow as 711-716
#define IDC_SCH_STOP_ON 717
#define IDC_SCH_STOP_TIME 718
#define IDC_SCH_MAX_ACTIVE 719
#define IDC_SCH_AFTER 720
#define IDC_SCH_START_NOW 721
#define IDC_SCH_STOP 722
#define IDC_SCH_APPLY 723  // "Close" is IDCANCEL, so Escape and the close box close too
#define IDD_NEW_QUEUE 740
#define IDC_NQ_NAME 741
#define IDD_TURN_OFF 760
#define IDC_TURN_OFF_TEXT 761
#define IDC_TURN_OFF_NOW 762

// Main window commands: menus, context menus, toolbar, keyboard and tray menu all send
// these as WM_COMMAND to the main window.
#define ID_APP_EXIT 57665  // also posted from outside by the setup program to close Vonu
#define ID_TASKS_ADD_DOWNLOAD 40001
#define ID_TASKS_BATCH 40002
#define ID_TASKS_BATCH_CLIPBOARD 40003
#define ID_TASKS_SITE_GRABBER 40004
#define ID_TASKS_IMPORT 40005
#define ID_TASKS_EXPORT 40006
#define ID_FILE_OPEN 40010
#define ID_FILE_OPEN_WITH 40011
#define ID_FILE_OPEN_FOLDER 40012
#define ID_FILE_RESUME 40013
#define ID_FILE_STOP 40014
#define ID_FILE_SHOW_PROGRESS 40015
#define ID_FILE_PROPERTIES 40016
#define ID_FILE_DELETE 40017
#define ID_DOWNLOADS_STOP_ALL 40020
#define ID_DOWNLOADS_DELETE_COMPLETED 40021
#define ID_DOWNLOADS_ADD_CATEGORY 40022
#define ID_DOWNLOADS_BROWSER 40023
#define ID_DOWNLOADS_LIMITER 40024
#define ID_DOWNLOADS_OPTIONS 40025
#define ID_QUEUES_START 40030
#define ID_QUEUES_STOP 40031
#define ID_QUEUES_SCHEDULER 40032
#define ID_QUEUES_NEW 40033
#define ID_QUEUES_DELETE 40034
#define ID_HELP_UPDATES 40040
#define ID_HELP_SUPPORT 40041
#define ID_HELP_ABOUT 40042
#define ID_LIST_REMOVE_FROM_QUEUE 40050
#define ID_TREE_EDIT_CATEGORY 40051
#define ID_TREE_DELETE_CATEGORY 40052
#define ID_TRAY_OPEN 40053
#define ID_LIST_SELECT_ALL 40054
#define ID_TRAY_RUN_DEFAULT_QUEUE 40055
#define ID_TRAY_PAUSE_DEFAULT_QUEUE 40056
// "Add to queue" submenu: ID_ADD_TO_QUEUE_BASE + queue id, for queue ids 1 to 100.
#define ID_ADD_TO_QUEUE_BASE 41000
#define ID_ADD_TO_QUEUE_LAST 41100

// The Options dialog, its six pages and the category, site login and connections per server
// dialogs (ui/options.rc): 1400-1599. The pages are child dialogs inside the tab control;
// their control ids are unique across all six, so a page's control is found by id alone.
#define IDD_OPTIONS 1400
#define IDC_OPT_TABS 1401
#define IDD_OPT_CONNECTION 1410
#define IDC_OPT_MAX_CONN 1411
#define IDC_OPT_MAX_ACTIVE 1412
#define IDC_OPT_LIMITER_ON 1413
#define IDC_OPT_SPEED_LIMIT 1414
#define IDC_OPT_MAX_PER_SERVER 1415
#define IDC_OPT_EXCEPTIONS 1416
#define IDD_OPT_SAVE_TO 1420
#define IDC_OPT_BASE_DIR 1421
#define IDC_OPT_BASE_DIR_BROWSE 1422
#define IDD_OPT_DOWNLOADS 1430
#define IDC_OPT_SHOW_PROGRESS 1431
#define IDC_OPT_SHOW_COMPLETE 1432
#define IDC_OPT_CLIPBOARD 1433
#define IDC_OPT_MIN_TO_TRAY 1434
#define IDC_OPT_LANGUAGE 1435
#define IDC_OPT_CHECK_UPDATES 1436
#define IDC_OPT_SOUND 1437
#define IDC_OPT_RUN_AT_START 1438
#define IDD_OPT_PROXY 1440
#define IDC_OPT_PROXY_SYSTEM 1441  // the four choices are 1441-1444 in ProxyMode order
#define IDC_OPT_PROXY_NONE 1442
#define IDC_OPT_PROXY_NAMED 1443
#define IDC_OPT_PROXY_PAC 1444
#define IDC_OPT_PROXY_SERVER 1445
#define IDC_OPT_PAC_URL 1446
#define IDD_OPT_LOGINS 1450
#define IDC_OPT_LOGIN_LIST 1451
#define IDC_OPT_LOGIN_ADD 1452
#define IDC_OPT_LOGIN_EDIT 1453
#define IDC_OPT_LOGIN_REMOVE 1454
#define IDD_OPT_ANTIVIRUS 1460
#define IDC_OPT_SCAN_ON 1461
#define IDC_OPT_SCAN_EXE 1462
#define IDC_OPT_SCAN_BROWSE 1463
#define IDC_OPT_SCAN_ARGS 1464
#define IDC_OPT_SCAN_DEFENDER 1465
#define IDD_CATEGORY 1500
#define IDC_CAT_NAME 1501
#define IDC_CAT_TYPES 1502
#define IDC_CAT_FOLDER 1503
#define IDC_CAT_BROWSE 1504
#define IDD_SITE_LOGIN 1520
#define IDC_LOGIN_SITE 1521
#define IDC_LOGIN_USER 1522
#define IDC_LOGIN_PASSWORD 1523
#define IDD_SERVER_LIMITS 1540
#define IDC_LIMIT_LIST 1541
#define IDC_LIMIT_SERVER 1542
#define IDC_LIMIT_NUMBER 1543
#define IDC_LIMIT_ADD 1544
#define IDC_LIMIT_REMOVE 1545
