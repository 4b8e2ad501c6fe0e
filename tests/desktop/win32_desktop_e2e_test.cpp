// Win32Desktop against the real list view of the test desktop under Wine: finding the
// view in the trees of each shell (and never another program's), texts and positions
// through one remote block, the 9x shared block against the emulating desktop, and the
// 16-bit set position.
#include <gtest/gtest.h>

#include <windows.h>

#include <optional>

#include "desktop/access/find_view.h"
#include "desktop/access/remote_block.h"
#include "desktop/access/win32_desktop.h"
#include "tools/test_desktop/test_desktop_client.h"

namespace {

using desktop::AccessContext;
using desktop::ViewId;
using desktop::Win32Desktop;
using testdesk::TestDesktop;
using testdesk::TestDesktopOptions;
using testdesk::TestItem;

const std::string kLong(150, 'L');
// 60 double-byte characters: 120 bytes; the list view never splits one.
const std::string kLongJapanese = [] {
    std::string s;
    for (int i = 0; i < 60; ++i) s += "表";
    return s;
}();

std::vector<TestItem> SampleItems() {
    return {{10, 20, "Readme"},     {-50, -20, "ごみ箱"},
            {300, 200, ""},         {5000, 3000, "マイ コンピュータ"},
            {-32768, 32767, kLong}, {40, 400, kLongJapanese},
            {64, 64, "Readme"}};
}

struct ReadIcon {
    std::string text;
    int32_t x, y;
};

std::vector<ReadIcon> ReadAllRemote(Win32Desktop& d, ViewId view) {
    std::vector<ReadIcon> icons;
    const int n = d.CountItems(view);
    auto ctx = d.OpenRemote(view);
    if (!ctx) return icons;
    for (int i = 0; i < n; ++i) {
        ReadIcon icon{ctx->ReadText(i), -999, -999};
        ctx->ReadPosition(i, icon.x, icon.y);
        icons.push_back(icon);
    }
    return icons;
}

TEST(Win32Desktop, ReadsEveryTextAndPositionThroughOneRemoteBlock) {
    const std::vector<TestItem> items = SampleItems();
    TestDesktop shell(items);
    ASSERT_TRUE(shell.Ready());
    Win32Desktop d;
    const ViewId view = d.FindView();
    ASSERT_EQ(view, reinterpret_cast<ViewId>(shell.ListView()));
    ASSERT_EQ(d.CountItems(view), static_cast<int>(items.size()));

    const std::vector<ReadIcon> icons = ReadAllRemote(d, view);
    ASSERT_EQ(icons.size(), items.size());
    for (std::size_t i = 0; i < items.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(icons[i].x, items[i].x);
        EXPECT_EQ(icons[i].y, items[i].y);
        if (items[i].text == kLong) {
            EXPECT_EQ(icons[i].text, kLong.substr(0, 99));
        } else if (items[i].text == kLongJapanese) {
            // Cut at a character boundary, never past 99 bytes.
            EXPECT_EQ(icons[i].text, kLongJapanese.substr(0, icons[i].text.size()));
            EXPECT_GE(icons[i].text.size(), 98u);
            EXPECT_LE(icons[i].text.size(), 99u);
        } else {
            EXPECT_EQ(icons[i].text, items[i].text);
        }
    }
}

TEST(Win32Desktop, OutOfRangeReadsGiveEmptyTextAndLeaveOutputs) {
    TestDesktop shell({{10, 20, "A"}, {30, 40, "B"}});
    ASSERT_TRUE(shell.Ready());
    Win32Desktop d;
    const ViewId view = d.FindView();
    auto ctx = d.OpenRemote(view);
    ASSERT_TRUE(ctx);
    for (int bad : {-1, 2, 1000}) {
        int32_t x = 7, y = 8;
        EXPECT_EQ(ctx->ReadText(bad), "");
        EXPECT_FALSE(ctx->ReadPosition(bad, x, y));
        EXPECT_EQ(x, 7);
        EXPECT_EQ(y, 8);
    }
    // The block still serves in-range reads afterwards, text then position.
    int32_t x = 0, y = 0;
    EXPECT_EQ(ctx->ReadText(1), "B");
    EXPECT_TRUE(ctx->ReadPosition(1, x, y));
    EXPECT_EQ(x, 30);
    EXPECT_EQ(y, 40);
}

TEST(Win32Desktop, FailedTransfersGiveNoTextAndLeaveThePosition) {
    TestDesktop shell({{10, 20, "A"}});
    ASSERT_TRUE(shell.Ready());
    desktop::ViewLink view(desktop::FindDesktopListView());
    const win::UniqueRemoteMemory access = desktop::OpenRemoteBlock(view.View());
    ASSERT_TRUE(access);
    // Give the block an earlier item's answer, then read through handles that lack
    // the right to read or to write.
    EXPECT_EQ(desktop::ReadRemoteItemText(view, access.Get().process, access.Get().address, 0),
              "A");
    for (DWORD rights : {DWORD{PROCESS_VM_OPERATION | PROCESS_VM_WRITE},
                         DWORD{PROCESS_VM_OPERATION | PROCESS_VM_READ}}) {
        SCOPED_TRACE(rights);
        win::UniqueHandle limited(OpenProcess(rights, FALSE, shell.ProcessId()));
        ASSERT_TRUE(limited);
        EXPECT_EQ(desktop::ReadRemoteItemText(view, limited.Get(), access.Get().address, 0), "");
        if (rights & PROCESS_VM_READ) continue;  // the block does hold a real position
        int32_t x = 7, y = 8;
        EXPECT_FALSE(
            desktop::ReadRemoteItemPosition(view, limited.Get(), access.Get().address, 0, x, y));
        EXPECT_EQ(x, 7);
        EXPECT_EQ(y, 8);
    }
}

TEST(Win32Desktop, SetPositionSendsTheLow16BitsOfEachCoordinate) {
    TestDesktop shell({{0, 0, "a"}, {0, 0, "b"}, {0, 0, "c"}, {0, 0, "d"}});
    ASSERT_TRUE(shell.Ready());
    Win32Desktop d;
    const ViewId view = d.FindView();
    d.SetPosition(view, 3, -20, 35);
    d.SetPosition(view, 1, 70000 /* 0x11170 */, -32768);
    const auto log = shell.SetPositionLog();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0], (testdesk::SetPositionRecord{3, -20, 35}));
    EXPECT_EQ(log[1], (testdesk::SetPositionRecord{1, 0x1170, -32768}));
    const auto now = shell.Items();
    ASSERT_EQ(now.size(), 4u);
    EXPECT_EQ(now[3].x, -20);
    EXPECT_EQ(now[3].y, 35);
    EXPECT_EQ(now[1].x, 0x1170);
}

std::string ClassOf(HWND hwnd) {
    char cls[64] = {};
    if (hwnd) GetClassNameA(hwnd, cls, sizeof cls);
    return cls;
}

// The trees of the shells met in the wild, each with Progman's first child as it has it,
// and a "WorkerW" with a view made by another program, stacked above the shell's own.
TEST(Win32Desktop, FindsTheShellsViewInEachTreeAndNeverADecoy) {
    struct Case {
        const char* name;
        testdesk::Tree tree;
        bool decoy;
        const char* progmanFirstChild;  // "" when Progman has no child
    };
    for (const Case& c : {
             Case{"classic", testdesk::Tree::kClassic, false, "SHELLDLL_DefView"},
             Case{"workerw", testdesk::Tree::kWorkerW, false, ""},
             Case{"24H2: DefView, then WorkerW", testdesk::Tree::kDefViewWorkerW, false,
                  "SHELLDLL_DefView"},
             Case{"a foreign window first", testdesk::Tree::kForeignFirst, false,
                  "TorvinelForeign"},
             Case{"workerw and a decoy above it", testdesk::Tree::kWorkerW, true, ""},
         }) {
        SCOPED_TRACE(c.name);
        TestDesktopOptions options;
        options.tree = c.tree;
        TestDesktop shell({{100, 120, "W"}}, options);
        ASSERT_TRUE(shell.Ready());
        ASSERT_EQ(ClassOf(GetWindow(shell.Progman(), GW_CHILD)), c.progmanFirstChild);
        TestDesktopOptions decoyOptions;
        decoyOptions.decoy = true;
        std::optional<TestDesktop> decoy;
        if (c.decoy) {
            decoy.emplace(std::vector<TestItem>{{5, 5, "decoy"}}, decoyOptions);
            ASSERT_TRUE(decoy->Ready());
            ASSERT_EQ(GetParent(decoy->ListView()),
                      FindWindowExA(FindWindowExA(nullptr, nullptr, "WorkerW", nullptr), nullptr,
                                    "SHELLDLL_DefView", nullptr))
                << "the decoy is not the first WorkerW";
        }

        Win32Desktop d;
        const ViewId view = d.FindView();
        ASSERT_NE(shell.ListView(), nullptr);
        EXPECT_EQ(view, reinterpret_cast<ViewId>(shell.ListView()));
        const auto icons = ReadAllRemote(d, view);
        ASSERT_EQ(icons.size(), 1u);
        EXPECT_EQ(icons[0].text, "W");
        EXPECT_EQ(icons[0].x, 100);
        EXPECT_EQ(icons[0].y, 120);
    }
}

TEST(Win32Desktop, FindsNoViewWhenOnlyAnotherProgramsWorkerWHasOne) {
    testdesk::CloseRunningTestDesktops();
    TestDesktopOptions options;
    options.decoy = true;
    TestDesktop decoy({{5, 5, "decoy"}}, options);
    ASSERT_TRUE(decoy.Ready());
    EXPECT_EQ(Win32Desktop().FindView(), 0u);
    EXPECT_EQ(desktop::FindDesktopListView(), nullptr);
}

TEST(Win32Desktop, SharedBlockReadsPositionsFromTheEmulating9xDesktop) {
    TestDesktopOptions options;
    options.emulate9x = true;
    const std::vector<TestItem> items = {{10, 20, "a"}, {-50, -20, "b"}, {700, 500, "c"}};
    TestDesktop shell(items, options);
    ASSERT_TRUE(shell.Ready());
    Win32Desktop d;
    const ViewId view = d.FindView();
    auto ctx = d.OpenShared(view);
    ASSERT_TRUE(ctx);
    for (std::size_t i = 0; i < items.size(); ++i) {
        int32_t x = 0, y = 0;
        EXPECT_TRUE(ctx->ReadPosition(static_cast<int>(i), x, y));
        EXPECT_EQ(x, items[i].x) << i;
        EXPECT_EQ(y, items[i].y) << i;
    }
    // An index past the end: the list view does not answer, the outputs stay.
    int32_t x = 7, y = 8;
    EXPECT_FALSE(ctx->ReadPosition(3, x, y));
    EXPECT_EQ(x, 7);
    EXPECT_EQ(y, 8);
}

TEST(Win32Desktop, SharedBlockCannotOpenUnderAnotherObjectsName) {
    TestDesktop shell({{1, 2, "a"}});
    ASSERT_TRUE(shell.Ready());
    win::UniqueHandle squatter(CreateMutexA(nullptr, FALSE, "TORVINEL"));
    ASSERT_TRUE(squatter);
    Win32Desktop d;
    EXPECT_EQ(d.OpenShared(d.FindView()), nullptr);
}

TEST(Win32Desktop, EmptyDesktopCountsNoItems) {
    TestDesktop shell({});
    ASSERT_TRUE(shell.Ready());
    Win32Desktop d;
    const ViewId view = d.FindView();
    ASSERT_NE(view, 0u);
    EXPECT_EQ(d.CountItems(view), 0);
}

// A "Progman" of our own, made in this process, with a chain of children.
class OwnProgman {
public:
    explicit OwnProgman(std::vector<const char*> chainClasses) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        for (const char* cls : {"Progman", "ChildA", "ChildB"}) {
            wc.lpszClassName = cls;
            RegisterClassA(&wc);
        }
        m_top = CreateWindowExA(0, "Progman", "Program Manager", WS_POPUP, 0, 0, 10, 10, nullptr,
                                nullptr, wc.hInstance, nullptr);
        HWND parent = m_top;
        for (const char* cls : chainClasses)
            parent = CreateWindowExA(0, cls, "", WS_CHILD, 0, 0, 5, 5, parent, nullptr,
                                     wc.hInstance, nullptr);
    }
    ~OwnProgman() { DestroyWindow(m_top); }
    OwnProgman(const OwnProgman&) = delete;
    OwnProgman& operator=(const OwnProgman&) = delete;

private:
    HWND m_top = nullptr;
};

TEST(Win32Desktop, NoViewWithoutProgmanOrWithoutAListViewBelowIt) {
    testdesk::CloseRunningTestDesktops();
    Win32Desktop d;
    EXPECT_EQ(d.FindView(), 0u);
    {
        OwnProgman childless({});
        EXPECT_EQ(d.FindView(), 0u);
    }
    {
        OwnProgman childOnly({"ChildA"});
        EXPECT_EQ(d.FindView(), 0u);
    }
    {
        // A grandchild that is no list view is not taken for one.
        OwnProgman wrongClass({"ChildA", "ChildB"});
        EXPECT_EQ(d.FindView(), 0u);
    }
}

}  // namespace
