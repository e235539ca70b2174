// Resource and command ids, shared by lumaset.rc and the code. Plain
// #defines so that windres can read them.
#pragma once

// Dialogs, menus, bitmaps, icon, accelerators
#define IDI_LUMASET 103
#define IDM_MAINMENU 102
#define IDD_PROPERTIES 104
#define IDA_ACCELERATORS 105
#define IDB_TOOLBAR 106
#define IDD_ABOUT 107
#define IDD_INDEX_LIST 108
#define IDD_INDEX 109
#define IDB_INDEX_MEMBER 110
#define IDB_INDEX_NOT_MEMBER 111
#define IDD_MESSAGE_FORMAT 112
// The bitmaps drawn again at 150 % and 200 %, for high DPI.
#define IDB_TOOLBAR_150 113
#define IDB_TOOLBAR_200 114
#define IDB_INDEX_MEMBER_150 115
#define IDB_INDEX_MEMBER_200 116
#define IDB_INDEX_NOT_MEMBER_150 117
#define IDB_INDEX_NOT_MEMBER_200 118
#define IDD_SYNTAX_TEST 130
#define IDD_PROBLEMS 131

// Commands
#define IDM_FILE_NEW 40001
#define IDM_FILE_OPEN 40002
#define IDM_FILE_SAVE 40003
#define IDM_FILE_SAVE_AS 40004
#define IDM_FILE_EXIT 40005
#define IDM_EDIT_CUT 40007
#define IDM_EDIT_COPY_ONE 40008
#define IDM_EDIT_PASTE 40009
#define IDM_EDIT_DELETE 40010
#define IDM_EDIT_COPY_TREE 40011
#define IDM_EDIT_PASTE_CHILD 40012
#define IDM_ORDER_UP 40013
#define IDM_ORDER_DOWN 40014
#define IDM_EDIT_NEW_SYNTAX 40015
#define IDM_EDIT_NEW_CHILD 40016
#define IDM_HELP_CONTENTS 40017
#define IDM_HELP_ABOUT 40018
#define IDM_FILE_CLOSE 40038
#define IDM_INDEX_EDIT 40039
#define IDM_EDIT_UNDO 40041
#define IDM_EDIT_REDO 40042
#define IDM_EDIT_FIND 40043
#define IDM_EDIT_FIND_NEXT 40044
#define IDM_EDIT_FIND_PREVIOUS 40045
// The test window and the problems list
#define IDM_TOOLS_TEST_SYNTAX 40060
#define IDM_TOOLS_PROBLEMS 40061
#define IDM_TOOLS_NEXT_PROBLEM 40062
#define IDM_VIEW_STATUS_BAR 40063

// Pattern help menus of the ">>" buttons (results of the menus only)
#define IDM_PATTERN_CAPTURE 40019
#define IDM_PATTERN_LINE_START 40020
#define IDM_PATTERN_LINE_END 40021
#define IDM_PATTERN_ANY 40022
#define IDM_PATTERN_ZERO_OR_MORE 40023
#define IDM_PATTERN_ONE_OR_MORE 40024
#define IDM_PATTERN_ZERO_OR_ONE 40025
#define IDM_PATTERN_IN_SET 40026
#define IDM_PATTERN_NOT_IN_SET 40027
#define IDM_PATTERN_LINE_BREAK 40028
#define IDM_PATTERN_TYPED_START 40029
#define IDM_PATTERN_TITLE_SEPARATOR 40030
#define IDM_TITLE_CAPTURE 40031
#define IDM_TITLE_PART_0 40032
#define IDM_TITLE_PART_1 40033
#define IDM_TITLE_PART_2 40034
#define IDM_TITLE_PART_3 40035
#define IDM_TITLE_PART_4 40036
#define IDM_TITLE_PART_5 40037
#define IDM_TITLE_TRANSPARENT 40040

// Recent files in the File menu: a separator, then one item per entry
#define IDM_RECENT_SEPARATOR 1000
#define IDM_RECENT_FIRST 1001
#define IDM_RECENT_LAST 1005

// Main window children
#define IDC_TOOLBAR 1
#define IDC_STATUS_BAR 2

// About box (dialog 107)
#define IDC_ABOUT_ICON 1060

// Property pane (dialog 104)
#define IDC_NAME 1000
#define IDC_PATTERN 1001
#define IDC_INTERRUPTING 1002
#define IDC_COLOUR_LINES 1003
#define IDC_COLOUR_LINES_SPIN 1004
#define IDC_EXIT_PATTERN 1005
#define IDC_TITLE 1006
#define IDC_PATTERN_HELP 1007
#define IDC_EXIT_PATTERN_HELP 1008
#define IDC_TITLE_HELP 1009
#define IDC_JUMP_TO_CHILD 1015
#define IDC_MESSAGE_SYNTAX 1016
#define IDC_MESSAGE_FORMAT 1017
#define IDC_TITLE_CHECK 1018   // the title's compile check line
#define IDC_PATTERN_CHECK 1019       // the patterns' reading check lines
#define IDC_EXIT_PATTERN_CHECK 1020
#define IDC_PROPERTIES_HELP 3   // not IDHELP (9): the pane's buttons are 1, 2, 3

// Index list (dialog 108)
#define IDC_INDEX_LIST 1012
#define IDC_INDEX_PROPERTIES 1013
#define IDC_INDEX_ADD 1014
#define IDC_INDEX_DELETE 1015

// Index (dialog 109)
#define IDC_INDEX_TREE 559
#define IDC_INDEX_NAME 579

// Message format (dialog 112)
#define IDC_MF_ALLOW_COMMENT 1021
#define IDC_MF_CHECK_DATE 1025
#define IDC_MF_UP_ARROW_COMMENT 1031
#define IDC_MF_CHECK_NUMBER 1034
#define IDC_MF_NUMBER 1035
#define IDC_MF_DATE 1036
#define IDC_MF_COMMENT 1037
#define IDC_MF_HELP 3
#define IDC_MF_NUMBER_CHECK 1038  // compile check lines under the three patterns
#define IDC_MF_DATE_CHECK 1039
#define IDC_MF_COMMENT_CHECK 1040

// Syntax test window (dialog 130)
#define IDC_ST_SAMPLE 1101
#define IDC_ST_CAPTURE 1102
#define IDC_ST_SYNTAX 1103
#define IDC_ST_RESULT 1104
#define IDC_ST_MATCHES 1105

// Problems list (dialog 131)
#define IDC_PR_LIST 1111
#define IDC_PR_COUNT 1112

// Private window messages (WM_USER based)
#define WMU_ACTIVATE_PANE (0x0400)          // to the main window
#define WMU_RECENT_FILES_CHANGED (0x0400 + 100)  // to every main window
#define WMU_OPEN_HELP_MENU (0x0400 + 100)        // to a ">>" button of the pane: its menu, as from the keyboard
#define WMU_TERMINAL_POSITION (0x0400 + 77)     // to the terminal's frame window

// Help contexts in LUMASET.HLP
#define HELP_CONTEXT_MESSAGE_FORMAT 100
#define HELP_CONTEXT_PROPERTIES 101
