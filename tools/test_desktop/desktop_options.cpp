// test_desktop.exe's command line (see desktop_options.h).
#include "tools/test_desktop/desktop_options.h"

#include <cstdio>
#include <cstdlib>

#include "tools/test_desktop/protocol.h"

namespace testdesk {

DesktopOptions ParseOptions(int argc, char** argv) {
    DesktopOptions o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool hasValue = i + 1 < argc;
        if (a == "--items" && hasValue)
            o.items = argv[++i];
        else if (a == "--log" && hasValue)
            o.log = argv[++i];
        else if (a == "--dump" && hasValue)
            o.dump = argv[++i];
        else if (a == "--utf8")
            o.utf8 = true;
        else if (a == "--workerw")
            o.tree = DesktopTree::kWorkerW;
        else if (a == "--tree" && hasValue) {
            const std::string t = argv[++i];
            o.tree = t == "workerw"           ? DesktopTree::kWorkerW
                     : t == "defview-workerw" ? DesktopTree::kDefViewWorkerW
                     : t == "foreign-first"   ? DesktopTree::kForeignFirst
                                              : DesktopTree::kClassic;
        } else if (a == "--decoy")
            o.decoy = true;
        else if (a == "--hang-after" && hasValue)
            o.hangAfter = std::atoi(argv[++i]);
        else if (a == "--die-after" && hasValue)
            o.dieAfter = std::atoi(argv[++i]);
        else if (a == "--emulate-9x")
            o.emulate9x = true;
        else if (a == "--view-object" && hasValue)
            o.viewObject = ParseViewObjectMode(argv[++i]);
        else if (a == "--view-log" && hasValue)
            o.viewLog = argv[++i];
        else if (a == "--keep" && hasValue)
            o.keep = argv[++i];
        else if (a == "--size" && hasValue)
            std::sscanf(argv[++i], "%dx%d", &o.width, &o.height);
        else if (a == "--origin" && hasValue)
            std::sscanf(argv[++i], "%d,%d", &o.left, &o.top);
        else if (a == "--auto-arrange")
            o.autoArrange = true;
        else if (a == "--keeps-arranging")
            o.autoArrange = o.keepsArranging = true;
        else if (a == "--snap")
            o.snapToGrid = true;
        else if (a == "--hide-extensions")
            o.hideExtensions = true;
        else if (a == "--reorder-on-restart")
            o.reorderOnRestart = true;
        else if (a == kRestartedOption)
            o.restarted = true;
        else if (a == "--style-log" && hasValue)
            o.styleLog = argv[++i];
    }
    return o;
}

}  // namespace testdesk
