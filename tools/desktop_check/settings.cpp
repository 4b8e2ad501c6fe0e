// Reading the desktop's arrangement settings (see settings.h).
#include "tools/desktop_check/settings.h"

#include <commctrl.h>
#include <shobjidl.h>

#include <cstdio>
#include <memory>

#include "tools/test_desktop/view_object/desktop_view.h"
#include "win/com.h"
#include "win/thread.h"

namespace check {

namespace {
constexpr DWORD kMessageTimeoutMs = 5000;
constexpr DWORD kViewTimeoutMs = 5000;

std::string Hex(unsigned long value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%lx", value);
    return text;
}

struct FlagsAnswer {
    HRESULT hr = E_FAIL;
    DWORD flags = 0;
    bool reached = false;  // the desktop's view offered IFolderView2
};

// On a thread of its own, so that a shell that does not answer holds nobody: the answer
// is shared with the thread, which may outlive the wait.
void ReadFolderFlags(Settings& settings) {
    auto answer = std::make_shared<FlagsAnswer>();
    win::Thread thread;
    const bool started = thread.Start([answer] {
        const win::ComApartment com(COINIT_APARTMENTTHREADED);
        win::UniqueCom<IShellView> view = testdesk::FindDesktopShellView();
        win::UniqueCom<IFolderView2> flags;
        if (!com || !view || FAILED(view.QueryTo(flags))) return;
        answer->reached = true;
        answer->hr = flags->GetCurrentFolderFlags(&answer->flags);
    });
    if (!started || !thread.WaitFor(kViewTimeoutMs, win::Thread::Wait::kBlocked)) {
        settings.flagsProblem = "no answer from the desktop's view within 5 s";
        return;
    }
    if (!answer->reached)
        settings.flagsProblem = "the desktop's view (IFolderView2) cannot be reached";
    else if (FAILED(answer->hr))
        settings.flagsProblem = "GetCurrentFolderFlags failed with " + Hex(answer->hr);
    else
        settings.folderFlags = answer->flags;
}
}  // namespace

bool Settings::AutoArranges() const { return (style & LVS_AUTOARRANGE) != 0; }
bool Settings::Snaps() const { return (exStyle & LVS_EX_SNAPTOGRID) != 0; }

Settings ReadSettings(HWND view) {
    Settings settings;
    settings.style = static_cast<DWORD>(GetWindowLongPtrA(view, GWL_STYLE));
    DWORD_PTR ex = 0;
    SendMessageTimeoutA(view, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0, SMTO_ABORTIFHUNG,
                        kMessageTimeoutMs, &ex);
    settings.exStyle = static_cast<DWORD>(ex);
    ReadFolderFlags(settings);
    return settings;
}

std::string Describe(const Settings& s) {
    std::string text = std::string("auto arrange ") + (s.AutoArranges() ? "on" : "off") +
                       ", snap to grid " + (s.Snaps() ? "on" : "off") + " (style " + Hex(s.style) +
                       ", extended style " + Hex(s.exStyle) + "), folder flags ";
    if (!s.folderFlags) return text + "not read: " + s.flagsProblem;
    return text + Hex(*s.folderFlags) + " (auto arrange " +
           ((*s.folderFlags & FWF_AUTOARRANGE) ? "on" : "off") + ")";
}

}  // namespace check
