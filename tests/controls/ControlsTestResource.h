// Identifiers of the test dialog, menu and toolbar of the control tests.
#pragma once

#define IDD_CONTROLS_TEST 950
#define IDC_TEST_NAME 951
#define IDC_TEST_START 1006
#define IDC_TEST_CHECK 953
#define IDC_TEST_MENU_BUTTON 954

#define IDR_TEST_MENU 960
#define ID_TEST_OPEN 961
#define ID_TEST_SAVE 962
#define ID_TEST_EXIT 963
#define ID_TEST_MORE 964
#define ID_TEST_DEEP 965

#define IDR_TEST_TOOLBAR 970
