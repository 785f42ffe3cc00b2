// Identifiers of the resources, menu commands and controls.
#ifndef BRINDLEWICK_RESOURCE_H
#define BRINDLEWICK_RESOURCE_H

// Resources
#define IDI_BRINDLEWICK             102
#define IDR_MAIN_MENU               103
#define IDD_ABOUT                   106
#define IDD_OPEN_COMMAND            111
#define IDD_FIND                    120

// Menu commands
#define IDM_SET_OPEN_COMMAND        110
#define IDM_LOAD_NEW_LISTING        115
#define IDM_LOAD_SUBSEQUENT_SCAN    116
#define IDM_SCAN_CACHE              40001
#define IDM_QUIT                    40002
#define IDM_ABOUT                   40003
#define IDM_REMOVE_DELETIONS        40005
#define IDM_SAVE_LISTING            40006
#define IDM_INCLUDE_STRAYS          40007
#define IDM_INCLUDE_COOKIES         40008
// Sent by the list view when a row is activated (double-click or Enter).
#define IDM_OPEN_ENTRY              40009
// The View menu and the shortcuts without a menu item of their own.
#define IDM_FIND                    40020
#define IDM_FIND_NEXT               40021
#define IDM_FIND_PREVIOUS           40022
#define IDM_SHOW_CHANGES_ONLY       40023

// Controls
#define IDC_LIST_VIEW               100
#define IDC_ABOUT_ICON              1002
#define IDC_OPEN_COMMAND            1003
// Find
#define IDC_FIND_TEXT               1100
#define IDC_FIND_MATCH_CASE         1101
#define IDC_FIND_NEXT               1102
#define IDC_FIND_PREVIOUS           1103
#define IDC_FIND_RESULT             1104

#endif
