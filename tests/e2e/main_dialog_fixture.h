// Shared set-up of the main dialog's end-to-end tests: a clean registry before and
// after each test, and the button table of the idle states.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/e2e/harness.h"
#include "ui/resource.h"

namespace e2e {

inline const wchar_t kDeleteCaption[] = L"削除の確認";

class MainDialog : public ::testing::Test {
protected:
    void SetUp() override {
        SetWin98(false);
        DeleteLayouts();
    }
    void TearDown() override { DeleteLayouts(); }

    // Seeds layouts with these titles, one icon each (a layout without icons at the
    // end would not count).
    static void SeedTitles(const std::vector<std::wstring>& titles) {
        std::vector<SeedLayout> layouts;
        for (const std::wstring& t : titles) layouts.push_back({t, {{0x00140010u, L"Notes"}}});
        SeedLayouts(layouts);
    }

    // The idle rows of the button table: only remember when nothing is selected.
    static void ExpectIdleButtons(HWND dlg, bool selected) {
        const driver::ButtonState remember = driver::ReadButton(dlg, IDC_REMEMBER);
        const driver::ButtonState restore = driver::ReadButton(dlg, IDC_RESTORE);
        const driver::ButtonState fun = driver::ReadButton(dlg, IDC_FUN_RESTORE);
        const driver::ButtonState del = driver::ReadButton(dlg, IDC_DELETE);
        EXPECT_EQ(remember.text, L"位置を覚える");
        EXPECT_TRUE(remember.enabled);
        EXPECT_EQ(restore.text, L"位置を元通りにする");
        EXPECT_EQ(restore.enabled, selected);
        EXPECT_EQ(fun.text, L"楽しく元に戻す");
        EXPECT_EQ(fun.enabled, selected);
        EXPECT_EQ(del.text, L"削除");
        EXPECT_EQ(del.enabled, selected);
    }
};

}  // namespace e2e
