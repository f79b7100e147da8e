// Resource identifiers of Talvory.
#pragma once

#define IDS_ABOUTBOX            101
#define IDD_TALVORY_DIALOG      102
#define IDD_ADD_PHRASE          132
#define IDD_ABOUTBOX            133
#define IDR_TRAY_MENU           137
#define IDI_FRAME_1             146
#define IDI_FRAME_2             135
#define IDI_FRAME_3             150
#define IDI_FRAME_4             138
#define IDI_FRAME_5             139
#define IDD_ADD_CATEGORY        151
#define IDD_DELETE_CATEGORY     152
#define IDD_FIND_PHRASE         153
#define IDB_ABOUT_PICTURE       1002

// Phrase editor
#define IDC_PHRASE_COMBO        1000
#define IDC_CONTENT_EDIT        1001
#define IDC_ADD_NEW_PHRASE      1002
#define IDC_SAVE                1003
#define IDC_CATEGORY_COMBO      1005
#define IDC_DELETE_PHRASE       1011

// Add New Phrase
#define IDC_ADD_CATEGORY_COMBO  1005
#define IDC_SHORTCUT_EDIT       1006
#define IDC_ADD_CONTENT_EDIT    1007

// Category dialogs
#define IDC_CATEGORY_NAME       1012
#define IDC_DELETE_COMBO        1013

// Find phrase
#define IDC_FIND_TEXT           1030
#define IDC_FIND_LIST           1031

// About box
#define IDC_ABOUT_PICTURE       1020

// Tray menu commands
#define ID_TOOLBOX_EDIT_PHRASE      50001
#define ID_TOOLBOX_ADD_PHRASE       50003
#define ID_TOOLBOX_EXIT             50004
#define ID_TOOLBOX_ABOUT            50005
#define ID_TOOLBOX_ADD_CATEGORY     50019
#define ID_TOOLBOX_DELETE_CATEGORY  50020

// The phrase editor's system-menu command for the About box.
#define IDM_ABOUTBOX            0x0010
