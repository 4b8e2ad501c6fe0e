// A simulated desktop list view for tests: items with texts and positions, a view that
// may be absent, failures on demand, and a log of every operation in call order, so
// tests can check message counts and order exactly. Keeps the Win32 message semantics
// the callers rely on: a set position keeps only the low 16 bits of x and y (read back
// sign-extended); a remote read asks the count first and leaves out-of-range outputs
// untouched; a shared position read makes no range test (its message goes out for any
// index) and, like the remote one, writes nothing when the item is not there.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "desktop/desktop.h"

namespace desktop {

struct SimItem {
    std::string text;
    int32_t x = 0;
    int32_t y = 0;
};

enum class SimOp {
    FindView,       // FindWindowA and the child walk
    CountItems,     // LVM_GETITEMCOUNT, also the one inside every remote read
    OpenRemote,     // OpenProcess + VirtualAllocEx (ok = false when it failed)
    OpenShared,     // CreateFileMappingA + MapViewOfFile (ok = false when it failed)
    CloseContext,   // release of an opened context
    ReadText,       // LVM_GETITEMA (only sent for an index inside the count)
    ReadPosition,   // LVM_GETITEMPOSITION (remote: only inside the count)
    SetPosition,    // LVM_SETITEMPOSITION (ok = false when the view refused it)
    ReadScreen,     // LVM_GETITEMSPACING, with the monitors read on our side
    ReadExStyle,    // LVM_GETEXTENDEDLISTVIEWSTYLE
    SetExStyle,     // LVM_SETEXTENDEDLISTVIEWSTYLE (the bits in `mask`, the style in lParam)
    StopArranging,  // LVS_AUTOARRANGE taken off the window's style (no message)
};

struct SimCall {
    SimOp op;
    int index = -1;        // item index of reads and sets
    bool ok = true;        // open: succeeded
    bool shared = false;   // read position / close: through the shared block
    bool answered = true;  // messages: false for the one that went unanswered
    uint32_t lParam = 0;   // set position: the packed value that travels; set style: the style
    uint32_t mask = 0;     // set style: the bits changed
};

// "find", "count", "open remote", "open shared failed", "close", "text 2", "pos 2",
// "set 3 0x0023ffec", "set 3 0x0023ffec refused", "screen", "exstyle",
// "exstyle 0x00080000 0x00000000" (mask, style), "stop arranging": short enough to compare
// whole logs in tests.
std::string ToString(const SimCall& call);

class SimDesktop : public Desktop {
public:
    static constexpr ViewId kView = 0x10010;

    SimDesktop() = default;
    explicit SimDesktop(std::vector<SimItem> items) : m_items(std::move(items)) {}

    // --- set-up ---
    std::vector<SimItem>& Items() { return m_items; }
    const std::vector<SimItem>& Items() const { return m_items; }
    void SetViewPresent(bool present) { m_viewPresent = present; }
    void SetFailOpenRemote(bool fail) { m_failOpenRemote = fail; }
    void SetFailOpenShared(bool fail) { m_failOpenShared = fail; }
    // Every ReadProcessMemory fails: text reads give "", position reads write nothing.
    void SetFailRemoteReads(bool fail) { m_failRemoteReads = fail; }
    // Called after each logged call; lets a test make icons vanish or appear between
    // the messages of one operation (e.g. Items().resize(1) after the first text read).
    void SetOnCall(std::function<void(const SimCall&)> hook) { m_onCall = std::move(hook); }
    // What ReadScreen answers (default: no icon size, no visible area known).
    void SetScreen(Screen screen) { m_screen = std::move(screen); }
    // The list view answers FALSE to the position message of these items (as a view
    // with auto-arrange on, or an item that went away), and moves nothing.
    void SetRefusedItems(std::vector<int> items) { m_refused = std::move(items); }
    // The view's extended style (default 0: no snapping). With `sticky` the view keeps
    // these bits whatever it is told (a shell that will not be switched).
    void SetExtendedStyle(uint32_t style, uint32_t sticky = 0) {
        m_exStyle = style;
        m_stickyExStyle = sticky;
    }
    uint32_t ExtendedStyle() const { return m_exStyle; }
    // Auto arrange: every position message answers FALSE and moves nothing. With
    // `sticky`, taking it off does not hold.
    void SetArranging(bool arranging, bool sticky = false) {
        m_arranging = arranging;
        m_stickyArranging = sticky;
    }
    bool Arranging() const { return m_arranging; }
    // List-view message number `n` (1-based: counts, text and position reads, sets)
    // goes unanswered, as when the shell hangs or dies: the view is lost, and no later
    // message of the operation is sent (none is logged). 0: never.
    void SetUnansweredMessage(int n) { m_unansweredAt = n; }

    // --- what happened ---
    const std::vector<SimCall>& Log() const { return m_log; }
    std::vector<std::string> LogLines() const;
    int CountOf(SimOp op) const;
    void ClearLog() { m_log.clear(); }
    int OpenContexts() const { return m_openContexts; }

    // --- desktop::Desktop ---
    ViewId FindView() override;
    bool Lost() const override { return m_lost; }
    int CountItems(ViewId view) override;
    std::unique_ptr<AccessContext> OpenRemote(ViewId view) override;
    std::unique_ptr<AccessContext> OpenShared(ViewId view) override;
    Screen ReadScreen(ViewId view) override;
    bool SetPosition(ViewId view, int index, int32_t x, int32_t y) override;
    bool ReadExtendedStyle(ViewId view, uint32_t& style) override;
    bool SetExtendedStyle(ViewId view, uint32_t mask, uint32_t style, bool evenIfLost) override;
    bool ArrangesItself(ViewId view) override;
    void StopArranging(ViewId view) override;

private:
    friend class SimRemoteContext;
    friend class SimSharedContext;

    void Record(const SimCall& call);
    // Whether the next message is answered; logs the one that is not.
    bool Deliver(SimCall call);
    int Count();  // logs a count message and answers it
    bool InRange(int index) const;

    std::vector<SimItem> m_items;
    bool m_viewPresent = true;
    bool m_failOpenRemote = false;
    bool m_failOpenShared = false;
    bool m_failRemoteReads = false;
    std::function<void(const SimCall&)> m_onCall;
    Screen m_screen;
    std::vector<int> m_refused;
    uint32_t m_exStyle = 0;
    uint32_t m_stickyExStyle = 0;
    bool m_arranging = false;
    bool m_stickyArranging = false;
    std::vector<SimCall> m_log;
    int m_openContexts = 0;
    int m_unansweredAt = 0;
    int m_messages = 0;
    bool m_lost = false;
};

}  // namespace desktop
