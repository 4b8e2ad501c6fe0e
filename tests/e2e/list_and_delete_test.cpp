// The list of saved titles and deletion, end to end: titles in store order, the
// buttons following the selection, the delete question and which line is selected
// after it, and what reaches the registry when the program ends in any way.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/e2e/harness/app.h"
#include "tests/e2e/harness/buttons.h"
#include "tests/e2e/harness/fixture.h"
#include "tests/e2e/harness/registry.h"
#include "tests/e2e/harness/waits.h"
#include "ui/resource.h"

namespace {

using e2e::Buttons;
using e2e::RunningApp;
using e2e::SeedTitles;
using Lines = std::vector<std::wstring>;
using MainDialog = e2e::Fixture;

TEST_F(MainDialog, TitlesInStoreOrderAndButtonsFollowSelection) {
    const Lines titles{L"Zeta", L"アルファ", L"", L"beta", L"表示"};
    SeedTitles(titles);
    RunningApp app;
    ASSERT_TRUE(app.main());
    EXPECT_EQ(app.Lines(), titles);
    EXPECT_EQ(app.Selection(), -1);
    EXPECT_TRUE(e2e::ButtonsAre(app.main(), Buttons::kNothingSelected));

    app.Select(3);
    EXPECT_TRUE(e2e::ButtonsAre(app.main(), Buttons::kLineSelected));
    ASSERT_TRUE(app.Close());
    EXPECT_EQ(e2e::ReadTitles(), titles);
}

struct DeleteCase {
    const char* name;
    Lines before;
    int line;
    Lines after;
    int selectedAfter;
};

class DeleteLine : public e2e::Fixture, public ::testing::WithParamInterface<DeleteCase> {};

TEST_P(DeleteLine, RemovesLayoutAndSelectsNeighbour) {
    const DeleteCase& c = GetParam();
    SeedTitles(c.before);
    RunningApp app;
    ASSERT_TRUE(app.main());
    app.Select(c.line);
    HWND box = app.PressDelete();
    ASSERT_TRUE(box);
    EXPECT_EQ(driver::ReadMessageBoxText(box), c.before[c.line] + L"を削除します。");
    // A window message box: no icon of its own.
    EXPECT_EQ(SendMessageW(GetDlgItem(box, 0x0440), STM_GETICON, 0, 0), 0);
    EXPECT_TRUE(driver::ReadButton(box, IDYES).enabled);
    EXPECT_TRUE(driver::ReadButton(box, IDNO).enabled);
    driver::AnswerMessageBox(box, IDYES);
    ASSERT_TRUE(driver::WaitForClose(box));

    ASSERT_TRUE(e2e::WaitForLines(app.main(), c.after.size()));
    EXPECT_EQ(app.Lines(), c.after);
    EXPECT_EQ(app.Selection(), c.selectedAfter);
    // The buttons are not re-evaluated: still as for the line selected before.
    EXPECT_TRUE(e2e::ButtonsAre(app.main(), Buttons::kLineSelected));
    ASSERT_TRUE(app.Close());
    EXPECT_EQ(e2e::ReadTitles(), c.after);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DeleteLine,
    ::testing::Values(DeleteCase{"middle", {L"A", L"B", L"C"}, 1, {L"A", L"C"}, 1},
                      DeleteCase{"last", {L"A", L"B", L"C"}, 2, {L"A", L"B"}, 0},
                      DeleteCase{"first", {L"A", L"B", L"C"}, 0, {L"B", L"C"}, 0},
                      DeleteCase{"only", {L"写真"}, 0, {}, -1}),
    [](const ::testing::TestParamInfo<DeleteCase>& info) { return info.param.name; });

TEST_F(MainDialog, DeleteAnsweredNoChangesNothing) {
    const Lines titles{L"A", L"B", L"C"};
    SeedTitles(titles);
    RunningApp app;
    ASSERT_TRUE(app.main());
    app.Select(1);
    HWND box = app.PressDelete();
    ASSERT_TRUE(box);
    driver::AnswerMessageBox(box, IDNO);
    ASSERT_TRUE(driver::WaitForClose(box));
    EXPECT_EQ(app.Lines(), titles);
    EXPECT_EQ(app.Selection(), 1);
    ASSERT_TRUE(app.Close());
    EXPECT_EQ(e2e::ReadTitles(), titles);
}

TEST_F(MainDialog, AfterDeletingTheOnlyLineDeleteDoesNothing) {
    SeedTitles({L"A"});
    RunningApp app;
    ASSERT_TRUE(app.main());
    ASSERT_TRUE(app.DeleteLine(0));
    EXPECT_TRUE(driver::ReadButton(app.main(), IDC_DELETE).enabled);
    EXPECT_EQ(app.PressDelete(), nullptr) << "no line, so no question";
    ASSERT_TRUE(app.Close());
    EXPECT_EQ(e2e::ReadDword(L"Title", L"Number"), 0u);
}

// Keys and double-clicks that do not end the dialog: Enter on a focused button presses
// that button; a double-click on a title only selects it.
TEST_F(MainDialog, EnterOnButtonPressesItAndDoubleClickOnlySelects) {
    SeedTitles({L"A", L"B"});
    RunningApp app;
    ASSERT_TRUE(app.main());
    HWND list = GetDlgItem(app.main(), IDC_LAYOUT_LIST);
    SendMessageW(list, LB_SETCURSEL, 1, 0);
    SendMessageW(app.main(), WM_COMMAND, MAKEWPARAM(IDC_LAYOUT_LIST, LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(list));
    SendMessageW(app.main(), WM_COMMAND, MAKEWPARAM(IDC_LAYOUT_LIST, LBN_DBLCLK),
                 reinterpret_cast<LPARAM>(list));
    EXPECT_EQ(app.WaitForBox(e2e::kDeleteCaption, 300), nullptr);
    EXPECT_FALSE(app.WaitForExit(300));
    EXPECT_EQ(app.Selection(), 1);

    driver::PressEnterOn(app.main(), IDC_DELETE);
    HWND box = app.WaitForBox(e2e::kDeleteCaption);
    ASSERT_TRUE(box);
    EXPECT_EQ(driver::ReadMessageBoxText(box), L"Bを削除します。");
    driver::AnswerMessageBox(box, IDNO);
    ASSERT_TRUE(driver::WaitForClose(box));
    EXPECT_FALSE(app.WaitForExit(300));
    ASSERT_TRUE(app.Close());
}

// Every way out ends the process and saves: a deletion made before it reaches the
// registry.
struct ExitWay {
    const char* name;
    void (*act)(HWND dlg);
};

class ExitPath : public e2e::Fixture, public ::testing::WithParamInterface<ExitWay> {};

TEST_P(ExitPath, EndsTheProgramAndSaves) {
    SeedTitles({L"A", L"B", L"C"});
    RunningApp app;
    ASSERT_TRUE(app.main());
    ASSERT_TRUE(app.DeleteLine(0));

    GetParam().act(app.main());
    ASSERT_TRUE(app.WaitForExit());
    EXPECT_EQ(e2e::ReadTitles(), (Lines{L"B", L"C"}));
}

INSTANTIATE_TEST_SUITE_P(
    Ways, ExitPath,
    ::testing::Values(
        ExitWay{"CloseBox", [](HWND d) { driver::PostClose(d); }},
        ExitWay{"SystemMenuClose", [](HWND d) { driver::PostSysCommand(d, SC_CLOSE); }},
        ExitWay{"FileQuit", [](HWND d) { driver::PostCommand(d, ID_FILE_QUIT); }},
        ExitWay{"Escape", [](HWND d) { driver::PressEscape(d); }},
        ExitWay{"EnterOnList", [](HWND d) { driver::PressEnterOn(d, IDC_LAYOUT_LIST); }}),
    [](const ::testing::TestParamInfo<ExitWay>& info) { return info.param.name; });

}  // namespace
