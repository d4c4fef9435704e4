// Identifiers of the test dialog that exercises the framework.
#pragma once

#define IDD_FRAMEWORK_TEST 900
#define IDC_TEST_EDIT 901
#define IDC_TEST_OWNERDRAW 902
#define IDC_TEST_NOTIFY_STATIC 903
#define IDC_TEST_PLAIN_STATIC 904
#define IDC_TEST_VARIABLE_LIST 905
#define IDC_TEST_MISSING 999
