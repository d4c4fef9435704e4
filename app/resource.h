// Resource identifiers of the program, shared by marlin.rc and the C++ code.
#pragma once

#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_MARLIN_DIALOG 102
#define IDR_MAINFRAME 128
#define IDD_APP_MESSAGE_BOX 133
#define IDI_FOLDER 135

#define IDC_FILE_NAME 1000
#define IDC_BROWSE 1001
#define IDC_TABLE_NAME 1003
#define IDC_LOG_LIST 1005
#define IDC_START_STOP 1006
#define IDC_PROGRESS 1011
#define IDC_USER_NAME 1013
#define IDC_PASSWORD 1014
#define IDC_DATABASE 1015
#define IDC_SITE_LINK 1016
#define IDC_OUTER_FRAME 1018
#define IDC_CONNECT_GROUP 1019
#define IDC_TYPED_COLUMNS 1020
#define IDC_MESSAGE_TEXT 1032

// The About item the main dialog adds to its system menu (system command ids have their low
// four bits free).
#define IDM_ABOUTBOX 0x0010

// The maker's name and web page, the same in every dialog. The address is a documentation
// domain reserved by RFC 2606: the program has no web site of its own, and a made-up
// domain could belong to somebody else.
#define MARLIN_MAKER_NAME "The Marlin team"
#define MARLIN_SITE_ADDRESS "www.example.org"
#define MARLIN_NOTICE_LINE "Copyright (C) 2026 The Marlin team"
