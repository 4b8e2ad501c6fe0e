// The platform call behind every list-view message of the program, for the bare loops
// the benchmarks compare the program's code with.
#pragma once

#include <windows.h>

#include "desktop/access/view_link.h"

inline LRESULT BareSend(HWND view, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR answer = 0;
    SendMessageTimeoutA(view, message, wParam, lParam, SMTO_ABORTIFHUNG,
                        desktop::kViewMessageTimeoutMs, &answer);
    return static_cast<LRESULT>(answer);
}
