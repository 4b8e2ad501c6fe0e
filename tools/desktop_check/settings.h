// The desktop's arrangement settings, read and never changed: the list view's style and
// extended style (auto arrange, snap to grid) and the view object's folder flags, where
// the shell lets them be read (IFolderView2, within a few seconds).
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace check {

struct Settings {
    DWORD style = 0;    // GWL_STYLE
    DWORD exStyle = 0;  // LVM_GETEXTENDEDLISTVIEWSTYLE
    std::optional<DWORD> folderFlags;
    std::string flagsProblem;  // why the folder flags could not be read

    bool AutoArranges() const;
    bool Snaps() const;
};

Settings ReadSettings(HWND view);
// "auto arrange on, snap to grid off (style 0x.., extended style 0x..), folder flags 0x..
// (auto arrange on)", or why the flags are not known.
std::string Describe(const Settings& settings);

}  // namespace check
