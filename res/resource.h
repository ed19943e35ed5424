// Resource identifiers shared by the .rc file and the code.
#pragma once

#define IDR_MAINFRAME 128 // application icon group

#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101 // text of the system menu's About entry
#define IDD_QUARNEVENTLOGCONFIGURATION_DIALOG 102
#define IDD_ADD_SUBSYSTEM 103

#define IDM_ABOUTBOX 0x0010 // system menu command of the About entry

// Main dialog controls
#define IDC_TREE 1000
#define IDC_USE_DEFAULT_LEVEL 1001
#define IDC_COMBO_LEVEL 1002
#define IDC_EDIT_LEVEL_DESCRIPTION 1003
#define IDC_USE_DEFAULT_TYPE 1004
#define IDC_COMBO_TYPE 1005
#define IDC_EDIT_TYPE_DESCRIPTION 1006
#define IDC_EDIT_INDEX 1010
#define IDC_ADD_SUBSYSTEM 1011
#define IDC_STATIC_LEVEL_LABEL 1013
#define IDC_STATIC_TYPE_LABEL 1014
#define IDC_STATIC_FRAME 1015
#define IDC_STATIC_TITLE 1016
#define IDC_STATIC_NOTE 1017
#define IDC_EDIT_EXPIRE_DAYS 1018
#define IDC_APPLY 1019

// Add dialog controls
#define IDC_EDIT_SUBSYSTEM_NAME 1012

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
