// Identifiers of the resources, menu commands and controls.
#ifndef BRINDLEWICK_RESOURCE_H
#define BRINDLEWICK_RESOURCE_H

// Resources
#define IDI_BRINDLEWICK             102
#define IDR_MAIN_MENU               103
#define IDR_ACCELERATORS            104
#define IDD_ABOUT                   106
#define IDD_OPEN_COMMAND            111
#define IDD_FIND                    120
#define IDD_PROPERTIES              121

// Menu commands
#define IDM_SET_OPEN_COMMAND        110
#define IDM_LOAD_NEW_LISTING        115
#define IDM_LOAD_SUBSEQUENT_SCAN    116
#define IDM_SCAN_CACHE              40001
#define IDM_QUIT                    40002
#define IDM_ABOUT                   40003
#define IDM_STOP                    40004
#define IDM_REMOVE_DELETIONS        40005
#define IDM_SAVE_LISTING            40006
#define IDM_INCLUDE_STRAYS          40007
#define IDM_INCLUDE_COOKIES         40008
// Sent by the list view when a row is activated (double-click or Enter).
#define IDM_OPEN_ENTRY              40009
#define IDM_SAVE_BACKUP             40010
#define IDM_EXPORT_CSV              40011
#define IDM_COMPARE_BACKUP          40012
// The View menu and the shortcuts without a menu item of their own.
#define IDM_FIND                    40020
#define IDM_FIND_NEXT               40021
#define IDM_FIND_PREVIOUS           40022
#define IDM_SHOW_CHANGES_ONLY       40023
#define IDM_FILTER                  40024
// Acting on the rows shown.
#define IDM_SAVE_FILES_TO_FOLDER    40040
#define IDM_DELETE_ENTRY            40041
#define IDM_DELETE_SHOWN            40042
// The row menu ("Open" is IDM_OPEN_ENTRY).
#define IDM_OPEN_CONTAINING_FOLDER  40030
#define IDM_COPY_URL                40031
#define IDM_COPY_LOCAL_FILE         40032
#define IDM_COPY_ROW                40033
#define IDM_SAVE_CACHED_FILE        40034
#define IDM_PROPERTIES              40035

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
// Properties: one read-only field each
#define IDC_PROPERTY_URL            1110
#define IDC_PROPERTY_LOCAL_FILE     1111
#define IDC_PROPERTY_STATUS         1112
#define IDC_PROPERTY_SIZE           1113
#define IDC_PROPERTY_LAST_ACCESS    1114
#define IDC_PROPERTY_LAST_MODIFIED  1115
#define IDC_PROPERTY_LAST_SYNC      1116
#define IDC_PROPERTY_EXPIRES        1117
#define IDC_PROPERTY_HIT_RATE       1118
#define IDC_PROPERTY_USE_COUNT      1119
#define IDC_PROPERTY_EXEMPT         1120
#define IDC_PROPERTY_FLAGS          1121
#define IDC_PROPERTY_HEADER         1122
// The filter bar
#define IDC_FILTER_CAPTION          1130
#define IDC_FILTER_TEXT             1131
#define IDC_FILTER_CLOSE            1132

#endif
