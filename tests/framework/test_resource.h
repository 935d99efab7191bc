#pragma once
// Ids of the framework tests' own dialog template.
#define IDD_TEST 300
#define IDC_TEST_EDIT 400
#define IDC_TEST_CHECK 401
#define IDC_TEST_LIST 402
#define IDC_TEST_PROGRESS 403
#define IDC_TEST_BUTTON 405
