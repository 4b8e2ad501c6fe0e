// The simulated desktop list view: answers the desktop operations from an item table
// and logs each of them.
#include "fakes/desktop/sim_desktop.h"

#include <algorithm>
#include <cstdio>

namespace desktop {

namespace {

constexpr std::size_t kMaxText = 99;  // the list view's 100-byte buffer less its NUL

int32_t SignExtend16(uint32_t v) { return static_cast<int16_t>(static_cast<uint16_t>(v)); }

}  // namespace

std::string ToString(const SimCall& call) {
    if (!call.answered) {
        SimCall answered = call;
        answered.answered = true;
        return ToString(answered) + " unanswered";
    }
    const std::string idx = std::to_string(call.index);
    switch (call.op) {
        case SimOp::FindView:
            return "find";
        case SimOp::CountItems:
            return "count";
        case SimOp::OpenRemote:
            return call.ok ? "open remote" : "open remote failed";
        case SimOp::OpenShared:
            return call.ok ? "open shared" : "open shared failed";
        case SimOp::CloseContext:
            return "close";
        case SimOp::ReadText:
            return "text " + idx;
        case SimOp::ReadPosition:
            return "pos " + idx;
        case SimOp::SetPosition: {
            char hex[16];
            std::snprintf(hex, sizeof hex, "0x%08x", static_cast<unsigned>(call.lParam));
            return "set " + idx + " " + hex + (call.ok ? "" : " refused");
        }
        case SimOp::ReadScreen:
            return "screen";
        case SimOp::ReadExStyle:
            return "exstyle";
        case SimOp::SetExStyle: {
            char hex[32];
            std::snprintf(hex, sizeof hex, "0x%08x 0x%08x", static_cast<unsigned>(call.mask),
                          static_cast<unsigned>(call.lParam));
            return std::string("exstyle ") + hex;
        }
        case SimOp::StopArranging:
            return "stop arranging";
    }
    return "?";
}

// The remote block of one operation: every read asks the count first.
class SimRemoteContext : public AccessContext {
public:
    explicit SimRemoteContext(SimDesktop& sim) : m_sim(sim) { ++m_sim.m_openContexts; }
    ~SimRemoteContext() override {
        --m_sim.m_openContexts;
        m_sim.Record({SimOp::CloseContext});
    }

    std::string ReadText(int index) override {
        const int n = m_sim.Count();
        if (index < 0 || index >= n) return {};
        if (!m_sim.Deliver({SimOp::ReadText, index})) return {};
        // The item may be gone although the count was fresh (a hook ran in between).
        const bool present = m_sim.InRange(index);
        const std::string text = present ? m_sim.m_items[index].text : std::string();
        m_sim.Record({SimOp::ReadText, index});
        if (m_sim.m_failRemoteReads) return {};
        return text.substr(0, kMaxText);
    }

    bool ReadPosition(int index, int32_t& x, int32_t& y) override {
        const int n = m_sim.Count();
        if (index < 0 || index >= n) return false;
        if (!m_sim.Deliver({SimOp::ReadPosition, index})) return false;
        const bool present = m_sim.InRange(index);
        const SimItem item = present ? m_sim.m_items[index] : SimItem{};
        m_sim.Record({SimOp::ReadPosition, index});
        if (m_sim.m_failRemoteReads || !present) return false;
        x = item.x;
        y = item.y;
        return true;
    }

private:
    SimDesktop& m_sim;
};

// The 9x shared block: the list view writes into its first 8 bytes when the index is
// valid and answers FALSE otherwise; the block keeps what it held.
class SimSharedContext : public AccessContext {
public:
    explicit SimSharedContext(SimDesktop& sim) : m_sim(sim) { ++m_sim.m_openContexts; }
    ~SimSharedContext() override {
        --m_sim.m_openContexts;
        SimCall call{SimOp::CloseContext};
        call.shared = true;
        m_sim.Record(call);
    }

    std::string ReadText(int) override { return {}; }  // texts are never read here

    bool ReadPosition(int index, int32_t& x, int32_t& y) override {
        SimCall call{SimOp::ReadPosition, index};
        call.shared = true;
        if (!m_sim.Deliver(call)) return false;
        const bool answered = m_sim.InRange(index);
        if (answered) {
            m_block[0] = m_sim.m_items[index].x;
            m_block[1] = m_sim.m_items[index].y;
        }
        m_sim.Record(call);
        if (!answered) return false;
        x = m_block[0];
        y = m_block[1];
        return true;
    }

private:
    SimDesktop& m_sim;
    int32_t m_block[2] = {0, 0};  // a fresh mapping is zero-filled
};

void SimDesktop::Record(const SimCall& call) {
    m_log.push_back(call);
    if (m_onCall) m_onCall(call);
}

bool SimDesktop::Deliver(SimCall call) {
    if (m_lost) return false;
    if (++m_messages != m_unansweredAt) return true;
    m_lost = true;
    call.answered = false;
    Record(call);
    return false;
}

int SimDesktop::Count() {
    if (!Deliver({SimOp::CountItems})) return 0;
    const int n = static_cast<int>(m_items.size());
    Record({SimOp::CountItems});
    return n;
}

bool SimDesktop::InRange(int index) const {
    return index >= 0 && static_cast<std::size_t>(index) < m_items.size();
}

std::vector<std::string> SimDesktop::LogLines() const {
    std::vector<std::string> lines;
    lines.reserve(m_log.size());
    for (const SimCall& call : m_log) lines.push_back(ToString(call));
    return lines;
}

int SimDesktop::CountOf(SimOp op) const {
    int n = 0;
    for (const SimCall& call : m_log) n += call.op == op ? 1 : 0;
    return n;
}

ViewId SimDesktop::FindView() {
    m_lost = false;  // a new operation's link
    Record({SimOp::FindView});
    return m_viewPresent ? kView : 0;
}

int SimDesktop::CountItems(ViewId) { return Count(); }

std::unique_ptr<AccessContext> SimDesktop::OpenRemote(ViewId) {
    SimCall call{SimOp::OpenRemote};
    call.ok = !m_failOpenRemote;
    if (!call.ok) {
        Record(call);
        return nullptr;
    }
    auto context = std::make_unique<SimRemoteContext>(*this);
    Record(call);
    return context;
}

std::unique_ptr<AccessContext> SimDesktop::OpenShared(ViewId) {
    SimCall call{SimOp::OpenShared};
    call.ok = !m_failOpenShared;
    call.shared = true;
    if (!call.ok) {
        Record(call);
        return nullptr;
    }
    auto context = std::make_unique<SimSharedContext>(*this);
    Record(call);
    return context;
}

Screen SimDesktop::ReadScreen(ViewId) {
    if (!Deliver({SimOp::ReadScreen})) return {};
    Record({SimOp::ReadScreen});
    return m_screen;
}

bool SimDesktop::SetPosition(ViewId, int index, int32_t x, int32_t y) {
    SimCall call{SimOp::SetPosition, index};
    call.lParam = (static_cast<uint32_t>(y) & 0xFFFFu) << 16 | (static_cast<uint32_t>(x) & 0xFFFFu);
    if (!Deliver(call)) return false;
    call.ok = !m_arranging && InRange(index) &&
              std::find(m_refused.begin(), m_refused.end(), index) == m_refused.end();
    if (call.ok) {
        m_items[index].x = SignExtend16(call.lParam);
        m_items[index].y = SignExtend16(call.lParam >> 16);
    }
    Record(call);
    return call.ok;
}

bool SimDesktop::ReadExtendedStyle(ViewId, uint32_t& style) {
    if (!Deliver({SimOp::ReadExStyle})) return false;
    Record({SimOp::ReadExStyle});
    style = m_exStyle;
    return true;
}

bool SimDesktop::SetExtendedStyle(ViewId, uint32_t mask, uint32_t style, bool evenIfLost) {
    SimCall call{SimOp::SetExStyle};
    call.mask = mask;
    call.lParam = style;
    // A link of its own: the loss of the operation's link does not stop it, but a
    // message the shell leaves unanswered still does.
    const bool wasLost = m_lost;
    if (evenIfLost) m_lost = false;
    if (!Deliver(call)) return false;
    if (evenIfLost) m_lost = wasLost;
    m_exStyle = (m_exStyle & ~mask) | (style & mask) | m_stickyExStyle;
    Record(call);
    return true;
}

bool SimDesktop::ArrangesItself(ViewId) { return m_arranging; }

void SimDesktop::StopArranging(ViewId) {
    Record({SimOp::StopArranging});
    if (!m_stickyArranging) m_arranging = false;
}

}  // namespace desktop
