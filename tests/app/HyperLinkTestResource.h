// Identifiers of the test dialog that holds hyperlinks of every kind.
#pragma once

#define IDD_HYPERLINK_TEST 950
#define IDC_LINK_WWW 2001
#define IDC_LINK_EMPTY 2002
#define IDC_LINK_FTP 2003
#define IDC_LINK_FILE 2004
#define IDC_LINK_CENTRED 2005
#define IDC_LINK_RIGHT 2006
