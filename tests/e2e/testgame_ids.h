// Resource ids of the test game's fixture dialog, shared by testgame.cpp and testgame.rc.
#pragma once

#define IDD_FIXTURE 200
#define IDC_FIXTURE_TEXT 1000
#define IDC_FIXTURE_LIST 1001
#define IDC_FIXTURE_EDIT 1004
