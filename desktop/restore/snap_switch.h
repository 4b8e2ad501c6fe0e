// A desktop that snaps its icons to its grid ("align icons to grid", on by default on
// Windows 10 and 11) puts every position it is told on its nearest grid point, and
// pushes an icon sent onto a point another icon holds to some other free point: a swap
// would end scattered and a glide would hop. So a restore switches the list view's
// snapping off for its moves and back on after. Only the live list view is switched,
// never the shell's own setting: should the switch back never come (the program
// killed, the shell still hung), the shell sets its view again at its next start.
#pragma once

#include <cstdint>

#include "desktop/desktop.h"

namespace restore {

class SnapSwitch {
public:
    // Reads the view's extended style; where it snaps, switches the snapping off and
    // reads the style again to see that it took.
    SnapSwitch(desktop::Desktop& desk, desktop::ViewId view);
    // Switches back on whatever way the restore ends.
    ~SnapSwitch() { SwitchBack(); }
    SnapSwitch(const SnapSwitch&) = delete;
    SnapSwitch& operator=(const SnapSwitch&) = delete;

    // The desktop snapped and still does: the switch did not take.
    bool StillSnaps() const { return m_stillSnaps; }
    // Snapping back on where it was switched off, even after a message went unanswered
    // (the shell may have woken since). Once.
    void SwitchBack();

private:
    desktop::Desktop& m_desk;
    desktop::ViewId m_view;
    bool m_switched = false;
    bool m_stillSnaps = false;
};

}  // namespace restore
