// The dialog templates as compiled into the program: styles, sizes, fonts and the
// controls in their order, read back from the resource itself.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/resource.h"

namespace {

struct Item {
    DWORD style;
    short x, y, cx, cy;
    int id;
    std::wstring cls;  // "#128" etc. for the predefined classes
    std::wstring text;
};
struct Template {
    bool extended;
    DWORD style, exStyle;
    short x, y, cx, cy;
    std::wstring caption, font;
    WORD pointSize;
    std::vector<Item> items;
};

// Reads DLGTEMPLATE / DLGTEMPLATEEX and their items.
class Reader {
public:
    explicit Reader(const BYTE* p) : m_p(p), m_begin(p) {}
    template <class T>
    T Get() {
        T v;
        memcpy(&v, m_p, sizeof v);
        m_p += sizeof v;
        return v;
    }
    std::wstring SzOrOrd() {
        if (Peek() == 0xFFFF) {
            Get<WORD>();
            return L"#" + std::to_wstring(Get<WORD>());
        }
        return Sz();
    }
    std::wstring Sz() {
        std::wstring s;
        for (WORD c; (c = Get<WORD>()) != 0;) s += static_cast<wchar_t>(c);
        return s;
    }
    void AlignDword() {
        while ((m_p - m_begin) % 4) ++m_p;
    }
    void Skip(size_t n) { m_p += n; }

private:
    WORD Peek() const {
        WORD w;
        memcpy(&w, m_p, sizeof w);
        return w;
    }
    const BYTE* m_p;
    const BYTE* m_begin;
};

Template Load(int id) {
    HRSRC res = FindResourceA(nullptr, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5));  // RT_DIALOG
    EXPECT_TRUE(res != nullptr);
    Reader r(static_cast<const BYTE*>(LockResource(LoadResource(nullptr, res))));
    Template t{};
    const WORD ver = r.Get<WORD>(), sig = r.Get<WORD>();
    t.extended = ver == 1 && sig == 0xFFFF;
    if (t.extended) {
        r.Get<DWORD>();  // help id
        t.exStyle = r.Get<DWORD>();
        t.style = r.Get<DWORD>();
    } else {
        t.style = MAKELONG(ver, sig);
        t.exStyle = r.Get<DWORD>();
    }
    const WORD count = r.Get<WORD>();
    t.x = r.Get<short>(), t.y = r.Get<short>(), t.cx = r.Get<short>(), t.cy = r.Get<short>();
    r.SzOrOrd();  // menu
    r.SzOrOrd();  // class
    t.caption = r.Sz();
    if (t.style & DS_SETFONT) {
        t.pointSize = r.Get<WORD>();
        if (t.extended) r.Skip(4);  // weight, italic, charset
        t.font = r.Sz();
    }
    for (WORD i = 0; i < count; ++i) {
        r.AlignDword();
        Item item{};
        if (t.extended) {
            r.Get<DWORD>();  // help id
            r.Get<DWORD>();  // ex style
            item.style = r.Get<DWORD>();
        } else {
            item.style = r.Get<DWORD>();
            r.Get<DWORD>();
        }
        item.x = r.Get<short>(), item.y = r.Get<short>();
        item.cx = r.Get<short>(), item.cy = r.Get<short>();
        item.id = t.extended ? static_cast<int>(r.Get<DWORD>()) : static_cast<short>(r.Get<WORD>());
        item.cls = r.SzOrOrd();
        item.text = r.SzOrOrd();
        r.Skip(r.Get<WORD>());
        t.items.push_back(item);
    }
    return t;
}

void ExpectItem(const Item& got, int id, const wchar_t* cls, const wchar_t* text, DWORD style,
                short x, short y, short cx, short cy) {
    SCOPED_TRACE(id);
    EXPECT_EQ(got.id, id);
    EXPECT_EQ(got.cls, cls);
    EXPECT_EQ(got.text, text);
    EXPECT_EQ(got.style, style);
    EXPECT_EQ(got.x, x);
    EXPECT_EQ(got.y, y);
    EXPECT_EQ(got.cx, cx);
    EXPECT_EQ(got.cy, cy);
}

const wchar_t kButton[] = L"#128", kEdit[] = L"#129", kStatic[] = L"#130", kListBox[] = L"#131";

TEST(Templates, MainDialog) {
    const Template t = Load(IDD_MAIN);
    EXPECT_TRUE(t.extended);
    EXPECT_EQ(t.style, 0x90C800C4u);
    EXPECT_EQ(t.exStyle, 0x00040200u);
    EXPECT_EQ(t.caption, L"ナラベ・リオン");
    EXPECT_EQ(t.font, L"System");
    EXPECT_EQ(t.pointSize, 9);
    EXPECT_EQ((std::vector<short>{t.x, t.y, t.cx, t.cy}), (std::vector<short>{0, 0, 124, 172}));
    ASSERT_EQ(t.items.size(), 6u);
    ExpectItem(t.items[0], IDC_REMEMBER, kButton, L"位置を覚える", 0x50010000, 15, 5, 90, 15);
    ExpectItem(t.items[1], IDC_RESTORE, kButton, L"位置を元通りにする", 0x50010000, 15, 20, 90, 15);
    ExpectItem(t.items[2], IDC_DELETE, kButton, L"削除", 0x50010000, 15, 50, 90, 15);
    ExpectItem(t.items[3], IDC_LAYOUT_LIST, kListBox, L"", 0x50A10101, 15, 70, 90, 65);
    ExpectItem(t.items[4], -1, kStatic, L"ああ、なんて愛想のないウィンドウなんだ(;_;)", 0x50020000,
               15, 140, 90, 20);
    ExpectItem(t.items[5], IDC_FUN_RESTORE, kButton, L"楽しく元通りにする", 0x50010000, 15, 35, 90,
               15);
}

TEST(Templates, AboutBox) {
    const Template t = Load(IDD_ABOUT);
    EXPECT_FALSE(t.extended);
    EXPECT_EQ(t.style, 0x80C800C0u);
    EXPECT_EQ(t.caption, L"ﾊﾞｰｼﾞｮﾝ情報 TORVINEL");
    EXPECT_EQ(t.font, L"System");
    EXPECT_EQ(t.pointSize, 9);
    EXPECT_EQ((std::vector<short>{t.x, t.y, t.cx, t.cy}), (std::vector<short>{0, 0, 164, 100}));
    ASSERT_EQ(t.items.size(), 8u);
    ExpectItem(t.items[0], -1, kStatic, L"#128", 0x50000003, 5, 5, 20, 20);
    ExpectItem(t.items[1], -1, kStatic, L"ナラベ・リオン", 0x50020081, 25, 10, 135, 8);
    EXPECT_EQ(t.items[2].style, 0x50020001u);
    ExpectItem(t.items[3], IDOK, kButton, L"OK", 0x50030001, 65, 80, 32, 14);
    for (int i = 4; i < 7; ++i) {
        EXPECT_EQ(t.items[i].id, -1);
        EXPECT_EQ(t.items[i].style, 0x50020001u);
        EXPECT_EQ(t.items[i].y, 45 + 10 * (i - 4));
    }
    ExpectItem(t.items[7], -1, kStatic, L"Version 1.3", 0x50020081, 25, 20, 135, 8);
}

TEST(Templates, TitleDialog) {
    const Template t = Load(IDD_TITLE);
    EXPECT_EQ(t.style & (WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME),
              static_cast<DWORD>(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME));
    EXPECT_EQ(t.caption, L"タイトルの入力");
    EXPECT_EQ(t.font, L"System");
    EXPECT_EQ((std::vector<short>{t.cx, t.cy}), (std::vector<short>{124, 80}));
    ASSERT_EQ(t.items.size(), 4u);
    const DWORD child = WS_CHILD | WS_VISIBLE;
    ExpectItem(t.items[0], IDC_TITLE, kEdit, L"", child | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP,
               5, 40, 110, 15);
    ExpectItem(t.items[1], IDOK, kButton, L"OK", child | BS_DEFPUSHBUTTON | WS_TABSTOP, 5, 60, 50,
               14);
    ExpectItem(t.items[2], IDCANCEL, kButton, L"ｷｬﾝｾﾙ", child | WS_TABSTOP, 65, 60, 50, 14);
    ExpectItem(t.items[3], -1, kStatic,
               L"ﾀｲﾄﾙを入れてください。解像度ごとにデータを記憶すると便利です",
               child | WS_GROUP | SS_LEFT, 5, 5, 110, 30);
}

}  // namespace
