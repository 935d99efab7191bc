#pragma once
// Resource ids of the launcher: the icon, the dialog templates and every control id.
// Shared by launcher.rc (compiled by windres) and the C++ code, so preprocessor only.

// Icon
#define IDI_LAUNCHER 128

// Dialog templates
#define IDD_SETUP 129            // setup dialog
#define IDD_BROWSE_FOLDER 130    // older folder chooser (open-file dialog template)
#define IDD_COPY_PROGRESS 131    // copy progress
#define IDD_STARTUP_MESSAGE 132  // start-up message

// Setup dialog (129)
#define IDC_INSTRUCTIONS 1000
#define IDC_COMPONENTS 1001
#define IDC_DESCRIPTION 1002
#define IDC_BROWSE 1003
#define IDC_DESTINATION 1004
#define IDC_REQUIRED 1005
#define IDC_AVAILABLE 1006
#define IDC_MORE_LESS 1007
#define IDC_FILES_LABEL 1008
#define IDC_DESTINATION_FRAME 1009
#define IDC_REQUIRED_LABEL 1010
#define IDC_AVAILABLE_LABEL 1011
#define IDC_DESCRIPTION_FRAME 1012

// Copy progress (131)
#define IDC_PROGRESS 1013
#define IDC_FROM 1016
#define IDC_TO 1017

// Start-up message (132)
#define IDC_DONT_SHOW_AGAIN 1018
#define IDC_PICTURE 1019

// Older folder chooser (130): the ids the platform's open-file dialog gives its controls.
#define IDC_BROWSE_HELP 1038          // "&Help" push button
#define IDC_BROWSE_READ_ONLY 1040     // "&Read only" check box (hidden)
#define IDC_BROWSE_FOLDER_TEXT 1088   // current folder
#define IDC_BROWSE_TYPE_LABEL 1089    // "List files of &type:" (hidden)
#define IDC_BROWSE_NAME_LABEL 1090    // "File &name:" (hidden)
#define IDC_BROWSE_DRIVES_LABEL 1091  // "Dri&ves:"
#define IDC_BROWSE_FILE_LIST 1120     // file list (hidden)
#define IDC_BROWSE_FOLDER_LIST 1121   // folder list
#define IDC_BROWSE_TYPE_COMBO 1136    // file type combo box (hidden)
#define IDC_BROWSE_DRIVE_COMBO 1137   // drive combo box
#define IDC_BROWSE_NAME_EDIT 1152     // file name edit (hidden)

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
