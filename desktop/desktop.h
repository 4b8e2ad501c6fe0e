// What capture and restore need of the desktop icon view, told without the platform.
// The Win32 implementation reaches the shell's list view across the process boundary
// (remote block on the NT family, shared block elsewhere); native builds use a
// simulated desktop that records every call.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace desktop {

// Opaque handle of the desktop list view; 0 means "no view". Never cached: every
// capture and every restore looks the view up anew.
using ViewId = std::uintptr_t;

// What one capture or restore holds while it reads icons: the remote block (with the
// shell's process handle) or the shared block. Destroying it releases everything.
class AccessContext {
public:
    virtual ~AccessContext() = default;
    // Text of item `index`, at most 99 bytes; empty when the index is outside
    // 0..count-1 (the count is asked anew first). Remote scheme only.
    virtual std::string ReadText(int index) = 0;
    // Position of item `index`. Remote scheme: asks the count first and leaves x and y
    // untouched (returning false) when the index is outside 0..count-1. Shared scheme:
    // no range test. Either scheme leaves them untouched (returning false) when the
    // list view did not answer (e.g. the icon has gone). Returns true when x and y were
    // written.
    virtual bool ReadPosition(int index, int32_t& x, int32_t& y) = 0;

    AccessContext() = default;
    AccessContext(const AccessContext&) = delete;
    AccessContext& operator=(const AccessContext&) = delete;
};

// A rectangle in the list view's client coordinates: [left, right) x [top, bottom).
struct Area {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

// What a restore needs to know of the screen, read once before its first position
// message: the size an icon takes (the list view's icon spacing) and the parts of the
// list view that some monitor shows (each monitor's work area, cut to the view).
struct Screen {
    int32_t iconCx = 0;
    int32_t iconCy = 0;
    std::vector<Area> visible;  // in enumeration order; empty when none could be read
};

// One desktop object serves one capture or one restore; its access contexts are
// released before it.
class Desktop {
public:
    virtual ~Desktop() = default;
    // The desktop list view, or 0. Starts the operation's link to the view afresh.
    virtual ViewId FindView() = 0;
    // True once a message to the view went unanswered (it timed out: the shell hangs;
    // or the view is gone): the operation must end, storing or moving nothing more.
    // Messages after that are not sent; reads give what they give on failure.
    virtual bool Lost() const = 0;
    // LVM_GETITEMCOUNT: items are numbered 0..n-1; 0 or less means none.
    virtual int CountItems(ViewId view) = 0;
    // Remote-block scheme (NT family): nullptr when the shell's process cannot be
    // opened or the block cannot be allocated; nothing stays open then.
    virtual std::unique_ptr<AccessContext> OpenRemote(ViewId view) = 0;
    // Shared-block scheme (other platforms): nullptr when the block cannot be
    // created or mapped; nothing stays open then.
    virtual std::unique_ptr<AccessContext> OpenShared(ViewId view) = 0;
    // LVM_GETITEMSPACING (its answer is the return value: no buffer in either scheme),
    // and the monitors' work areas mapped into the view's client area (no message).
    virtual Screen ReadScreen(ViewId view) = 0;
    // LVM_SETITEMPOSITION; only the low 16 bits of x and y travel. True when the list
    // view answered that it moved the item.
    virtual bool SetPosition(ViewId view, int index, int32_t x, int32_t y) = 0;

    // LVM_GETEXTENDEDLISTVIEWSTYLE (no buffer in either scheme); false when unanswered.
    virtual bool ReadExtendedStyle(ViewId view, uint32_t& style) = 0;
    // LVM_SETEXTENDEDLISTVIEWSTYLE for the bits of `mask`. `evenIfLost`: sent on a link of
    // its own even after a message went unanswered (a setting the restore must give back
    // to a shell that may have woken up). False when unanswered.
    virtual bool SetExtendedStyle(ViewId view, uint32_t mask, uint32_t style, bool evenIfLost) = 0;
    // Whether the view arranges its icons itself (LVS_AUTOARRANGE): read from the window's
    // style, without a message.
    virtual bool ArrangesItself(ViewId view) = 0;
    // Takes LVS_AUTOARRANGE off the view's style (the shell's own setting is the view
    // object's business). Only after a message was answered: the change is sent to the
    // view's thread without a time-out.
    virtual void StopArranging(ViewId view) = 0;
};

// The extended style bit of a list view that snaps its icons to the grid of its spacing
// (LVS_EX_SNAPTOGRID), here so that the portable logic can name it.
constexpr uint32_t kSnapToGrid = 0x00080000;

}  // namespace desktop
