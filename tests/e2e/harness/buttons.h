// The main dialog's four buttons in each of its states, as one table: the labels and
// which of them take a press.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

namespace e2e {

enum class Buttons {
    kNothingSelected,  // idle, no line selected: only remember
    kLineSelected,     // idle with a line selected: all four
    kRestoring,        // a restore runs: faster and abort, nothing else
};

// The buttons against the table's row for `state`; a failure names each button that
// differs and what it shows.
::testing::AssertionResult ButtonsAre(HWND dlg, Buttons state);

// Polls until ButtonsAre holds (the dialog sets its buttons one after the other); on
// timeout the last difference.
::testing::AssertionResult WaitForButtons(HWND dlg, Buttons state, DWORD timeoutMs);

}  // namespace e2e
