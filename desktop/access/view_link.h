// Every message to the shell's desktop list view goes through one link, with a time-out:
// a shell that stops answering (or dies) must never hold the caller for good. The first
// message that times out or fails ends the link: it is lost from then on, and every
// later message is not sent at all, so one operation meets a hung shell at most once.
#pragma once

#include <windows.h>

namespace desktop {

// Time-out of one message. A healthy shell answers a list-view message in well under
// a millisecond, and even one busy repainting thousands of icons in tens of
// milliseconds; three seconds is far beyond that, yet short enough that the user who
// closes the dialog or waits for a capture sees it answer again in a moment.
// SMTO_ABORTIFHUNG ends at once a send to a shell the system already counts as hung;
// SMTO_ERRORONEXIT fails a send whose receiver ends while handling it (else it would
// read as answered, with a result of 0).
constexpr UINT kViewMessageTimeoutMs = 3000;

class ViewLink {
public:
    explicit ViewLink(HWND view = nullptr) : m_view(view) {}

    HWND View() const { return m_view; }
    // Sends one message; false when it was not answered (time-out, no window, or the
    // link was lost before). `result` is written only when it was answered.
    bool Send(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // Sends one message; its result, or `failed` when it was not answered.
    LRESULT SendOr(UINT message, WPARAM wParam, LPARAM lParam, LRESULT failed);

    // A message was not answered: the operation must end.
    bool Lost() const { return m_lost; }
    // A message failed other than on a gone window (timed out, a hung or dying shell):
    // the shell may still hold it, and may still write its answer into memory the
    // message named.
    bool MayStillBeAnswered() const { return m_mayStillBeAnswered; }

private:
    HWND m_view;
    bool m_lost = false;
    bool m_mayStillBeAnswered = false;
};

}  // namespace desktop
