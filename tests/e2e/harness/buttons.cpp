// The button-state table (see buttons.h).
#include "tests/e2e/harness/buttons.h"

#include <string>

#include "tests/e2e/harness/waits.h"
#include "tools/driver/driver.h"
#include "ui/resource.h"

namespace e2e {

namespace {

struct Expected {
    int id;
    const wchar_t* text;
    bool enabled;
};

const wchar_t kRemember[] = L"位置を覚える";
const wchar_t kRestore[] = L"位置を元通りにする";
const wchar_t kFun[] = L"楽しく元に戻す";
const wchar_t kDelete[] = L"削除";

// Rows in the order of Buttons.
const Expected kTable[][4] = {
    {{IDC_REMEMBER, kRemember, true},
     {IDC_RESTORE, kRestore, false},
     {IDC_FUN_RESTORE, kFun, false},
     {IDC_DELETE, kDelete, false}},
    {{IDC_REMEMBER, kRemember, true},
     {IDC_RESTORE, kRestore, true},
     {IDC_FUN_RESTORE, kFun, true},
     {IDC_DELETE, kDelete, true}},
    {{IDC_REMEMBER, kRemember, false},
     {IDC_RESTORE, L"もっと速く！！", true},
     {IDC_FUN_RESTORE, L"中断", true},
     {IDC_DELETE, kDelete, false}},
};

std::string Narrow(const std::wstring& text) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? static_cast<size_t>(n) : 1, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), n, nullptr, nullptr);
    out.resize(out.size() - 1);
    return out;
}

}  // namespace

::testing::AssertionResult ButtonsAre(HWND dlg, Buttons state) {
    std::string differences;
    for (const Expected& e : kTable[static_cast<int>(state)]) {
        const driver::ButtonState b = driver::ReadButton(dlg, e.id);
        if (b.text == e.text && b.enabled == e.enabled) continue;
        differences += " button " + std::to_string(e.id) + " shows \"" + Narrow(b.text) + "\" " +
                       (b.enabled ? "enabled" : "disabled") + ", expected \"" + Narrow(e.text) +
                       "\" " + (e.enabled ? "enabled" : "disabled") + ";";
    }
    if (differences.empty()) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "row " << static_cast<int>(state) << ":" << differences;
}

::testing::AssertionResult WaitForButtons(HWND dlg, Buttons state, DWORD timeoutMs) {
    if (WaitFor([&] { return static_cast<bool>(ButtonsAre(dlg, state)); }, timeoutMs))
        return ::testing::AssertionSuccess();
    return ButtonsAre(dlg, state);
}

}  // namespace e2e
