// The dialog base: message-map dispatch by message and by (id, notification code),
// results through DWLP_MSGRESULT, Default(), exceptions stopped at the dialog
// procedure, the default OK/Cancel endings, the main-window pointer and the
// application's main-window hooks.
#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "tests/ui/dialog_probe.h"
#include "win/dialog.h"
#include "ui/resource.h"

namespace {

class Probe : public CDialog {
public:
    Probe() : CDialog(IDD_ABOUT, nullptr) {}

    std::function<void(Probe&)> body;  // runs inside WM_INITDIALOG
    bool endInInit = true;
    std::vector<std::string> calls;

    void OnCode7() { calls.push_back("1234/7"); }
    void OnThrow() { throw std::runtime_error("handler failed"); }
    LRESULT OnApp(WPARAM w, LPARAM) { return 40 + static_cast<LRESULT>(w); }
    void OnPassOn() {
        calls.push_back("pass on");
        Default();
    }
    // Dispatches another message (as a nested modal loop would) that asks for the
    // system's processing; this handler's own answer must still count.
    LRESULT OnNested(WPARAM, LPARAM) {
        SendMessageA(m_hWnd, WM_GETTEXTLENGTH, 0, 0);
        return 55;
    }

protected:
    const MessageMap* GetMessageMap() const override {
        using C = Probe;
        static const MessageMapEntry entries[] = {
            ON_COMMAND_CODE(1234, 7, C, OnCode7),    ON_MESSAGE(WM_APP, C, OnApp),
            ON_MESSAGE_VOID(WM_APP + 1, C, OnThrow), ON_MESSAGE_VOID(WM_GETTEXTLENGTH, C, OnPassOn),
            ON_MESSAGE(WM_APP + 2, C, OnNested),
        };
        static const MessageMap map{entries, sizeof entries / sizeof entries[0]};
        return &map;
    }
    BOOL OnInitDialog() override {
        if (body) body(*this);
        if (endInInit) EndDialog(m_hWnd, 77);
        return TRUE;
    }
};

class Framework : public ::testing::Test {
protected:
    void SetUp() override { UseTestExecutableAsApp(); }
};

TEST_F(Framework, DispatchesByMessageAndByIdAndCode) {
    Probe dlg;
    dlg.body = [](Probe& d) {
        SendMessageA(d.m_hWnd, WM_COMMAND, MAKEWPARAM(1234, 7), 0);
        SendMessageA(d.m_hWnd, WM_COMMAND, MAKEWPARAM(1234, 8), 0);  // other code
        SendMessageA(d.m_hWnd, WM_COMMAND, MAKEWPARAM(1235, 7), 0);  // other id
        EXPECT_EQ(d.calls, std::vector<std::string>{"1234/7"});
        EXPECT_EQ(SendMessageA(d.m_hWnd, WM_APP, 2, 0), 42);
        // Default(): the system's processing still answers (the caption's length).
        EXPECT_EQ(SendMessageA(d.m_hWnd, WM_GETTEXTLENGTH, 0, 0),
                  static_cast<LRESULT>(std::string("ﾊﾞｰｼﾞｮﾝ情報 TORVINEL").size()));
        EXPECT_EQ(d.calls.back(), "pass on");
        EXPECT_EQ(SendMessageA(d.m_hWnd, WM_APP + 2, 0, 0), 55);
        // An exception ends at the dialog procedure; the message counts as unhandled.
        EXPECT_EQ(SendMessageA(d.m_hWnd, WM_APP + 1, 0, 0), 0);
    };
    EXPECT_EQ(dlg.DoModal(), 77);
    EXPECT_EQ(dlg.m_hWnd, nullptr);
}

TEST_F(Framework, OkAndCancelEndTheDialogByDefault) {
    struct Way {
        UINT msg;
        WPARAM wParam;
        INT_PTR result;
    };
    for (const Way& way : {Way{WM_COMMAND, IDOK, IDOK}, Way{WM_COMMAND, IDCANCEL, IDCANCEL},
                           Way{WM_CLOSE, 0, IDCANCEL}, Way{WM_SYSCOMMAND, SC_CLOSE, IDCANCEL}}) {
        SCOPED_TRACE(way.msg);
        Probe dlg;
        dlg.endInInit = false;
        dlg.body = [&](Probe& d) { PostMessageA(d.m_hWnd, way.msg, way.wParam, 0); };
        EXPECT_EQ(dlg.DoModal(), way.result);
    }
}

TEST_F(Framework, MainWindowIsSetWhileTheMainDialogRuns) {
    Probe dlg;
    TheTestApp().m_pMainWnd = &dlg;
    dlg.body = [](Probe& d) {
        EXPECT_EQ(AfxGetApp()->m_hWndMain, d.m_hWnd);
        // A dialog started from the main one is owned by it and disables it.
        Probe inner;
        inner.endInInit = false;
        inner.body = [&](Probe& i) {
            EXPECT_EQ(GetWindow(i.m_hWnd, GW_OWNER), d.m_hWnd);
            PostMessageA(i.m_hWnd, WM_COMMAND, IDOK, 0);
        };
        EXPECT_EQ(inner.DoModal(), IDOK);
    };
    dlg.DoModal();
    EXPECT_EQ(TheTestApp().m_hWndMain, nullptr);
    EXPECT_EQ(TheTestApp().m_pMainWnd, nullptr);
}

TEST_F(Framework, AppHooksBracketTheMainWindowOnly) {
    using Calls = std::vector<TestApp::HookCall>;
    Calls& calls = TheTestApp().hookCalls;
    calls.clear();
    Probe dlg;
    TheTestApp().m_pMainWnd = &dlg;
    HWND main = nullptr;
    dlg.body = [&](Probe& d) {
        main = d.m_hWnd;
        // Called before the dialog's own WM_INITDIALOG handler.
        EXPECT_EQ(calls, (Calls{{'+', main, true}}));
        Probe inner;  // any other dialog calls neither hook
        inner.DoModal();
        EXPECT_EQ(calls.size(), 1u);
    };
    dlg.DoModal();
    // The second hook sees the window still there (its properties can still be removed).
    EXPECT_EQ(calls, (Calls{{'+', main, true}, {'-', main, true}}));

    Probe alone;  // no main dialog named: no hook
    alone.DoModal();
    EXPECT_EQ(calls.size(), 2u);
}

}  // namespace
