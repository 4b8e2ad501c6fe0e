// Starts test_desktop.exe, waits until it is ready, reads its dumps and logs.
#include "tools/test_desktop/test_desktop_client.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

#include "tools/test_desktop/protocol.h"

namespace testdesk {

namespace {

constexpr DWORD kPollMs = 20;

HWND FindReadyProgman() { return FindWindowA("Progman", "Program Manager"); }

DWORD ProcessOf(HWND hwnd) {
    DWORD pid = 0;
    if (hwnd) GetWindowThreadProcessId(hwnd, &pid);
    return pid;
}

// The ready host window of process `pid`: its Progman, or its decoy "WorkerW".
HWND FindReadyHost(DWORD pid, bool decoy) {
    HWND host = decoy ? FindWindowA("WorkerW", kDecoyTitle) : FindReadyProgman();
    return ProcessOf(host) == pid && pid ? host : nullptr;
}

const char* TreeOption(Tree tree) {
    switch (tree) {
        case Tree::kWorkerW:
            return " --tree workerw";
        case Tree::kDefViewWorkerW:
            return " --tree defview-workerw";
        case Tree::kForeignFirst:
            return " --tree foreign-first";
        case Tree::kClassic:
            break;
    }
    return "";
}

// Any Progman of ours, ready or not (FindWindowA with no title matches any).
HWND FindAnyProgman() { return FindWindowA("Progman", nullptr); }

std::string MakeTempDir() {
    char base[MAX_PATH] = {};
    GetTempPathA(sizeof base, base);
    for (unsigned n = GetTickCount();; ++n) {
        char dir[MAX_PATH];
        std::snprintf(dir, sizeof dir, "%stestdesk-%lu-%u", base, GetCurrentProcessId(), n);
        if (CreateDirectoryA(dir, nullptr)) return dir;
        if (GetLastError() != ERROR_ALREADY_EXISTS) return base;
    }
}

std::string ReadLine(std::FILE* f, bool& more) {
    std::string line;
    int c;
    while ((c = std::fgetc(f)) != EOF && c != '\n') line.push_back(static_cast<char>(c));
    more = c != EOF || !line.empty();
    return line;
}

}  // namespace

std::string WinePath(const std::string& hostPath) {
    if (hostPath.empty() || hostPath[0] != '/') return hostPath;
    std::string p = "Z:" + hostPath;
    for (char& c : p)
        if (c == '/') c = '\\';
    return p;
}

std::string TestDesktopExe() { return WinePath(TORVINEL_TEST_DESKTOP_EXE); }

void CloseRunningTestDesktops() {
    for (int i = 0; i < 250; ++i) {
        HWND progman = FindAnyProgman();
        if (!progman) return;
        PostMessageA(progman, WM_CLOSE, 0, 0);
        Sleep(kPollMs);
    }
}

TestDesktop::TestDesktop(const std::vector<TestItem>& items, TestDesktopOptions options)
    : m_decoy(options.decoy), m_hidesExtensions(options.hideExtensions) {
    if (!m_decoy) CloseRunningTestDesktops();
    if (m_hidesExtensions) m_hideFileExt = ReadHideFileExt();
    m_dir = MakeTempDir();
    const std::string itemsPath = m_dir + "\\items.txt";
    m_logPath = m_dir + "\\setpos.log";
    m_dumpPath = m_dir + "\\dump.txt";
    m_viewLogPath = m_dir + "\\view.log";
    m_keptPath = m_dir + "\\kept.txt";
    m_styleLogPath = m_dir + "\\style.log";
    if (!WriteItemsFile(itemsPath, items)) return;

    std::string cmd = "\"" + TestDesktopExe() + "\" --items \"" + itemsPath + "\" --log \"" +
                      m_logPath + "\" --dump \"" + m_dumpPath + "\" --style-log \"" +
                      m_styleLogPath + "\"";
    cmd += TreeOption(options.tree);
    if (options.decoy)
        cmd += " --decoy";
    else
        cmd += " --keep \"" + m_keptPath + "\"";
    if (options.emulate9x) cmd += " --emulate-9x";
    if (options.viewObject != ViewObjectMode::kNone)
        cmd += std::string(" --view-object ") + ViewObjectModeName(options.viewObject) +
               " --view-log \"" + m_viewLogPath + "\"";
    if (options.hangAfter >= 0) cmd += " --hang-after " + std::to_string(options.hangAfter);
    if (options.dieAfter >= 0) cmd += " --die-after " + std::to_string(options.dieAfter);
    if (options.width > 0 && options.height > 0)
        cmd += " --size " + std::to_string(options.width) + "x" + std::to_string(options.height);
    if (options.left != 0 || options.top != 0)
        cmd += " --origin " + std::to_string(options.left) + "," + std::to_string(options.top);
    if (options.autoArrange) cmd += " --auto-arrange";
    if (options.keepsArranging) cmd += " --keeps-arranging";
    if (options.snapToGrid) cmd += " --snap";
    if (options.hideExtensions) cmd += " --hide-extensions";
    if (options.reorderOnRestart) cmd += " --reorder-on-restart";
    if (options.utf8Texts) cmd += " --utf8";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return;
    CloseHandle(pi.hThread);
    m_process = win::UniqueHandle(pi.hProcess);
    m_processId = pi.dwProcessId;

    for (DWORD waited = 0; waited < options.readyTimeoutMs; waited += kPollMs) {
        if (FindReadyHost(m_processId, m_decoy)) {
            m_ready = true;
            return;
        }
        if (WaitForSingleObject(m_process.Get(), kPollMs) == WAIT_OBJECT_0) return;  // died
    }
}

TestDesktop::~TestDesktop() {
    Close();
    DeleteFileA((m_dir + "\\items.txt").c_str());
    DeleteFileA(m_logPath.c_str());
    DeleteFileA(m_dumpPath.c_str());
    DeleteFileA(m_viewLogPath.c_str());
    DeleteFileA(m_keptPath.c_str());
    DeleteFileA((m_keptPath + ".flags").c_str());
    DeleteFileA(m_styleLogPath.c_str());
    RemoveDirectoryA(m_dir.c_str());
}

HWND TestDesktop::Progman() const { return FindReadyProgman(); }

HWND TestDesktop::Host() const { return FindReadyHost(m_processId, m_decoy); }

HWND TestDesktop::ListView() const {
    DWORD_PTR view = 0;
    HWND host = Host();
    if (!host || !SendMessageTimeoutA(host, RegisterWindowMessageA(kListViewMessage), 0, 0,
                                      SMTO_ABORTIFHUNG, 10000, &view))
        return nullptr;
    return reinterpret_cast<HWND>(view);
}

bool TestDesktop::Hang(int after) const {
    DWORD_PTR armed = 0;
    HWND host = Host();
    return host &&
           SendMessageTimeoutA(host, RegisterWindowMessageA(kHangMessage),
                               static_cast<WPARAM>(after), 0, SMTO_ABORTIFHUNG, 10000, &armed) &&
           armed == 1;
}

bool TestDesktop::WaitUntilHung(DWORD timeoutMs) const {
    win::UniqueHandle hung(
        OpenEventA(SYNCHRONIZE, FALSE, FaultEventName(kHungEventPrefix, m_processId).c_str()));
    return hung && WaitForSingleObject(hung.Get(), timeoutMs) == WAIT_OBJECT_0;
}

bool TestDesktop::SetFaultEvent(const char* prefix) const {
    win::UniqueHandle event(
        OpenEventA(EVENT_MODIFY_STATE, FALSE, FaultEventName(prefix, m_processId).c_str()));
    return event && SetEvent(event.Get());
}

void TestDesktop::Resume() const { SetFaultEvent(kResumeEventPrefix); }

LateAnswer TestDesktop::LateAnswerOfHeldMessage() const {
    DWORD_PTR late = 0;
    HWND host = Host();
    if (!host || !SendMessageTimeoutA(host, RegisterWindowMessageA(kLateAnswerMessage), 0, 0,
                                      SMTO_ABORTIFHUNG, 10000, &late))
        return LateAnswer::kNone;
    return static_cast<LateAnswer>(late);
}

std::vector<TestItem> TestDesktop::Items() const {
    std::vector<TestItem> items;
    HWND host = Host();
    if (!host) return items;
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(host, RegisterWindowMessageA(kDumpMessage), 0, 0, SMTO_ABORTIFHUNG,
                             10000, &result) ||
        result != 1)
        return items;
    std::FILE* f = std::fopen(m_dumpPath.c_str(), "rb");
    if (!f) return items;
    for (bool more = true; more;) {
        const std::string line = ReadLine(f, more);
        int index = 0;
        long x = 0, y = 0;
        int used = 0;
        if (std::sscanf(line.c_str(), "%d %ld %ld%n", &index, &x, &y, &used) != 3) continue;
        TestItem item;
        item.x = static_cast<int32_t>(x);
        item.y = static_cast<int32_t>(y);
        const char* text = line.c_str() + used;
        item.text = *text == ' ' ? text + 1 : text;
        items.push_back(item);
    }
    std::fclose(f);
    return items;
}

std::vector<SetPositionRecord> TestDesktop::SetPositionLog() const {
    std::vector<SetPositionRecord> records;
    std::FILE* f = std::fopen(m_logPath.c_str(), "rb");
    if (!f) return records;
    SetPositionRecord r{};
    while (std::fscanf(f, "%d %d %d", &r.index, &r.x, &r.y) == 3) records.push_back(r);
    std::fclose(f);
    return records;
}

std::vector<std::string> TestDesktop::StyleLog() const {
    std::vector<std::string> lines;
    std::FILE* f = std::fopen(m_styleLogPath.c_str(), "rb");
    if (!f) return lines;
    for (bool more = true; more;) {
        std::string line = ReadLine(f, more);
        if (!line.empty()) lines.push_back(std::move(line));
    }
    std::fclose(f);
    return lines;
}

DWORD TestDesktop::ListViewStyle() const {
    HWND view = ListView();
    return view ? static_cast<DWORD>(GetWindowLongPtrA(view, GWL_STYLE)) : 0;
}

DWORD TestDesktop::AskHost(const char* message) const {
    DWORD_PTR answer = 0;
    HWND host = Host();
    if (!host || !SendMessageTimeoutA(host, RegisterWindowMessageA(message), 0, 0, SMTO_ABORTIFHUNG,
                                      10000, &answer))
        return 0;
    return static_cast<DWORD>(answer);
}

DWORD TestDesktop::ListViewExStyle() const { return AskHost(kExStyleMessage); }

DWORD TestDesktop::FolderFlags() const { return AskHost(kFolderFlagsMessage); }

void TestDesktop::ClearSetPositionLog() const {
    if (HWND host = Host()) SendMessageA(host, RegisterWindowMessageA(kClearLogMessage), 0, 0);
}

bool TestDesktop::Restart(DWORD timeoutMs) {
    DWORD_PTR result = 0;
    HWND host = Host();
    if (!host ||
        !SendMessageTimeoutA(host, RegisterWindowMessageA(kRestartMessage), 0, 0, SMTO_ABORTIFHUNG,
                             10000, &result) ||
        result != 1)
        return false;
    return FollowRestart(timeoutMs);
}

bool TestDesktop::FollowRestart(DWORD timeoutMs) {
    if (!m_process || m_decoy) return false;
    const DWORD start = GetTickCount();
    if (WaitForSingleObject(m_process.Get(), timeoutMs) != WAIT_OBJECT_0) return false;
    m_ready = false;
    for (;;) {
        const DWORD pid = ProcessOf(FindReadyProgman());
        if (pid && pid != m_processId) {
            win::UniqueHandle process(OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, pid));
            if (!process) return false;
            m_process = std::move(process);
            m_processId = pid;
            m_ready = true;
            return true;
        }
        if (GetTickCount() - start >= timeoutMs) return false;
        Sleep(kPollMs);
    }
}

void TestDesktop::Close() {
    if (!m_process) return;
    Resume();
    HWND host = m_decoy ? FindWindowA("WorkerW", kDecoyTitle) : FindAnyProgman();
    if (ProcessOf(host) == m_processId) PostMessageA(host, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(m_process.Get(), 10000) != WAIT_OBJECT_0) {
        TerminateProcess(m_process.Get(), 1);
        // Ended so, it put nothing back.
        if (m_hidesExtensions) WriteHideFileExt(m_hideFileExt);
    }
    m_process.Reset();
    m_ready = false;
}

}  // namespace testdesk
