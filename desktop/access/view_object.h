// The shell's own record of where desktop icons stand. On Windows 10 1809 and later a
// position set through the list view shows, but the shell does not keep it: after
// signing out the icon goes back. Telling the desktop's view object (IFolderView)
// the same positions makes the shell keep them. Best effort: wherever the chain is
// missing or fails, nothing happens and nothing is shown.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "desktop/capture/capture.h"
#include "desktop/placed_icon.h"

namespace desktop {

// The desktop's view object made ready to be told, while the restore reads and moves:
// the chain, every item ID and name in view order, and the offset between the view's
// coordinates and the list view's. Needs COM on the calling thread, which must also be
// the one that uses it.
class ViewObject {
public:
    ViewObject();
    ~ViewObject();
    ViewObject(const ViewObject&) = delete;
    ViewObject& operator=(const ViewObject&) = delete;

    // The chain was found and the view's items read.
    bool Ready() const;

    // Takes auto arrange off as the user's own setting (IFolderView2's folder flags), if
    // `mayCall` (asked right before the call, once) says it still may. True when the view
    // object took it.
    bool StopArranging(const std::function<bool()>& mayCall);

    // Pairs each list-view item of `reading` (item order) with one of the view's items: by
    // index where the view's item there has the same display name; else the one item of
    // that name; else, among the items of that name, the one whose place is the item's
    // place where items paired so (at least two, all alike) show the view's places and
    // the list view's to agree. Each view item pairs once; an item left unpaired has no
    // parsing name and is never told to the view object. Returns each item's parsing
    // name (SHGDN_FORPARSING, read from the view's own folder: the folder its item IDs
    // belong to), empty where it has none.
    std::vector<std::wstring> PairReading(const std::vector<ReadIcon>& reading);

    // Measures the offset between the view's coordinates and the list view's: first on
    // the `steady` items (which the restore never moves), then on items at or above the
    // restore's `progress` (restore::RestoreJob::progress), from the last.
    void CheckCoordinates(const std::vector<int>& steady, const std::atomic<int32_t>& progress);

    // Tells the view object, in one SelectAndPositionItems call, where `icons` now
    // stand, if `mayCall` (asked right before the call, once) says it still may. An icon
    // takes its view item from the reading's pairing (PairReading), or, without one, the
    // view's item at its index when that item carries the name the restore read for it,
    // else the one view item of that name (none or several, or an item whose ID could not
    // be read: the icon is left out), so the view object never moves an icon the list
    // view did not. Returns how many icons the view object
    // took (0 when it is not ready, nothing paired, it may not call, or the call failed).
    size_t Tell(const std::vector<PlacedIcon>& icons, const std::function<bool()>& mayCall);

private:
    struct Chain;
    std::unique_ptr<Chain> m_chain;
};

}  // namespace desktop
