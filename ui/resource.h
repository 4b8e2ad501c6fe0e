// Resource identifiers of TORVINEL.EXE, shared by the .rc files, the code and the tests.
#pragma once

#include "win/framework_ids.h"

// Dialog templates
#define IDD_ABOUT 100
#define IDD_MAIN 102
#define IDD_TITLE 129

// Menu and icon
#define IDR_MAINFRAME 128
#define IDR_MAINMENU 130

// Controls of IDD_MAIN
#define IDC_REMEMBER 1000
#define IDC_RESTORE 1001
#define IDC_DELETE 1002
#define IDC_LAYOUT_LIST 1003
#define IDC_FUN_RESTORE 1005

// Controls of IDD_TITLE
#define IDC_TITLE 1004

// Menu commands
#define ID_FILE_QUIT 32771
#define ID_HELP_ABOUT 32772

// System-menu command
#define IDM_ABOUTBOX 0x0010

// Strings
#define IDS_ABOUTBOX 101
#define IDS_FUN_RESTORE 102
#define IDS_ABORT 103
#define IDS_RESTORE 104
#define IDS_FASTER 105

// Posted by the restore worker when it has finished (WM_USER + 100); wParam: how it
// ended (restore::RestoreOutcome).
#define WM_RESTORE_DONE 0x0464
// Posted to itself by the main dialog when it opens with a notice to show (WM_USER + 101).
#define WM_SHOW_NOTICE 0x0465
// Sent by the restore worker before its first move (WM_USER + 102): lParam points to
// the reading to keep as the arrangement before the restore; the answer 1 lets the
// restore move, 0 refuses.
#define WM_RESTORE_BEFORE 0x0466
