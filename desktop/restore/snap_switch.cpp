// Snapping off for a restore's moves; see snap_switch.h.
#include "desktop/restore/snap_switch.h"

namespace restore {

SnapSwitch::SnapSwitch(desktop::Desktop& desk, desktop::ViewId view) : m_desk(desk), m_view(view) {
    uint32_t style = 0;
    if (!desk.ReadExtendedStyle(view, style) || (style & desktop::kSnapToGrid) == 0) return;
    const bool answered = desk.SetExtendedStyle(view, desktop::kSnapToGrid, 0, false);
    // Switched back even when unanswered: the shell may take the message late.
    m_switched = true;
    uint32_t now = style;
    m_stillSnaps =
        !answered || !desk.ReadExtendedStyle(view, now) || (now & desktop::kSnapToGrid) != 0;
}

void SnapSwitch::SwitchBack() {
    if (!m_switched) return;
    m_switched = false;
    m_desk.SetExtendedStyle(m_view, desktop::kSnapToGrid, desktop::kSnapToGrid, true);
}

}  // namespace restore
