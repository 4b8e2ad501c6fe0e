// Not a test: what Wine itself keeps, outside TORVINEL. Repeats one of the platform
// steps a restore or a capture takes, with nothing of ours around it, and prints the
// process's committed private memory after a warm-up, at each change (with the number
// of its threads) and at the end:
//   thread        a thread started with _beginthreadex and joined
//   sta           the same thread entering and leaving a single-threaded apartment
//   shellwindows  ... which also asks the shell's ShellWindows for the desktop (out of
//                 process; the shell may have none), as the view-object commit does
//   shell32       ... which also loads shell32, takes its desktop folder and frees it
//   onethread     the ShellWindows question alone, always from the main thread's one
//                 apartment (entered once)
//   messagebox    a yes/no message box, answered at once (each capture may ask one)
//   dialog        a modal dialog with an edit control and a line of text, in the dialog
//                 font, ended at once (the title dialog)
//   editdialog    the same dialog without the line of text
// Like TORVINEL.EXE it runs with common controls 6 (its manifest), and it also counts the
// busy blocks of the process heap, where the system's DLLs allocate: a leak of a few
// bytes a step shows there long before it commits a new page.
// Usage: platform_memory_probe VARIANT [COUNT]
#include <windows.h>
#include <exdisp.h>
#include <process.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

SIZE_T CommittedPrivate() {
    SIZE_T total = 0;
    MEMORY_BASIC_INFORMATION mbi;
    for (char* p = nullptr; VirtualQuery(p, &mbi, sizeof mbi) == sizeof mbi && mbi.RegionSize;
         p = static_cast<char*>(mbi.BaseAddress) + mbi.RegionSize) {
        if (mbi.State == MEM_COMMIT && mbi.Type == MEM_PRIVATE) total += mbi.RegionSize;
    }
    return total;
}

// Threads of this process (Wine's own included).
int ThreadCount() {
    const HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snap == INVALID_HANDLE_VALUE) return -1;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    int n = 0;
    for (BOOL more = Thread32First(snap, &entry); more; more = Thread32Next(snap, &entry))
        n += entry.th32OwnerProcessID == GetCurrentProcessId();
    CloseHandle(snap);
    return n;
}

// Busy blocks of the process heap, all and those of 24 bytes.
struct HeapBlocks {
    long busy = 0;
    long of24 = 0;
};

HeapBlocks ProcessHeapBlocks() {
    HeapBlocks blocks;
    const HANDLE heap = GetProcessHeap();
    if (!HeapLock(heap)) return blocks;
    PROCESS_HEAP_ENTRY entry{};
    while (HeapWalk(heap, &entry)) {
        if (!(entry.wFlags & PROCESS_HEAP_ENTRY_BUSY)) continue;
        ++blocks.busy;
        blocks.of24 += entry.cbData == 24;
    }
    HeapUnlock(heap);
    return blocks;
}

const char* g_variant = "thread";

void AskShellWindows() {
    IShellWindows* windows = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER,
                                IID_PPV_ARGS(&windows))))
        return;
    VARIANT location = {};
    location.vt = VT_I4;
    location.lVal = CSIDL_DESKTOP;
    VARIANT root = {};
    long hwnd = 0;
    IDispatch* desktop = nullptr;
    if (windows->FindWindowSW(&location, &root, SWC_DESKTOP, &hwnd, SWFO_NEEDDISPATCH, &desktop) ==
            S_OK &&
        desktop)
        desktop->Release();
    windows->Release();
}

void LoadShell32() {
    HMODULE shell = LoadLibraryW(L"shell32.dll");
    if (!shell) return;
    using GetDesktopFolder = HRESULT(WINAPI*)(IShellFolder**);
    const auto get = reinterpret_cast<GetDesktopFolder>(
        reinterpret_cast<void (*)()>(GetProcAddress(shell, "SHGetDesktopFolder")));
    IShellFolder* folder = nullptr;
    if (get && SUCCEEDED(get(&folder)) && folder) folder->Release();
    FreeLibrary(shell);
}

unsigned __stdcall Body(void*) {
    if (std::strcmp(g_variant, "thread") == 0) return 0;
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)))
        return 1;
    if (std::strcmp(g_variant, "shellwindows") == 0) AskShellWindows();
    if (std::strcmp(g_variant, "shell32") == 0) LoadShell32();
    CoUninitialize();
    return 0;
}

void CALLBACK AnswerBox(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    if (HWND box = GetActiveWindow()) PostMessageW(box, WM_COMMAND, IDYES, 0);
}

INT_PTR CALLBACK DialogProc(HWND dlg, UINT msg, WPARAM, LPARAM) {
    if (msg == WM_INITDIALOG) {
        SetDlgItemTextW(dlg, 100, L"layout 1");
        PostMessageW(dlg, WM_COMMAND, IDOK, 0);
        return TRUE;
    }
    if (msg == WM_COMMAND) {
        EndDialog(dlg, IDOK);
        return TRUE;
    }
    return FALSE;
}

// A dialog template in memory, in the dialog font of the title dialog: an edit control
// and, unless `withText` is false, a line of text.
std::vector<WORD> MakeTemplate(bool withText) {
    std::vector<WORD> t;
    auto dword = [&](DWORD d) {
        t.push_back(LOWORD(d));
        t.push_back(HIWORD(d));
    };
    auto text = [&](const wchar_t* s) {
        for (; *s; ++s) t.push_back(static_cast<WORD>(*s));
        t.push_back(0);
    };
    auto item = [&](DWORD style, WORD cls, WORD id, short y) {
        if (t.size() % 2) t.push_back(0);  // items start on a DWORD
        dword(WS_CHILD | WS_VISIBLE | style);
        dword(0);
        for (short v : {short(5), y, short(100), short(12)}) t.push_back(static_cast<WORD>(v));
        t.push_back(id);
        t.push_back(0xFFFF);
        t.push_back(cls);
        text(L"");
        t.push_back(0);  // no creation data
    };
    dword(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE | DS_MODALFRAME | DS_SETFONT);
    dword(0);
    t.push_back(withText ? 2 : 1);
    for (short v : {short(10), short(10), short(120), short(50)}) t.push_back(static_cast<WORD>(v));
    t.push_back(0);  // no menu
    t.push_back(0);  // the dialog class
    text(L"probe");
    t.push_back(9);
    text(L"System");
    item(WS_BORDER | ES_AUTOHSCROLL, 0x0081, 100, 25);
    if (withText) item(SS_LEFT, 0x0082, 0xFFFF, 5);
    return t;
}

void RunDialog(bool withText) {
    static const std::vector<WORD> text = MakeTemplate(true), noText = MakeTemplate(false);
    const auto* t = reinterpret_cast<const DLGTEMPLATE*>((withText ? text : noText).data());
    DialogBoxIndirectW(GetModuleHandleW(nullptr), t, nullptr, DialogProc);
}

void Once() {
    if (std::strcmp(g_variant, "onethread") == 0) {
        static const HRESULT entered =
            CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
        if (SUCCEEDED(entered)) AskShellWindows();
        return;
    }
    if (std::strcmp(g_variant, "messagebox") == 0) {
        SetTimer(nullptr, 0, 1, AnswerBox);
        MessageBoxW(nullptr, L"same title?", L"probe", MB_YESNO);
        return;
    }
    if (std::strcmp(g_variant, "dialog") == 0 || std::strcmp(g_variant, "editdialog") == 0) {
        RunDialog(std::strcmp(g_variant, "dialog") == 0);
        return;
    }
    const uintptr_t h = _beginthreadex(nullptr, 0, Body, nullptr, 0, nullptr);
    if (!h) return;
    WaitForSingleObject(reinterpret_cast<HANDLE>(h), INFINITE);
    CloseHandle(reinterpret_cast<HANDLE>(h));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1) g_variant = argv[1];
    const int count = argc > 2 ? std::atoi(argv[2]) : 2000;
    constexpr int kWarmUp = 20;
    for (int i = 0; i < kWarmUp; ++i) Once();
    const SIZE_T warm = CommittedPrivate();
    const HeapBlocks warmBlocks = ProcessHeapBlocks();
    const int warmThreads = ThreadCount();
    SIZE_T last = warm;
    for (int i = 0; i < count; ++i) {
        Once();
        // Where it grows, and whether a thread came with it.
        const SIZE_T now = CommittedPrivate();
        if (now != last)
            std::printf("  op %d: %zu KiB -> %zu KiB, %d threads\n", i, last / 1024, now / 1024,
                        ThreadCount());
        last = now;
    }
    const SIZE_T end = CommittedPrivate();
    std::printf(
        "%s x %d: committed private %zu KiB after warm-up, %zu KiB at the end "
        "(%.0f bytes each); threads %d, then %d\n",
        g_variant, count, warm / 1024, end / 1024,
        (static_cast<double>(end) - static_cast<double>(warm)) / count, warmThreads, ThreadCount());
    const HeapBlocks endBlocks = ProcessHeapBlocks();
    std::printf(
        "process heap: %ld busy blocks after warm-up, %ld at the end (of 24 bytes: %ld, then "
        "%ld)\n",
        warmBlocks.busy, endBlocks.busy, warmBlocks.of24, endBlocks.of24);
    return 0;
}
