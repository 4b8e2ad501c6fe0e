// Capture of the current desktop icon arrangement as a new layout: the part of the
// remember command that comes after the title is settled (portable; the dialog side
// is the main dialog's remember command).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "desktop/desktop.h"
#include "desktop/scheme.h"
#include "store/layout_store.h"

namespace desktop {

enum class CaptureOutcome {
    NoView,    // no desktop list view: nothing stored, nothing to tell
    NoIcons,   // the view has no items: nothing stored
    Failed,    // no access context, or the view stopped answering: the title stays stored
               // at the new index, uncounted; no icon is stored
    Captured,  // one new layout at the end of the store
};

// Finds the view, counts its icons once, stores `title` at index GetCount() before
// the desktop is read, then appends one entry per icon, in item order, through one
// access context of `scheme` (names are read with the remote block only).
//
// The icons are read first and stored together once every read was answered: a view
// that stops answering (a hung or dying shell, Desktop::Lost) ends the capture as a
// failure with nothing stored but the uncounted title.
//
// An icon that vanishes between the count and its read is still given its entry, so
// that entries keep matching item indexes: its name is the empty string (what the read
// gives) and its position the one of the icon read before it, or (0, 0) when it is the
// first. No entry ever holds memory the list view did not write.
//
// On the NT family, with a `namer`, each icon keeps the shell's parsing name of it, where
// the namer has one.
class ParsingNamer;
CaptureOutcome CaptureLayout(Desktop& desktop, CLayoutStore& store, const std::string& title,
                             Scheme scheme, ParsingNamer* namer = nullptr);

// One icon as read: its text (empty in the shared scheme), its place, and the shell's
// parsing name of it where the shell's view object gave one (a file's full path,
// "::{CLSID}" for the Recycle Bin and the like).
struct ReadIcon {
    std::string name;
    int32_t x;
    int32_t y;
    std::wstring path;
};

// Where the shell offers its view object: the parsing names of the icons of a reading,
// one per icon (empty where it has none), or an empty vector when none could be had.
class ParsingNamer {
public:
    virtual ~ParsingNamer() = default;
    virtual std::vector<std::wstring> ParsingNames(const std::vector<ReadIcon>& reading) = 0;
};

// The reading a capture makes of items 0..n-1 of `view`, through one access context of
// `scheme`, with the rules told above for an icon that vanishes. False, with `icons`
// left empty, when no context opens or the view stops answering.
bool ReadIcons(Desktop& desktop, ViewId view, int n, Scheme scheme, std::vector<ReadIcon>& icons);
// The same through a context already open (a restore reads and moves through one).
bool ReadIconsWith(Desktop& desktop, AccessContext& context, int n, Scheme scheme,
                   std::vector<ReadIcon>& icons);

}  // namespace desktop
