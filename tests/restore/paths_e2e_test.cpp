// Icons told apart by what they are, end to end with the real TORVINEL.EXE: on a desktop
// that hides extensions, report.txt and report.pdf both read "report"; remembered where
// the shell's view object answers, each keeps its parsing name, and after the shell has
// laid its items out in another order each still goes to its own place. Without a view
// object, or with paths a copy that does not know them made stale, names alone pair.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "store/layout_store.h"
#include "tests/e2e/harness/app.h"
#include "tests/e2e/harness/buttons.h"
#include "tests/e2e/harness/fixture.h"
#include "tests/e2e/harness/registry.h"
#include "tests/e2e/harness/waits.h"
#include "tools/test_desktop/test_desktop_client.h"
#include "tools/test_desktop/view_object/registration.h"
#include "ui/resource.h"

namespace {

using e2e::Buttons;
using testdesk::TestItem;

// report.txt and report.pdf read alike; the restart reverses the shell's order.
const std::vector<TestItem> kFiles = {
    {100, 100, "report.txt"}, {300, 100, "report.pdf"}, {500, 100, "notes.doc"}};
// UTF-8: CP932 has neither é nor è, so the list view shows both as the same text.
const std::vector<TestItem> kAccented = {
    {100, 100, u8"caf\u00e9.txt"}, {300, 100, u8"caf\u00e8.txt"}, {500, 100, "notes.doc"}};

class PathsE2E : public e2e::DesktopFixture {
protected:
    void StartShell(bool viewObject = true, bool accented = false) {
        testdesk::TestDesktopOptions options;
        options.hideExtensions = true;
        options.reorderOnRestart = true;
        options.utf8Texts = accented;
        if (viewObject) options.viewObject = testdesk::ViewObjectMode::kSameOrder;
        StartDesktop(accented ? kAccented : kFiles, options);
    }
    static bool HasPaths() {
        for (const auto& value : e2e::ReadLayoutValues())
            if (value.first.find(L"Path") != std::wstring::npos) return true;
        return false;
    }
    // Sends item `i` somewhere else, as a user's drag would (nothing keeps it).
    void Move(int i, int x, int y) const {
        SendMessageA(td->ListView(), LVM_SETITEMPOSITION, i, MAKELPARAM(x, y));
    }
    static void Restore(const e2e::RunningApp& app, int button) {
        app.Select(0);
        driver::ClickButton(app.main(), button);
        ASSERT_TRUE(e2e::WaitForButtons(app.main(), Buttons::kRestoring, 5000));
        ASSERT_TRUE(e2e::WaitForButtons(app.main(), Buttons::kLineSelected, 30000));
    }
    // Remembers the desktop, lets the shell restart in reverse order, moves both files
    // away and restores with `button`: each must be at its own place.
    void RememberReorderAndRestore(const e2e::RunningApp& app, int button) {
        ASSERT_TRUE(app.Remember(L"home"));
        ASSERT_TRUE(td->Restart());
        Move(1, 700, 300);
        Move(2, 800, 300);
        Restore(app, button);
        ExpectEachAtItsOwnPlace();
    }
    // After the reversing restart: item 0 is notes, 1 the second file, 2 the first.
    void ExpectEachAtItsOwnPlace() const {
        const std::vector<TestItem> now = td->Items();
        ASSERT_EQ(now.size(), 3u);
        EXPECT_EQ(now[0].text, "notes");
        EXPECT_TRUE(now[1].x == 300 && now[1].y == 100) << "second file at " << now[1].x;
        EXPECT_TRUE(now[2].x == 100 && now[2].y == 100) << "first file at " << now[2].x;
    }
};

TEST_F(PathsE2E, FilesReadingAlikeEachGoHomeAfterTheShellReorderedThem) {
    const testdesk::ViewObjectRegistration registration;
    ASSERT_TRUE(registration.Ok());
    for (const int button : {IDC_RESTORE, IDC_FUN_RESTORE}) {
        SCOPED_TRACE(button == IDC_RESTORE ? "instant" : "enjoyable");
        e2e::DeleteLayouts();
        StartShell();
        ASSERT_EQ(td->Items()[0].text, "report");
        e2e::RunningApp app;
        ASSERT_TRUE(app.main());
        ASSERT_NO_FATAL_FAILURE(RememberReorderAndRestore(app, button));
        EXPECT_TRUE(app.Close());
        EXPECT_TRUE(HasPaths());
    }
}

// café.txt and cafè.txt read alike in the list view, and in the ANSI code page even
// as the shell's folder names them; only their parsing names tell them apart.
TEST_F(PathsE2E, TwoNamesTheCodePageTurnsIntoTheSameTextEachGoToTheirOwnPlace) {
    const testdesk::ViewObjectRegistration registration;
    ASSERT_TRUE(registration.Ok());
    e2e::DeleteLayouts();
    StartShell(true, true);
    const std::vector<TestItem> before = td->Items();
    ASSERT_EQ(before.size(), 3u);
    ASSERT_EQ(before[0].text, before[1].text);
    e2e::RunningApp app;
    ASSERT_TRUE(app.main());
    ASSERT_NO_FATAL_FAILURE(RememberReorderAndRestore(app, IDC_RESTORE));
    EXPECT_TRUE(app.Close());
    // Each kept whole, not as the code page shows it.
    const wchar_t* const files[] = {L"\\caf\u00e9.txt", L"\\caf\u00e8.txt"};
    for (int j = 0; j < 2; ++j) {
        const auto path = e2e::ReadString(L"Pos", L"Path[0][" + std::to_wstring(j) + L"]");
        ASSERT_TRUE(path.has_value()) << j;
        const std::wstring file = files[j];
        EXPECT_TRUE(path->size() > file.size() &&
                    path->compare(path->size() - file.size(), file.size(), file) == 0)
            << j;
    }
}

// Where the view object does not answer, or the stored paths no longer match the layout
// (a copy that does not know paths rewrote it), the icons pair by name as they always
// did: the first "report" in the shell's order takes the first saved place of that name.
TEST_F(PathsE2E, WithoutValidPathsNamesAlonePair) {
    const testdesk::ViewObjectRegistration registration;
    ASSERT_TRUE(registration.Ok());
    for (const char* way : {"no view object", "paths made stale"}) {
        SCOPED_TRACE(way);
        const bool stale = std::string(way) == "paths made stale";
        e2e::DeleteLayouts();
        StartShell();
        {
            e2e::RunningApp app;
            ASSERT_TRUE(app.main());
            ASSERT_TRUE(app.Remember(L"home"));
            EXPECT_TRUE(app.Close());
        }
        ASSERT_TRUE(HasPaths());
        ASSERT_TRUE(td->Restart());
        if (stale) {
            // An older copy renames the layout's third icon as it stores it.
            HKEY pos = nullptr;
            const std::wstring key = std::wstring(e2e::kLayoutsKey) + L"\\Pos";
            ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_SET_VALUE, &pos), 0);
            const char renamed[] = "notes (2)";
            const auto name = e2e::ReadString(L"Pos", L"Name[0][2]");
            ASSERT_TRUE(name.has_value()) << "the stored form names icons otherwise";
            RegSetValueExA(pos, "Name[0][2]", 0, REG_SZ, reinterpret_cast<const BYTE*>(renamed),
                           sizeof renamed);
            RegCloseKey(pos);
        } else {
            const std::vector<TestItem> now = td->Items();
            testdesk::TestDesktopOptions options;
            options.hideExtensions = true;
            std::vector<TestItem> items = now;
            items[1].text = "report.pdf";
            items[2].text = "report.txt";
            items[0].text = "notes.doc";
            StartDesktop(items, options);
        }
        Move(1, 700, 300);
        Move(2, 800, 300);
        e2e::RunningApp app;
        ASSERT_TRUE(app.main());
        Restore(app, IDC_RESTORE);
        const std::vector<TestItem> now = td->Items();
        ASSERT_EQ(now.size(), 3u);
        EXPECT_TRUE(now[1].x == 100 && now[2].x == 300) << "not paired by name";
        EXPECT_TRUE(app.Close());
    }
}

// A view object that hangs: the capture ends within its time-out, without paths.
TEST_F(PathsE2E, AHungViewObjectCostsACaptureNoMoreThanItsTimeOut) {
    const testdesk::ViewObjectRegistration registration;
    ASSERT_TRUE(registration.Ok());
    testdesk::TestDesktopOptions options;
    options.hideExtensions = true;
    options.viewObject = testdesk::ViewObjectMode::kNamesHang;
    StartDesktop(kFiles, options);
    e2e::RunningApp app;
    ASSERT_TRUE(app.main());
    const ULONGLONG start = GetTickCount64();
    ASSERT_TRUE(app.Remember(L"home"));
    EXPECT_LT(GetTickCount64() - start, 8000u);
    EXPECT_TRUE(app.Close());
    EXPECT_FALSE(HasPaths());
    EXPECT_EQ(e2e::ReadTitles(), std::vector<std::wstring>{L"home"});
}

}  // namespace
