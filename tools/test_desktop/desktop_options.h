// test_desktop.exe's command line (see protocol.h for what each option means).
#pragma once

#include <string>

#include "tools/test_desktop/view_object/view_mode.h"

namespace testdesk {

enum class DesktopTree { kClassic, kWorkerW, kDefViewWorkerW, kForeignFirst };

struct DesktopOptions {
    std::string items, log, dump, viewLog, keep, styleLog;
    ViewObjectMode viewObject = ViewObjectMode::kNone;
    bool utf8 = false;
    DesktopTree tree = DesktopTree::kClassic;
    bool decoy = false;
    int hangAfter = -1;
    int dieAfter = -1;
    bool emulate9x = false;
    int width = 0, height = 0;      // 0: the screen's
    int left = 0, top = 0;          // where the desktop's windows stand on the screen
    bool autoArrange = false;       // the list view arranges its icons itself
    bool keepsArranging = false;    // and puts LVS_AUTOARRANGE back when it is taken away
    bool snapToGrid = false;        // the list view starts with LVS_EX_SNAPTOGRID
    bool hideExtensions = false;    // names shown without extensions (hidden_extensions.h)
    bool reorderOnRestart = false;  // a restarted process lists its items in reverse
    bool restarted = false;         // this process was started by a restart
};

// Unknown arguments and options without their value are ignored.
DesktopOptions ParseOptions(int argc, char** argv);

}  // namespace testdesk
