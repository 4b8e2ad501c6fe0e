// Identifiers the thin framework itself uses; the program's resources define texts and
// commands for them (this header is also read by the resource compiler: #defines only).
#pragma once

// The help command that F1 sends to the main window.
#define ID_HELP 57670  // 0xE146

// String shown when the help viewer cannot be started.
#define AFX_IDP_FAILED_TO_LAUNCH_HELP 0xF107
