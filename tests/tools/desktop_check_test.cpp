// The desktop check run under Wine as on a hosted Windows machine, with the release
// TORVINEL.EXE: against the test desktop (its view object and its restart as Explorer's),
// where the control step must see list-view-only places lost over the restart; against
// the test desktop snapping to its grid as Windows 10 and 11 do by default, where icons
// sent onto points others hold are pushed aside unless the restore switches snapping off
// for its moves; and against a desktop of Wine's own shell view (no restart there).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "tests/e2e/harness/fixture.h"
#include "tools/test_desktop/test_desktop_client.h"
#include "tools/test_desktop/view_object/registration.h"
#include "win/unique_handle.h"

namespace {

std::wstring Wide(const std::string& utf8) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, w.data(), n);
    w.resize(w.size() - 1);
    return w;
}

std::wstring WinePathW(const char* hostPath) { return Wide(testdesk::WinePath(hostPath)); }

struct Outcome {
    DWORD exitCode = 99;
    std::string log;  // UTF-8, as the check writes it
};

std::string ReadFile(const std::wstring& path) {
    std::string text;
    if (std::FILE* f = _wfopen(path.c_str(), L"rb")) {
        char buffer[4096];
        for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) text.append(buffer, n);
        std::fclose(f);
    }
    return text;
}

// Runs desktop_check.exe with these arguments (its log and screenshots in the temp folder).
Outcome RunCheck(const std::wstring& arguments) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring log = std::wstring(temp) + L"desktop-check.log";
    DeleteFileW(log.c_str());
    std::wstring command = L"\"" + WinePathW(DESKTOP_CHECK_EXE) + L"\" " + arguments +
                           L" --exe \"" + WinePathW(TORVINEL_RELEASE_EXE) + L"\" --log \"" + log +
                           L"\" --shots \"" + temp + L"desktop-check-shots\"";
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    Outcome outcome;
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi))
        return outcome;
    CloseHandle(pi.hThread);
    win::UniqueHandle process(pi.hProcess);
    if (WaitForSingleObject(process.Get(), 240000) != WAIT_OBJECT_0)
        TerminateProcess(process.Get(), 98);
    GetExitCodeProcess(process.Get(), &outcome.exitCode);
    outcome.log = ReadFile(log);
    return outcome;
}

bool Contains(const std::string& text, const char* part) {
    return text.find(part) != std::string::npos;
}

// Twelve icons in columns, as a shell lays them out, half of them with Japanese names
// (the check's own arrangement goes by rows, so a restart that forgot would show).
std::vector<testdesk::TestItem> TwelveIcons() {
    std::vector<testdesk::TestItem> items;
    for (int i = 0; i < 12; ++i)
        items.push_back({20 + i / 6 * 100, 20 + i % 6 * 90,
                         i % 2 ? "check-" + std::to_string(i) + ".txt"
                               : "\x8A\x6D\x94\x46-" + std::to_string(i) + ".txt"});  // 確認
    return items;
}

class DesktopCheck : public e2e::Fixture {};

TEST_F(DesktopCheck, PassesOnTheTestDesktopWhoseRestartLosesListViewOnlyPlaces) {
    testdesk::ViewObjectRegistration registration;
    ASSERT_TRUE(registration.Ok());
    testdesk::TestDesktopOptions options;
    options.viewObject = testdesk::ViewObjectMode::kSameOrder;
    testdesk::TestDesktop desk(TwelveIcons(), options);
    ASSERT_TRUE(desk.Ready());

    const Outcome probe = RunCheck(L"--probe --icons 12 --wait 30");
    EXPECT_EQ(probe.exitCode, 0u) << probe.log;
    EXPECT_TRUE(Contains(probe.log, "probe: 12 icons")) << probe.log;
    EXPECT_TRUE(Contains(probe.log, "probe: ANSI code page 932")) << probe.log;

    const Outcome outcome = RunCheck(L"--run --icons 12 --wait 30 --expect-snapshot");
    EXPECT_EQ(outcome.exitCode, 0u) << outcome.log;
    EXPECT_TRUE(Contains(outcome.log, "after the restart: every icon back")) << outcome.log;
    EXPECT_TRUE(Contains(outcome.log, "list-view-only positions were lost")) << outcome.log;
    EXPECT_TRUE(desk.FollowRestart(5000));
}

// Every restore puts each icon exactly back, the swap of two icons too, and leaves
// snapping on as it found it, with nothing moving once it is back on. By list-view
// messages alone (no view object, so no restart): the view object's call after the moves
// would put an icon pushed aside on its place, by then free, and hide the pushing.
TEST_F(DesktopCheck, PassesOnASnappingTestDesktop) {
    testdesk::TestDesktopOptions options;
    options.snapToGrid = true;
    testdesk::TestDesktop desk(TwelveIcons(), options);
    ASSERT_TRUE(desk.Ready());

    const Outcome outcome = RunCheck(L"--run --icons 12 --wait 30 --no-restart --expect-snapshot");
    EXPECT_EQ(outcome.exitCode, 0u) << outcome.log;
    for (const std::string step : {"instant restore", "swap restore", "enjoyable restore"}) {
        EXPECT_TRUE(Contains(outcome.log, (step + ": every icon back").c_str())) << step;
        EXPECT_TRUE(
            Contains(outcome.log, (step + ": after, auto arrange off, snap to grid on").c_str()))
            << step;
        EXPECT_TRUE(Contains(outcome.log, (step + ": 0 icons moved in the").c_str())) << step;
    }
    EXPECT_TRUE(Contains(outcome.log, "traded places")) << outcome.log;
}

TEST_F(DesktopCheck, PassesOnWinesOwnShellView) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"shell-view-desktop";
    CreateDirectoryW(folder.c_str(), nullptr);
    std::vector<std::wstring> files;
    for (int i = 0; i < 8; ++i) {
        files.push_back(folder + L"\\" + (i % 2 ? L"file-" : L"確認-") + std::to_wstring(i) +
                        L".txt");
        win::UniqueHandle f(CreateFileW(files.back().c_str(), GENERIC_WRITE, 0, nullptr,
                                        CREATE_ALWAYS, 0, nullptr));
        ASSERT_TRUE(f);
    }
    std::wstring command = L"\"" + WinePathW(SHELL_VIEW_DESKTOP_EXE) + L"\" \"" + folder + L"\"";
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &si, &pi));
    CloseHandle(pi.hThread);
    win::UniqueHandle host(pi.hProcess);

    // Wine's view arranges its icons itself: the first restore asks, the check answers
    // はい, and from then on the list view keeps the places it is given.
    const Outcome outcome = RunCheck(L"--run --icons 8 --wait 30 --no-restart --expect-snapshot");
    EXPECT_EQ(outcome.exitCode, 0u) << outcome.log;
    EXPECT_TRUE(Contains(outcome.log, "enjoyable restore: every icon back")) << outcome.log;
    EXPECT_TRUE(Contains(outcome.log, "auto arrange off")) << outcome.log;

    if (HWND progman = FindWindowA("Progman", nullptr)) PostMessageA(progman, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(host.Get(), 10000) != WAIT_OBJECT_0) TerminateProcess(host.Get(), 1);
    for (const std::wstring& file : files) DeleteFileW(file.c_str());
    RemoveDirectoryW(folder.c_str());
}

}  // namespace
