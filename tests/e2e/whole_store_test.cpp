// What the real TORVINEL.EXE leaves in Wine's registry when its save is cut off or
// refused, and what it says: the process killed at moments of a long save and at the
// boundaries of its stages, and its clean-up stopped halfway (the next start lists the
// old or the new store, each layout whole), a store the user may only read (listed;
// the save's failure is told at exit), a store that cannot be read (told at start;
// nothing written at all), and a run-guard mutex the program may only wait on.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "store/layout_store.h"
#include "tests/e2e/harness/app.h"
#include "tests/e2e/harness/fixture.h"
#include "tests/e2e/harness/registry.h"
#include "tests/e2e/harness/waits.h"
#include "tests/store/key_dacl.h"
#include "win/single_run.h"

namespace {

using e2e::RunningApp;

const std::string kKey = "Software\\BRANOK Soft\\TORVINEL";
const wchar_t kSaveFailed[] =
    L"配置を保存できませんでした。\nHKEY_CURRENT_USER\\Software\\BRANOK Soft\\TORVINEL";
const wchar_t kUnreadable[] =
    L"保存されている配置を読み込めませんでした。このまま続けても、今回の変更は保存されません。\n"
    L"HKEY_CURRENT_USER\\Software\\BRANOK Soft\\TORVINEL";
const wchar_t kAnotherRun[] = L"TORVINEL はほかで実行中か、終了の途中です。";

// Layouts "T<k>", each with its own icons "T<k>.<j>" at (k, j): a mix shows.
std::vector<e2e::SeedLayout> MakeLayouts(int layouts, int icons) {
    std::vector<e2e::SeedLayout> out;
    for (int k = 0; k < layouts; ++k) {
        e2e::SeedLayout layout{L"T" + std::to_wstring(k), {}};
        for (int j = 0; j < icons; ++j)
            layout.icons.push_back({PackIconPos(k, j), layout.title + L"." + std::to_wstring(j)});
        out.push_back(std::move(layout));
    }
    return out;
}

// The counted layouts as stored, one line each: title, then every icon's place and
// name. Icons whose values are missing show as "?".
std::vector<std::wstring> StoredLayouts() {
    std::vector<std::wstring> out;
    const DWORD n = e2e::ReadDword(L"Title", L"Number").value_or(0);
    for (DWORD i = 0; i < n; ++i) {
        const std::wstring idx = std::to_wstring(i);
        std::wstring line = e2e::ReadString(L"Title", L"Title[" + idx + L"]").value_or(L"?") + L":";
        const DWORD m = e2e::ReadDword(L"Pos", L"Number[" + idx + L"]").value_or(0);
        for (DWORD j = 0; j < m; ++j) {
            const std::wstring ij = L"[" + idx + L"][" + std::to_wstring(j) + L"]";
            const auto pos = e2e::ReadDword(L"Pos", L"Pos" + ij);
            line += L" " + (pos ? std::to_wstring(*pos) : L"?") + L"=" +
                    e2e::ReadString(L"Pos", L"Name" + ij).value_or(L"?");
        }
        out.push_back(line);
    }
    return out;
}

std::vector<std::wstring> Lines(const std::vector<e2e::SeedLayout>& layouts) {
    std::vector<std::wstring> out;
    for (const auto& l : layouts) {
        std::wstring line = l.title + L":";
        for (const auto& icon : l.icons)
            line += L" " + std::to_wstring(icon.packedPos) + L"=" + icon.name;
        out.push_back(line);
    }
    return out;
}

std::vector<std::wstring> Titles(const std::vector<e2e::SeedLayout>& layouts) {
    std::vector<std::wstring> out;
    for (const auto& l : layouts) out.push_back(l.title);
    return out;
}

bool StagingExists() {
    return e2e::KeyExists(std::wstring(e2e::kLayoutsKey) + L"\\Saving") ||
           e2e::KeyExists(std::wstring(e2e::kLayoutsKey) + L"\\Saving.2");
}

class WholeStore : public e2e::Fixture {
protected:
    void TearDown() override {
        keydacl::SetAll(kKey, {"Title", "Pos", "Saving", "Saving\\Title"}, keydacl::kFullAccess);
        e2e::Fixture::TearDown();
    }
};

// ---- Cut off -------------------------------------------------------------------

class CutOff : public WholeStore {
protected:
    void SetUp() override {
        WholeStore::SetUp();
        oldStore = MakeLayouts(30, 200);
        newStore.assign(oldStore.begin() + 1, oldStore.end());
    }
    // The old store seeded, the program started, the first layout deleted and the
    // dialog closed: the save is under way when this returns.
    void StartSaving() {
        e2e::SeedLayouts(oldStore);
        app.emplace();
        ASSERT_TRUE(app->main());
        ASSERT_TRUE(app->DeleteLine(0));
        driver::PostClose(app->main());
    }
    void Kill() {
        TerminateProcess(app->process().handle(), 1);
        ASSERT_TRUE(app->WaitForExit(5000));
    }
    // The next start lists the old or the new store; once it is closed, the key holds
    // that store, every layout with its own icons, and no staging.
    void ExpectNextStartListsAWholeStore(const char* when) {
        SCOPED_TRACE(when);
        RunningApp next;
        ASSERT_TRUE(next.main());
        const std::vector<std::wstring> listed = next.Lines();
        const bool isNew = listed == Titles(newStore);
        EXPECT_TRUE(isNew || listed == Titles(oldStore)) << listed.size() << " lines";
        std::printf("%s: the next start lists the %s store\n", when, isNew ? "new" : "old");
        ASSERT_TRUE(next.Close());
        EXPECT_EQ(StoredLayouts(), Lines(isNew ? newStore : oldStore));
        EXPECT_FALSE(StagingExists());
    }

    // The staging slot "Saving" is marked complete.
    static bool StagingMarked() {
        const std::wstring saving = std::wstring(e2e::kLayoutsKey) + L"\\Saving";
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, saving.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
            return false;
        const bool marked =
            RegQueryValueExW(key, L"Complete", nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
        RegCloseKey(key);
        return marked;
    }

    std::vector<e2e::SeedLayout> oldStore, newStore;
    std::optional<RunningApp> app;
};

TEST_F(CutOff, KilledAnywhereInTheSaveTheNextStartListsAWholeStore) {
    // How long a whole save takes, from the close to the end of the process.
    ASSERT_NO_FATAL_FAILURE(StartSaving());
    const DWORD start = GetTickCount();
    ASSERT_TRUE(app->WaitForExit(60000));
    const DWORD saveMs = GetTickCount() - start;
    EXPECT_EQ(StoredLayouts(), Lines(newStore));
    std::printf("a whole save of 30 x 200 took %lu ms\n", static_cast<unsigned long>(saveMs));
    ASSERT_GT(saveMs, 50u) << "too fast to cut off at moments";

    for (const double fraction : {0.05, 0.25, 0.45, 0.65, 0.85}) {
        const std::string when = "killed at " + std::to_string(fraction) + " of the save";
        ASSERT_NO_FATAL_FAILURE(StartSaving());
        Sleep(static_cast<DWORD>(saveMs * fraction));
        ASSERT_NO_FATAL_FAILURE(Kill());
        ASSERT_NO_FATAL_FAILURE(ExpectNextStartListsAWholeStore(when.c_str()));
    }
}

TEST_F(CutOff, KilledAtEachStageBoundaryTheNextStartListsAWholeStore) {
    const std::wstring saving = std::wstring(e2e::kLayoutsKey) + L"\\Saving";
    struct Boundary {
        const char* name;
        std::function<bool()> reached;
    };
    const Boundary boundaries[] = {
        {"staging begun", [&] { return e2e::KeyExists(saving); }},
        {"staging marked complete", StagingMarked},
        {"the key's own values begun",
         [&] {
             return e2e::ReadDword(L"Title", L"Number") == static_cast<DWORD>(newStore.size());
         }},
        {"staging removed",
         [&] {
             return e2e::ReadDword(L"Title", L"Number") == static_cast<DWORD>(newStore.size()) &&
                    !e2e::KeyExists(saving);
         }},
    };
    for (const Boundary& b : boundaries) {
        ASSERT_NO_FATAL_FAILURE(StartSaving());
        ASSERT_TRUE(e2e::WaitFor(b.reached, 60000, 0)) << b.name;
        ASSERT_NO_FATAL_FAILURE(Kill());
        ASSERT_NO_FATAL_FAILURE(ExpectNextStartListsAWholeStore(b.name));
    }
}

// Once the staging is marked complete, this process makes its "Title" unreadable (Wine
// enforces read rights on keys, not the right to delete one): removing the staging
// stops after its "Pos", as when the process is ended between those two deletions. No
// save failed; with the right given back, the next start lists a whole store.
TEST_F(CutOff, ACleanUpStoppedHalfwayLosesNoLayout) {
    oldStore = MakeLayouts(3, 300);
    newStore.assign(oldStore.begin() + 1, oldStore.end());
    const std::string title = kKey + "\\Saving\\Title";
    ASSERT_NO_FATAL_FAILURE(StartSaving());
    ASSERT_TRUE(e2e::WaitFor(StagingMarked, 60000, 0));
    ASSERT_TRUE(keydacl::Set(title, keydacl::kNoAccess)) << "the staging was gone too soon";
    EXPECT_EQ(app->WaitForBox(e2e::kAppCaption, 3000), nullptr) << "a box at exit";
    ASSERT_TRUE(app->WaitForExit(60000));
    EXPECT_TRUE(StagingExists()) << "the clean-up was not stopped";
    EXPECT_FALSE(StagingMarked()) << "a half-removed staging is still marked complete";
    ASSERT_TRUE(keydacl::Set(title, keydacl::kFullAccess));
    ASSERT_NO_FATAL_FAILURE(ExpectNextStartListsAWholeStore("the clean-up stopped halfway"));
}

// ---- Refused, unreadable ---------------------------------------------------------

TEST_F(WholeStore, RefusedSaveIsToldAndTheNextStartListsAWholeStore) {
    const auto oldStore = MakeLayouts(3, 4);
    const std::vector<e2e::SeedLayout> newStore(oldStore.begin() + 1, oldStore.end());
    e2e::SeedLayouts(oldStore);
    ASSERT_TRUE(keydacl::SetAll(kKey, {"Title", "Pos"}, keydacl::kReadOnly));
    {
        RunningApp app;
        ASSERT_TRUE(app.main());
        EXPECT_EQ(app.Lines(), Titles(oldStore)) << "a store the user may read is listed";
        ASSERT_TRUE(app.DeleteLine(0));
        driver::PostClose(app.main());
        HWND box = app.WaitForBox(e2e::kAppCaption);
        ASSERT_TRUE(box) << "no word that the save failed";
        EXPECT_EQ(driver::ReadMessageBoxText(box), kSaveFailed);
        EXPECT_NE(SendMessageW(GetDlgItem(box, 0x0440), STM_GETICON, 0, 0), 0) << "no icon";
        EXPECT_FALSE(app.WaitForExit(300)) << "ended without waiting for the box";
        {
            // The save is over: a copy started while the box is up opens at once.
            const driver::Process second = driver::Start(e2e::TorvinelExePath());
            ASSERT_TRUE(second);
            HWND main = driver::WaitForDialog(second.id(), driver::kMainCaption, 5000);
            EXPECT_TRUE(main) << "the box held the run guard";
            second.Terminate();  // its save would fail too; nothing of it is tested here
            EXPECT_TRUE(second.WaitForExit(5000));
        }
        driver::AnswerMessageBox(box, IDOK);
        DWORD code = 1;
        EXPECT_TRUE(app.process().WaitForExit(10000, &code));
        EXPECT_EQ(code, 0u);
    }
    keydacl::SetAll(kKey, {"Title", "Pos", "Saving"}, keydacl::kFullAccess);
    RunningApp next;
    ASSERT_TRUE(next.main());
    const auto listed = next.Lines();
    const bool isNew = listed == Titles(newStore);
    EXPECT_TRUE(isNew || listed == Titles(oldStore));
    ASSERT_TRUE(next.Close());
    EXPECT_EQ(StoredLayouts(), Lines(isNew ? newStore : oldStore));
    EXPECT_FALSE(StagingExists());
}

TEST_F(WholeStore, UnreadableStoreIsToldAndNothingIsWritten) {
    e2e::SeedLayouts(MakeLayouts(3, 4));
    const e2e::LayoutValues before = e2e::ReadLayoutValues();
    for (const bool sessionEnds : {false, true}) {
        SCOPED_TRACE(sessionEnds ? "the session ends" : "closed");
        ASSERT_TRUE(keydacl::Set(kKey + "\\Pos", keydacl::kNoAccess));
        {
            RunningApp app;
            ASSERT_TRUE(app.main());
            EXPECT_EQ(app.AnswerBox(e2e::kAppCaption), std::wstring(kUnreadable));
            EXPECT_TRUE(app.Lines().empty()) << "a part of the store is listed";
            if (sessionEnds) {
                DWORD_PTR answer = 0;
                SendMessageTimeoutW(app.main(), WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, 5000,
                                    &answer);
                SendMessageTimeoutW(app.main(), WM_ENDSESSION, TRUE, 0, SMTO_ABORTIFHUNG, 5000,
                                    &answer);
                app.process().Terminate();
            } else {
                driver::PostClose(app.main());
                EXPECT_EQ(app.WaitForBox(e2e::kAppCaption, 1000), nullptr) << "a box at exit";
                EXPECT_TRUE(app.WaitForExit(10000));
            }
        }
        ASSERT_TRUE(keydacl::Set(kKey + "\\Pos", keydacl::kFullAccess));
        EXPECT_EQ(e2e::ReadLayoutValues(), before) << "written over what could not be read";
    }
}

// ---- Run guard -------------------------------------------------------------------

// Holds the run guard's mutex as a first copy running elevated would: the program may
// only wait on it (CreateMutex fails with access denied, OpenMutex(SYNCHRONIZE) works).
class ForeignGuard {
public:
    ForeignGuard() {
        PSECURITY_DESCRIPTOR sd = nullptr;
        ConvertStringSecurityDescriptorToSecurityDescriptorA("D:P(A;;0x100000;;;WD)",
                                                             SDDL_REVISION_1, &sd, nullptr);
        SECURITY_ATTRIBUTES sa{sizeof sa, sd, FALSE};
        m_mutex = CreateMutexA(&sa, TRUE, CSingleRun(kKey).MutexName().c_str());
        LocalFree(sd);
    }
    ~ForeignGuard() { Release(); }
    explicit operator bool() const { return m_mutex != nullptr; }
    void Release() {
        if (m_mutex) {
            ReleaseMutex(m_mutex);
            CloseHandle(m_mutex);
            m_mutex = nullptr;
        }
    }

private:
    HANDLE m_mutex = nullptr;
};

TEST_F(WholeStore, AGuardItMayOnlyWaitOnIsWaitedForThenGivenUp) {
    e2e::SeedTitles({L"A", L"B"});
    const e2e::LayoutValues before = e2e::ReadLayoutValues();
    {
        ForeignGuard guard;
        ASSERT_TRUE(guard);
        const driver::Process waiting = driver::Start(e2e::TorvinelExePath());
        ASSERT_TRUE(waiting);
        const DWORD start = GetTickCount();
        HWND box = nullptr;
        ASSERT_TRUE(e2e::WaitFor(
            [&] {
                EXPECT_EQ(driver::FindDialog(waiting.id(), driver::kMainCaption), nullptr);
                return (box = driver::FindDialog(waiting.id(), e2e::kAppCaption)) != nullptr;
            },
            20000, 50));
        const DWORD waited = GetTickCount() - start;
        EXPECT_GE(waited, 9000u);
        EXPECT_LE(waited, 15000u);
        EXPECT_EQ(driver::ReadMessageBoxText(box), kAnotherRun);
        EXPECT_EQ(e2e::ReadLayoutValues(), before);
        driver::AnswerMessageBox(box, IDOK);
        EXPECT_TRUE(waiting.WaitForExit(5000));
        EXPECT_EQ(e2e::ReadLayoutValues(), before);
    }
    {
        ForeignGuard guard;
        ASSERT_TRUE(guard);
        const driver::Process waiting = driver::Start(e2e::TorvinelExePath());
        ASSERT_TRUE(waiting);
        Sleep(2000);
        EXPECT_EQ(driver::FindDialog(waiting.id(), driver::kMainCaption), nullptr);
        guard.Release();
        HWND main = driver::WaitForDialog(waiting.id(), driver::kMainCaption, 10000);
        ASSERT_TRUE(main) << "released in time, the program did not start";
        EXPECT_EQ(driver::ReadListLines(main, IDC_LAYOUT_LIST),
                  (std::vector<std::wstring>{L"A", L"B"}));
        driver::PostClose(main);
        EXPECT_TRUE(waiting.WaitForExit(10000));
    }
}

}  // namespace
