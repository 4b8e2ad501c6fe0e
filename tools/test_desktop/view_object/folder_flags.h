// The view object's folder flags (FOLDERFLAGS, as IFolderView2 gets and sets them), in
// step with the list view both ways: FWF_AUTOARRANGE is the list view's LVS_AUTOARRANGE,
// read from its style whenever asked and written to it when set. The flags the view
// object is told are kept in a file over a restart, as the shell keeps its view's
// settings; a style changed on the list view alone is not kept (our model, as for the
// places in kept_places.h). One line in the file: the flags in hex.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace testdesk {

// What the desktop's view answers before it is told anything.
constexpr DWORD kDesktopFolderFlags = 0x20;  // FWF_DESKTOP

// The flags an earlier process kept in `path`, if any: they decide the list view's
// LVS_AUTOARRANGE at the start.
std::optional<DWORD> KeptFolderFlags(const std::string& path);
// From now on the flags are those of `listView`, starting from `flags`, told ones kept in
// `keptPath` (empty: none kept). A desktop that `keepsArranging` never lets
// FWF_AUTOARRANGE go (and its list view puts LVS_AUTOARRANGE back itself).
void StartFolderFlags(HWND listView, DWORD flags, const std::string& keptPath, bool keepsArranging);
DWORD CurrentFolderFlags();
// SetCurrentFolderFlags: the bits of `mask` become those of `flags`; FWF_AUTOARRANGE
// goes to the list view's style. Call it on the list view's thread.
void SetFolderFlags(DWORD mask, DWORD flags);

}  // namespace testdesk
