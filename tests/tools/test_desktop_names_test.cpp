// The test desktop names its items as the shell does for a user who hides extensions:
// its list view shows each name without its extension, every process's desktop folder
// reads the view's item IDs the same way (the user's HideFileExt is 1 while it runs, and
// as found again once it ends), and the view's own folder, reached from another process
// through IFolderView::GetFolder, gives each item's full path as its parsing name.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tools/test_desktop/code_page.h"
#include "tools/test_desktop/hidden_extensions.h"
#include "tools/test_desktop/test_desktop_client.h"
#include "tools/test_desktop/view_object/desktop_view.h"
#include "tools/test_desktop/view_object/registration.h"
#include "win/com.h"

namespace {

using testdesk::FoundValue;
using testdesk::TestDesktop;
using testdesk::TestItem;

struct Named {
    const char* file;   // as the items file holds it
    const char* shown;  // under the icon
    bool shellId;       // the desktop folder makes its ID (it reads "z:" as a drive)
};
const Named kNames[] = {
    {"report.txt", "report", true},    {"予算.xlsx", "予算", true},
    {"予算.pdf", "予算", true},        {"no extension", "no extension", true},
    {".profile", ".profile", true},    {"a.b.c", "a.b", true},
    {"z:notes.txt", "z:notes", false},
};

std::optional<FoundValue> Dword(DWORD value) {
    return FoundValue{REG_DWORD, std::string(reinterpret_cast<const char*>(&value), sizeof value)};
}

// A name out of a STRRET that must be a task-allocator string; "(type N)" otherwise.
std::wstring Take(STRRET& name) {
    if (name.uType != STRRET_WSTR) return L"(type " + std::to_wstring(name.uType) + L")";
    const win::UniqueCoTaskMem<wchar_t> text(name.pOleStr);
    return text ? text.Get() : L"(null)";
}

std::wstring NameOf(IShellFolder& folder, PCUITEMID_CHILD item, SHGDNF flags) {
    STRRET name = {};
    const HRESULT hr = folder.GetDisplayNameOf(item, flags, &name);
    return SUCCEEDED(hr) ? Take(name) : L"(failed)";
}

std::wstring DesktopDirectory() {
    wchar_t dir[MAX_PATH] = {};
    return SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, 0, dir)) ? dir
                                                                                         : L"?";
}

class TestDesktopNames : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(com);
        ASSERT_TRUE(registration.Ok());
        found = testdesk::ReadHideFileExt();
    }
    void TearDown() override { testdesk::WriteHideFileExt(found); }

    std::unique_ptr<TestDesktop> Start() const {
        std::vector<TestItem> items;
        for (const Named& n : kNames)
            items.push_back({10, 10 + 80 * static_cast<int>(items.size()), n.file});
        testdesk::TestDesktopOptions options;
        options.viewObject = testdesk::ViewObjectMode::kSameOrder;
        options.hideExtensions = true;
        return std::make_unique<TestDesktop>(items, options);
    }

    win::ComApartment com{COINIT_APARTMENTTHREADED};
    testdesk::ViewObjectRegistration registration;
    std::optional<FoundValue> found;  // the tester's own setting, put back after
};

TEST_F(TestDesktopNames, ListViewHidesExtensionsAndTheViewsFolderGivesFullPaths) {
    std::unique_ptr<TestDesktop> desk = Start();
    ASSERT_TRUE(desk->Ready());
    const std::vector<TestItem> shown = desk->Items();
    ASSERT_EQ(shown.size(), std::size(kNames));
    for (size_t i = 0; i < shown.size(); ++i) EXPECT_EQ(shown[i].text, kNames[i].shown) << i;
    EXPECT_EQ(testdesk::ReadHideFileExt(), Dword(1));

    win::UniqueCom<IShellView> shellView = testdesk::FindDesktopShellView();
    win::UniqueCom<IFolderView> view;
    ASSERT_TRUE(shellView && SUCCEEDED(shellView.QueryTo(view)));
    win::UniqueCom<IEnumIDList> list;
    ASSERT_EQ(view->Items(SVGIO_ALLVIEW, IID_PPV_ARGS(list.Put())), S_OK);
    win::UniqueCom<IShellFolder> viewFolder, ourDesktop;
    ASSERT_EQ(view->GetFolder(IID_PPV_ARGS(viewFolder.Put())), S_OK);
    ASSERT_EQ(SHGetDesktopFolder(ourDesktop.Put()), S_OK);
    const std::wstring dir = DesktopDirectory();
    for (const Named& n : kNames) {
        SCOPED_TRACE(n.file);
        win::UniqueCoTaskMem<ITEMID_CHILD> item;
        ULONG fetched = 0;  // our proxy needs it, also for one item
        ASSERT_EQ(list->Next(1, item.Put(), &fetched), S_OK);
        const std::wstring file = testdesk::ToWide(n.file), text = testdesk::ToWide(n.shown);
        // Read here as the list view shows it, from the item ID alone.
        if (n.shellId) {
            EXPECT_EQ(NameOf(*ourDesktop.Get(), item.Get(), SHGDN_INFOLDER | SHGDN_NORMAL), text);
        }
        EXPECT_EQ(NameOf(*viewFolder.Get(), item.Get(), SHGDN_FORPARSING), dir + L"\\" + file);
        EXPECT_EQ(NameOf(*viewFolder.Get(), item.Get(), SHGDN_FORPARSING | SHGDN_INFOLDER), file);
        EXPECT_EQ(NameOf(*viewFolder.Get(), item.Get(), SHGDN_INFOLDER | SHGDN_NORMAL), text);
    }
    // An ID the view did not hand out fails, and still crosses back.
    const BYTE foreign[] = {6, 0, 'x', 'y', 'z', 'w', 0, 0};
    STRRET none = {};
    EXPECT_EQ(viewFolder->GetDisplayNameOf(reinterpret_cast<PCUITEMID_CHILD>(foreign),
                                           SHGDN_FORPARSING, &none),
              E_INVALIDARG);
    const std::vector<int> each{0, 1, 2, 3, 4, 5, 6};
    const testdesk::ViewObjectLog log = desk->ViewLog();
    EXPECT_EQ(log.parseRequests, (std::vector<int>{0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, -1}));
    EXPECT_EQ(log.nameRequests, each);
}

// Names the ANSI code page cannot show (CP932 has no é nor è): the list view shows both
// as the same text, while the view's item IDs keep each file's wide name, so that every
// process's desktop folder reads it whole and the view's folder gives each its own path.
TEST_F(TestDesktopNames, UtfTextsKeepTheirWideNamesBehindTheListViewsAnsiText) {
    const std::wstring files[] = {L"caf\u00e9.txt", L"caf\u00e8.txt"};
    const std::vector<TestItem> items = {{10, 10, u8"caf\u00e9.txt"}, {10, 90, u8"caf\u00e8.txt"}};
    testdesk::TestDesktopOptions options;
    options.viewObject = testdesk::ViewObjectMode::kSameOrder;
    options.hideExtensions = true;
    options.utf8Texts = true;
    const TestDesktop desk(items, options);
    ASSERT_TRUE(desk.Ready());
    const std::string ansi = testdesk::FromWide(L"caf\u00e9");
    ASSERT_EQ(ansi, testdesk::FromWide(L"caf\u00e8")) << "the code page shows both apart";
    const std::vector<TestItem> shown = desk.Items();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].text, ansi);
    EXPECT_EQ(shown[1].text, ansi);

    win::UniqueCom<IShellView> shellView = testdesk::FindDesktopShellView();
    win::UniqueCom<IFolderView> view;
    ASSERT_TRUE(shellView && SUCCEEDED(shellView.QueryTo(view)));
    win::UniqueCom<IEnumIDList> list;
    ASSERT_EQ(view->Items(SVGIO_ALLVIEW, IID_PPV_ARGS(list.Put())), S_OK);
    win::UniqueCom<IShellFolder> viewFolder, ourDesktop;
    ASSERT_EQ(view->GetFolder(IID_PPV_ARGS(viewFolder.Put())), S_OK);
    ASSERT_EQ(SHGetDesktopFolder(ourDesktop.Put()), S_OK);
    const std::wstring dir = DesktopDirectory();
    for (const std::wstring& file : files) {
        win::UniqueCoTaskMem<ITEMID_CHILD> item;
        ULONG fetched = 0;
        ASSERT_EQ(list->Next(1, item.Put(), &fetched), S_OK);
        EXPECT_EQ(NameOf(*ourDesktop.Get(), item.Get(), SHGDN_INFOLDER | SHGDN_NORMAL),
                  file.substr(0, file.size() - 4));
        EXPECT_EQ(NameOf(*viewFolder.Get(), item.Get(), SHGDN_FORPARSING), dir + L"\\" + file);
    }
}

// HideFileExt is 1 while a desktop runs, also after a restart, and as the desktop found
// it once it ends by its close: absent, or any value of the user's.
TEST_F(TestDesktopNames, TheUsersSettingComesBackAsFound) {
    const std::optional<FoundValue> states[] = {std::nullopt, Dword(0), Dword(1),
                                                FoundValue{REG_SZ, std::string("x\0\0\0", 4)}};
    for (const std::optional<FoundValue>& state : states) {
        SCOPED_TRACE(state ? state->type : REG_NONE);
        ASSERT_TRUE(testdesk::WriteHideFileExt(state));
        std::unique_ptr<TestDesktop> desk = Start();
        ASSERT_TRUE(desk->Ready());
        EXPECT_EQ(testdesk::ReadHideFileExt(), Dword(1));
        ASSERT_TRUE(desk->Restart());
        EXPECT_EQ(desk->Items().front().text, "report");
        EXPECT_EQ(testdesk::ReadHideFileExt(), Dword(1));
        desk.reset();
        EXPECT_EQ(testdesk::ReadHideFileExt(), state);
    }
}

}  // namespace
