// Sends list-view messages with a time-out and remembers the first that failed.
#include "desktop/access/view_link.h"

namespace desktop {

bool ViewLink::Send(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (m_lost || !m_view) {
        m_lost = true;
        return false;
    }
    DWORD_PTR answer = 0;
    SetLastError(ERROR_SUCCESS);
    if (!SendMessageTimeoutA(m_view, message, wParam, lParam, SMTO_ABORTIFHUNG | SMTO_ERRORONEXIT,
                             kViewMessageTimeoutMs, &answer)) {
        m_lost = true;
        // A window that is gone fails with ERROR_INVALID_WINDOW_HANDLE; anything else
        // (ERROR_TIMEOUT, a hung shell) may have left the message in the shell's hands.
        m_mayStillBeAnswered = GetLastError() != ERROR_INVALID_WINDOW_HANDLE;
        return false;
    }
    result = static_cast<LRESULT>(answer);
    return true;
}

LRESULT ViewLink::SendOr(UINT message, WPARAM wParam, LPARAM lParam, LRESULT failed) {
    LRESULT result = failed;
    return Send(message, wParam, lParam, result) ? result : failed;
}

}  // namespace desktop
