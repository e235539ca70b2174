// The compiled resources as the program sees them: menu and accelerator
// texts and keys, the property pane's template, the about box, the pictures
// and the manifest. They are linked into this test program as into
// Lumaset.exe.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <utility>
#include <string>
#include <vector>

#include "lumaset_version.h"
#include "resources/resource_ids.h"

namespace {

HINSTANCE module() { return GetModuleHandleW(nullptr); }

// Class names compare without regard to case, as the window manager does.
bool sameClass(const std::wstring& a, const wchar_t* b) {
    return CompareStringOrdinal(a.c_str(), -1, b, -1, TRUE) == CSTR_EQUAL;
}

struct MenuEntry {
    UINT id;  // 0: separator
    std::wstring text;
};

std::vector<MenuEntry> popupEntries(HMENU popup) {
    std::vector<MenuEntry> out;
    for (int i = 0; i < GetMenuItemCount(popup); ++i) {
        wchar_t text[128] = {};
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = 127;
        EXPECT_TRUE(GetMenuItemInfoW(popup, i, TRUE, &info));
        out.push_back({(info.fType & MFT_SEPARATOR) ? 0u : info.wID, text});
    }
    return out;
}

TEST(Resources, MainMenuHasEveryCommandWithItsTextAndKeyLabel) {
    HMENU menu = LoadMenuW(module(), MAKEINTRESOURCEW(IDM_MAINMENU));
    ASSERT_NE(menu, nullptr);
    struct Popup {
        std::wstring title;
        std::vector<MenuEntry> entries;
    };
    const std::vector<Popup> expected = {
        {L"ﾌｧｲﾙ(&F)",
         {{40001, L"新規作成(&N)"}, {40002, L"開く(&O)...\tCtrl+O"}, {40038, L"閉じる(&C)"}, {0, L""},
          {40003, L"上書き保存(&S)\tCtrl+S"}, {40004, L"名前を付けて保存(&A)...\tCtrl+Shift+S"}, {0, L""},
          {40005, L"カラー構文エディタの終了(&X)"}}},
        {L"編集(&E)",
         {{40041, L"元に戻す(&Z)\tCtrl+Z"}, {40042, L"やり直し(&Y)\tCtrl+Y"}, {0, L""},
          {40007, L"切り取り(&T)\tCtrl+X"}, {40011, L"子構文も含めてコピー(&C)\tCtrl+C"},
          {40008, L"１個だけコピー(&Q)\tCtrl+Q"}, {40009, L"貼り付け(&P)\tCtrl+V"},
          {40012, L"子構文として貼り付け(&R)\tCtrl+R"}, {40010, L"削除(&D)\tDel"}, {0, L""},
          {40015, L"新規構文(&N)\tCtrl+N"}, {40016, L"新規子構文(&M)\tCtrl+M"}, {0, L""},
          {40043, L"検索(&F)...\tCtrl+F"}, {40044, L"次を検索(&X)\tF3"}, {40045, L"前を検索(&V)\tShift+F3"}}},
        {L"順番(&O)", {{40013, L"上げる(&U)\tCtrl+U"}, {40014, L"下げる(&D)\tCtrl+D"}}},
        {L"索引(&I)", {{40039, L"索引の編集(&I)..."}}},
        {L"表示(&V)", {{40063, L"ステータス バー(&S)"}}},
        {L"ツール(&T)",
         {{40060, L"構文のテスト(&S)...\tCtrl+T"}, {40061, L"問題の一覧(&P)..."}, {40062, L"次の問題(&N)\tF8"}}},
        {L"ﾍﾙﾌﾟ(&H)",
         {{40017, L"目次(&C)\tF1"}, {40018, L"Tarvelonカラー構文エディタのバージョン情報(&A)..."}}},
    };
    ASSERT_EQ(GetMenuItemCount(menu), static_cast<int>(expected.size()));
    for (size_t p = 0; p < expected.size(); ++p) {
        wchar_t title[64] = {};
        GetMenuStringW(menu, static_cast<UINT>(p), title, 63, MF_BYPOSITION);
        EXPECT_EQ(title, expected[p].title);
        HMENU popup = GetSubMenu(menu, static_cast<int>(p));
        ASSERT_NE(popup, nullptr) << p;
        std::vector<MenuEntry> got = popupEntries(popup);
        ASSERT_EQ(got.size(), expected[p].entries.size()) << p;
        std::wstring keys;  // each item its own access key
        for (size_t i = 0; i < got.size(); ++i) {
            const std::size_t amp = got[i].text.find(L'&');
            if (amp != std::wstring::npos) {
                EXPECT_EQ(keys.find(got[i].text[amp + 1]), std::wstring::npos) << p << "/" << i;
                keys += got[i].text[amp + 1];
            }
            EXPECT_EQ(got[i].id, expected[p].entries[i].id) << p << "/" << i;
            EXPECT_EQ(got[i].text, expected[p].entries[i].text) << p << "/" << i;
        }
    }
    DestroyMenu(menu);
}

TEST(Resources, AcceleratorsAreCtrlLettersAPlainDeleteAndF3) {
    HACCEL table = LoadAcceleratorsW(module(), MAKEINTRESOURCEW(IDA_ACCELERATORS));
    ASSERT_NE(table, nullptr);
    ACCEL keys[32];
    int count = CopyAcceleratorTableW(table, keys, 32);
    struct Key {
        BYTE flags;
        WORD key;
        WORD command;
    };
    const Key expected[] = {
        {FVIRTKEY | FCONTROL, 'O', 40002}, {FVIRTKEY | FCONTROL, 'S', 40003},
        {FVIRTKEY | FCONTROL | FSHIFT, 'S', 40004},
        {FVIRTKEY | FCONTROL, 'X', 40007}, {FVIRTKEY | FCONTROL, 'C', 40011},
        {FVIRTKEY | FCONTROL, 'Q', 40008}, {FVIRTKEY | FCONTROL, 'V', 40009},
        {FVIRTKEY | FCONTROL, 'R', 40012}, {FVIRTKEY, VK_DELETE, 40010},
        {FVIRTKEY | FCONTROL, 'N', 40015}, {FVIRTKEY | FCONTROL, 'M', 40016},
        {FVIRTKEY | FCONTROL, 'U', 40013}, {FVIRTKEY | FCONTROL, 'D', 40014},
        {FVIRTKEY | FCONTROL, 'Z', 40041}, {FVIRTKEY | FCONTROL, 'Y', 40042},
        {FVIRTKEY | FCONTROL, 'F', 40043}, {FVIRTKEY, VK_F3, 40044},
        {FVIRTKEY | FSHIFT, VK_F3, 40045}, {FVIRTKEY | FCONTROL, 'T', 40060},
        {FVIRTKEY, VK_F8, 40062}, {FVIRTKEY, VK_F1, 40017},
    };
    ASSERT_EQ(count, static_cast<int>(std::size(expected)));
    for (const Key& want : expected) {
        bool found = false;
        for (int i = 0; i < count; ++i) {
            if (keys[i].cmd != want.command) continue;
            found = true;
            // NOINVERT is only about menu flashing; the keys themselves matter.
            EXPECT_EQ(keys[i].fVirt & ~FNOINVERT, want.flags) << want.command;
            EXPECT_EQ(keys[i].key, want.key) << want.command;
        }
        EXPECT_TRUE(found) << want.command;
    }
    DestroyAcceleratorTable(table);
}

// A bounded reader for DLGTEMPLATEEX, enough to compare a dialog with its
// control table in dialog units.
struct DialogItem {
    DWORD style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    DWORD id = 0;
    std::wstring cls;  // predefined classes by name
    std::wstring text;
};
struct DialogTemplate {
    DWORD style = 0;
    short cx = 0, cy = 0;
    std::wstring caption;
    WORD pointSize = 0;
    BYTE charset = 0;
    std::wstring face;
    std::vector<DialogItem> items;
};

class TemplateReader {
public:
    TemplateReader(const BYTE* data, size_t size) : data_(data), size_(size) {}
    bool ok() const { return ok_; }
    template <typename T>
    T read() {
        T value{};
        if (pos_ + sizeof(T) > size_) {
            ok_ = false;
            return value;
        }
        std::memcpy(&value, data_ + pos_, sizeof(T));
        pos_ += sizeof(T);
        return value;
    }
    std::wstring string() {
        std::wstring s;
        for (wchar_t c; ok_ && (c = read<wchar_t>()) != 0;) s += c;
        return s;
    }
    std::wstring stringOrOrdinal() {
        WORD first = read<WORD>();
        if (first == 0) return {};
        if (first == 0xFFFF) {
            switch (read<WORD>()) {
            case 0x80: return L"Button";
            case 0x81: return L"Edit";
            case 0x82: return L"Static";
            default: return L"#ordinal";
            }
        }
        pos_ -= sizeof(WORD);
        return string();
    }
    void alignDword() { pos_ = (pos_ + 3) & ~size_t{3}; }
    void skip(size_t n) { pos_ += n; }

private:
    const BYTE* data_;
    size_t size_;
    size_t pos_ = 0;
    bool ok_ = true;
};

DialogTemplate loadDialog(int id) {
    DialogTemplate t;
    HRSRC res = FindResourceW(module(), MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(5));  // RT_DIALOG
    if (!res) return t;
    auto* data = static_cast<const BYTE*>(LockResource(LoadResource(module(), res)));
    TemplateReader r(data, SizeofResource(module(), res));
    if (r.read<WORD>() != 1 || r.read<WORD>() != 0xFFFF) return t;  // not DIALOGEX
    r.read<DWORD>();  // help id
    r.read<DWORD>();  // extended style
    t.style = r.read<DWORD>();
    WORD count = r.read<WORD>();
    r.read<short>();
    r.read<short>();
    t.cx = r.read<short>();
    t.cy = r.read<short>();
    r.stringOrOrdinal();  // menu
    r.stringOrOrdinal();  // class
    t.caption = r.string();
    if (t.style & DS_SETFONT) {
        t.pointSize = r.read<WORD>();
        r.read<WORD>();  // weight
        r.read<BYTE>();  // italic
        t.charset = r.read<BYTE>();
        t.face = r.string();
    }
    for (WORD i = 0; i < count && r.ok(); ++i) {
        r.alignDword();
        DialogItem item;
        r.read<DWORD>();  // help id
        r.read<DWORD>();  // extended style
        item.style = r.read<DWORD>();
        item.x = r.read<short>();
        item.y = r.read<short>();
        item.cx = r.read<short>();
        item.cy = r.read<short>();
        item.id = r.read<DWORD>();
        item.cls = r.stringOrOrdinal();
        item.text = r.stringOrOrdinal();
        r.skip(r.read<WORD>());  // creation data
        t.items.push_back(item);
    }
    if (!r.ok()) t.items.clear();
    return t;
}

TEST(Resources, PropertyPaneTemplateMatchesItsLayout) {
    DialogTemplate t = loadDialog(IDD_PROPERTIES);
    EXPECT_EQ(t.cx, 275);
    EXPECT_EQ(t.cy, 221);
    EXPECT_EQ(t.face, L"ＭＳ Ｐゴシック");
    EXPECT_EQ(t.pointSize, 9);
    // A child of the main window with no frame that could drag it away.
    EXPECT_EQ(t.style & (WS_CHILD | DS_CONTROL), DWORD(WS_CHILD | DS_CONTROL));
    EXPECT_FALSE(t.style & (WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME));

    enum Kind { Label, Edit, Button, Check, Spin };
    struct Row {
        int id;  // -1 for labels
        Kind kind;
        const wchar_t* text;
        short x, y, cx, cy;
        DWORD extraStyle;
    };
    const DWORD oneLine = ES_AUTOHSCROLL;
    const Row rows[] = {
        {-1, Label, L"名前(&A):", 6, 17, 28, 8, 0},
        {1000, Edit, L"", 36, 14, 220, 14, oneLine},
        {-1, Label, L"構文(&P):", 6, 37, 29, 8, 0},
        {1001, Edit, L"", 36, 35, 220, 36, ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL},
        {1007, Button, L">>", 257, 36, 12, 12, 0},
        // The patterns' reading checks, in the gaps under their fields.
        {1019, Label, L"", 36, 72, 220, 8, SS_LEFTNOWORDWRAP | SS_NOPREFIX},
        {1002, Check, L"割り込み的構文(&I)", 8, 80, 75, 10, 0},
        {1015, Check, L"直前の構文の子構文へ飛ばす(&G)", 90, 80, 116, 10, 0},
        {-1, Label, L"カラーにする行数(&F):", 7, 102, 66, 8, 0},
        {1003, Edit, L"", 75, 98, 40, 14, 0},
        {1004, Spin, L"", 122, 98, 9, 14,
         UDS_SETBUDDYINT | UDS_ARROWKEYS | UDS_ALIGNRIGHT | UDS_AUTOBUDDY | UDS_NOTHOUSANDS},
        {-1, Label, L"出口の構文(&Q):", 6, 126, 50, 8, 0},
        {1005, Edit, L"", 57, 124, 199, 14, oneLine},
        {1008, Button, L">>", 257, 125, 12, 12, 0},
        {1020, Label, L"", 57, 139, 199, 8, SS_LEFTNOWORDWRAP | SS_NOPREFIX},
        {-1, Label, L"ツリーに表示するタイトル(&T):", 6, 151, 90, 8, 0},
        {1006, Edit, L"", 98, 147, 158, 14, oneLine},
        {1009, Button, L">>", 257, 148, 12, 12, 0},
        // The title's compile check, on its own row under the title.
        {1018, Label, L"", 98, 163, 158, 8, SS_LEFTNOWORDWRAP | SS_NOPREFIX},
        {1016, Check, L"発言の構文(&S)", 8, 180, 61, 10, 0},
        {1017, Button, L"発言形式の指定(&B)...", 73, 177, 74, 14, 0},
        {1, Button, L"適用(&O)", 8, 199, 50, 15, BS_DEFPUSHBUTTON},
        {2, Button, L"ｷｬﾝｾﾙ", 62, 199, 50, 15, 0},
        {3, Button, L"ヘルプ(&H)", 117, 199, 50, 15, 0},
    };
    ASSERT_EQ(t.items.size(), std::size(rows));
    for (size_t i = 0; i < t.items.size(); ++i) {
        const DialogItem& got = t.items[i];
        const Row& want = rows[i];
        SCOPED_TRACE(i);
        EXPECT_EQ(static_cast<int>(static_cast<WORD>(got.id)), static_cast<int>(static_cast<WORD>(want.id)));
        EXPECT_EQ(got.text, want.text);
        EXPECT_EQ(got.x, want.x);
        EXPECT_EQ(got.y, want.y);
        EXPECT_EQ(got.cx, want.cx);
        EXPECT_EQ(got.cy, want.cy);
        EXPECT_EQ(got.style & want.extraStyle, want.extraStyle);
        // Statics and Apply start groups; every edit, button and box is a
        // tab stop and nothing else starts a group.
        bool group = want.kind == Label || want.id == 1;
        EXPECT_EQ((got.style & WS_GROUP) != 0, group);
        EXPECT_EQ((got.style & WS_TABSTOP) != 0, want.kind == Edit || want.kind == Button || want.kind == Check);
        switch (want.kind) {
        case Label: EXPECT_TRUE(sameClass(got.cls, L"Static")); break;
        case Edit:
            EXPECT_TRUE(sameClass(got.cls, L"Edit"));
            EXPECT_FALSE(got.style & ES_WANTRETURN);
            break;
        case Button:
            EXPECT_TRUE(sameClass(got.cls, L"Button"));
            EXPECT_EQ(got.style & BS_TYPEMASK, want.id == 1 ? DWORD(BS_DEFPUSHBUTTON) : DWORD(BS_PUSHBUTTON));
            break;
        case Check:
            EXPECT_TRUE(sameClass(got.cls, L"Button"));
            EXPECT_EQ(got.style & BS_TYPEMASK, DWORD(BS_AUTOCHECKBOX));
            break;
        case Spin: EXPECT_TRUE(sameClass(got.cls, UPDOWN_CLASSW)); break;
        }
    }
}

TEST(Resources, MessageFormatTemplateMatchesItsLayout) {
    DialogTemplate t = loadDialog(IDD_MESSAGE_FORMAT);
    EXPECT_EQ(t.caption, L"発言形式の指定");
    EXPECT_EQ(t.cx, 202);
    EXPECT_EQ(t.cy, 195);
    EXPECT_EQ(t.face, L"ＭＳ Ｐゴシック");
    const DWORD frame = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    EXPECT_EQ(t.style & frame, frame);
    struct Row {
        int id;
        const wchar_t* text;
        short x, y, cx, cy;
        DWORD type;  // BS_ type for buttons, ~0 for statics and edits
    };
    const DWORD other = ~DWORD{0};
    const Row rows[] = {
        {1034, L"発言番号をチェックする(&K)", 6, 7, 89, 10, BS_AUTOCHECKBOX},
        {-1, L"発言番号の構文(&N):", 17, 25, 65, 8, other},
        {1035, L"", 93, 22, 100, 14, other},
        {1038, L"", 93, 38, 103, 8, other},  // each pattern's compile check under it
        {1025, L"発言の日付をチェックする(&T)", 6, 52, 106, 10, BS_AUTOCHECKBOX},
        {-1, L"日付部分の構文(&D):", 17, 72, 63, 8, other},
        {1036, L"", 93, 68, 100, 14, other},
        {1039, L"", 93, 84, 103, 8, other},
        {1021, L"コメント発言も可能(&C)", 6, 98, 86, 10, BS_AUTOCHECKBOX},
        {-1, L"コメント番号の構文(&M):", 17, 118, 74, 8, other},
        {1037, L"", 93, 114, 100, 14, other},
        {1040, L"", 93, 130, 103, 8, other},
        {1031, L"「↑」を直前の発言のコメント発言という意味とする(&U)", 21, 146, 171, 10, BS_AUTOCHECKBOX},
        {1, L"OK", 22, 170, 50, 15, BS_DEFPUSHBUTTON},
        {2, L"ｷｬﾝｾﾙ", 78, 170, 50, 15, BS_PUSHBUTTON},
        {3, L"ヘルプ(&H)", 135, 170, 50, 15, BS_PUSHBUTTON},
    };
    ASSERT_EQ(t.items.size(), std::size(rows));
    for (size_t i = 0; i < t.items.size(); ++i) {
        const DialogItem& got = t.items[i];
        const Row& want = rows[i];
        SCOPED_TRACE(i);
        EXPECT_EQ(static_cast<WORD>(got.id), static_cast<WORD>(want.id));
        EXPECT_EQ(got.text, want.text);
        EXPECT_EQ(got.x, want.x);
        EXPECT_EQ(got.y, want.y);
        EXPECT_EQ(got.cx, want.cx);
        EXPECT_EQ(got.cy, want.cy);
        if (want.type != other) {
            EXPECT_EQ(got.style & BS_TYPEMASK, want.type);
        }
        if (sameClass(got.cls, L"Edit")) {
            EXPECT_TRUE(got.style & ES_AUTOHSCROLL);
        }
    }
}

TEST(Resources, IndexDialogsHaveTheirControls) {
    DialogTemplate list = loadDialog(IDD_INDEX_LIST);
    EXPECT_EQ(list.caption, L"索引一覧");
    DialogTemplate index = loadDialog(IDD_INDEX);
    EXPECT_EQ(index.caption, L"索引");
    auto find = [](const DialogTemplate& t, int id) -> const DialogItem* {
        for (const DialogItem& item : t.items)
            if (static_cast<WORD>(item.id) == static_cast<WORD>(id)) return &item;
        return nullptr;
    };
    auto text = [](const DialogTemplate& t, const wchar_t* s) {
        for (const DialogItem& item : t.items)
            if (item.text == s) return true;
        return false;
    };

    const DialogItem* names = find(list, IDC_INDEX_LIST);
    ASSERT_NE(names, nullptr);
    EXPECT_TRUE(sameClass(names->cls, L"ListBox"));
    EXPECT_FALSE(names->style & LBS_SORT);  // table order
    EXPECT_TRUE(names->style & LBS_NOTIFY);
    EXPECT_TRUE(names->style & WS_VSCROLL);
    EXPECT_TRUE(text(list, L"索引一覧(&L):"));
    const DialogItem* close = find(list, IDOK);
    ASSERT_NE(close, nullptr);
    EXPECT_EQ(close->text, L"閉じる");
    EXPECT_EQ(close->style & BS_TYPEMASK, DWORD(BS_DEFPUSHBUTTON));
    for (auto [id, label] : {std::pair{IDC_INDEX_PROPERTIES, L"プロパティ(&P)..."},
                             std::pair{IDC_INDEX_ADD, L"追加(&A)..."}, std::pair{IDC_INDEX_DELETE, L"削除(&D)"}}) {
        const DialogItem* button = find(list, id);
        ASSERT_NE(button, nullptr) << id;
        EXPECT_EQ(button->text, label);
    }

    const DialogItem* tree = find(index, IDC_INDEX_TREE);
    ASSERT_NE(tree, nullptr);
    EXPECT_TRUE(sameClass(tree->cls, WC_TREEVIEWW));
    const DWORD treeStyle =
        TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS | TVS_DISABLEDRAGDROP;
    EXPECT_EQ(tree->style & treeStyle, treeStyle);
    ASSERT_NE(find(index, IDC_INDEX_NAME), nullptr);
    EXPECT_TRUE(text(index, L"名前(&N):"));
    EXPECT_TRUE(text(index, L"構文定義一覧(&L):"));
    bool hintRight = false;
    for (const DialogItem& item : index.items)
        if (item.text == L"SPACEキーで選択/選択解除") hintRight = (item.style & SS_TYPEMASK) == SS_RIGHT;
    EXPECT_TRUE(hintRight);
    ASSERT_NE(find(index, IDOK), nullptr);
    EXPECT_EQ(find(index, IDOK)->style & BS_TYPEMASK, DWORD(BS_DEFPUSHBUTTON));
    ASSERT_NE(find(index, IDCANCEL), nullptr);
    EXPECT_EQ(find(index, IDCANCEL)->text, L"ｷｬﾝｾﾙ");
}

// Every dialog linked in, so one added later is held to the same rule: each
// check box, radio button, labelled field and button but OK, Cancel and ">>"
// has an access key, and no two controls of a dialog share one.
BOOL CALLBACK collectDialogId(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR ids) {
    if (IS_INTRESOURCE(name)) reinterpret_cast<std::vector<int>*>(ids)->push_back(int(LOWORD(name)));
    return TRUE;
}

TEST(Resources, EveryDialogHasUniqueAccessKeys) {
    std::vector<int> ids;
    EnumResourceNamesW(module(), MAKEINTRESOURCEW(5), collectDialogId, reinterpret_cast<LONG_PTR>(&ids));
    for (int id : {IDD_PROPERTIES, IDD_ABOUT, IDD_INDEX_LIST, IDD_INDEX, IDD_MESSAGE_FORMAT})
        EXPECT_NE(std::find(ids.begin(), ids.end(), id), ids.end()) << id;
    for (int id : ids) {
        const DialogTemplate t = loadDialog(id);
        SCOPED_TRACE(id);
        std::wstring keys;
        for (size_t i = 0; i < t.items.size(); ++i) {
            const DialogItem& item = t.items[i];
            const std::size_t amp = item.text.find(L'&');
            if (amp != std::wstring::npos && amp + 1 < item.text.size()) {
                wchar_t key = item.text[amp + 1];
                if (key >= L'a' && key <= L'z') key = wchar_t(key - L'a' + L'A');
                EXPECT_EQ(keys.find(key), std::wstring::npos) << item.text;
                keys += key;
                continue;
            }
            const DWORD type = item.style & BS_TYPEMASK;
            const bool button = sameClass(item.cls, L"Button") && type != BS_GROUPBOX;
            const bool exempt = WORD(item.id) == IDOK || WORD(item.id) == IDCANCEL || item.text == L">>";
            // A static names the field after it when that field takes the focus.
            bool label = false;
            if (sameClass(item.cls, L"Static") && !item.text.empty() && !(item.style & SS_NOPREFIX) &&
                i + 1 < t.items.size())
                label = (t.items[i + 1].style & WS_TABSTOP) && !sameClass(t.items[i + 1].cls, L"Button");
            EXPECT_FALSE((button && !exempt) || label) << item.text << " has no access key";
        }
    }
}

INT_PTR CALLBACK quietDialogProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

TEST(Resources, PropertyPaneCreatesWithTheJapaneseFontTheShellCopies) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW, 0, 0, 600, 500, nullptr, nullptr,
                                  module(), nullptr);
    HWND pane = CreateDialogParamW(module(), MAKEINTRESOURCEW(IDD_PROPERTIES), parent, quietDialogProc, 0);
    ASSERT_NE(pane, nullptr);
    EXPECT_TRUE(GetWindowLongW(pane, GWL_EXSTYLE) & WS_EX_CONTROLPARENT);
    EXPECT_NE(GetDlgItem(pane, IDC_COLOUR_LINES_SPIN), nullptr);
    auto font = reinterpret_cast<HFONT>(SendDlgItemMessageW(pane, IDC_NAME, WM_GETFONT, 0, 0));
    ASSERT_NE(font, nullptr);
    LOGFONTW lf{};
    ASSERT_TRUE(GetObjectW(font, sizeof lf, &lf));
    EXPECT_STREQ(lf.lfFaceName, L"ＭＳ Ｐゴシック");
    // The labels must come out as Japanese, not as boxes.
    HDC dc = GetDC(pane);
    HGDIOBJ old = SelectObject(dc, font);
    WORD glyphs[4] = {};
    ASSERT_EQ(GetGlyphIndicesW(dc, L"名前ｷｬ", 4, glyphs, GGI_MARK_NONEXISTING_GLYPHS), 4u);
    for (WORD glyph : glyphs) EXPECT_NE(glyph, 0xFFFF);
    SelectObject(dc, old);
    ReleaseDC(pane, dc);
    // The up-down's buddy is the lines edit just before it.
    EXPECT_EQ(reinterpret_cast<HWND>(SendDlgItemMessageW(pane, IDC_COLOUR_LINES_SPIN, UDM_GETBUDDY, 0, 0)),
              GetDlgItem(pane, IDC_COLOUR_LINES));
    DestroyWindow(parent);
}

TEST(Resources, AboutBoxShowsTitleIconLinesAndOk) {
    DialogTemplate t = loadDialog(IDD_ABOUT);
    EXPECT_EQ(t.caption, L"Tarvelonカラー構文エディタ");
    std::vector<std::wstring> centred;
    bool icon = false, ok = false;
    for (const DialogItem& item : t.items) {
        if (sameClass(item.cls, L"Static") && (item.style & SS_TYPEMASK) == SS_CENTER) centred.push_back(item.text);
        if (sameClass(item.cls, L"Static") && (item.style & SS_TYPEMASK) == SS_ICON) icon = true;
        if (sameClass(item.cls, L"Button") && item.id == IDOK && item.text == L"OK") ok = true;
    }
    EXPECT_EQ(centred, (std::vector<std::wstring>{L"Tarvelon Solvantra", L"カラー構文エディタ", L"" LUMASET_ABOUT_VERSION}));
    EXPECT_TRUE(icon);
    EXPECT_TRUE(ok);
}

// Explorer's properties and the installer read the numbers, not the text.
TEST(Resources, VersionResourceCarriesTheBuildVersion) {
    HRSRC res = FindResourceW(module(), MAKEINTRESOURCEW(VS_VERSION_INFO), MAKEINTRESOURCEW(16));  // RT_VERSION
    ASSERT_NE(res, nullptr);
    const auto* data = static_cast<const std::uint8_t*>(LockResource(LoadResource(module(), res)));
    const std::vector<std::uint8_t> bytes(data, data + SizeofResource(module(), res));
    const std::uint8_t signature[] = {0xBD, 0x04, 0xEF, 0xFE};
    auto at = std::search(bytes.begin(), bytes.end(), std::begin(signature), std::end(signature));
    ASSERT_LE(at + sizeof(VS_FIXEDFILEINFO), bytes.end());
    VS_FIXEDFILEINFO info;
    std::memcpy(&info, &*at, sizeof info);
    const DWORD high = MAKELONG(LUMASET_VERSION_MINOR, LUMASET_VERSION_MAJOR);
    const DWORD low = MAKELONG(0, LUMASET_VERSION_PATCH);
    EXPECT_EQ(info.dwFileVersionMS, high);
    EXPECT_EQ(info.dwFileVersionLS, low);
    EXPECT_EQ(info.dwProductVersionMS, high);
    EXPECT_EQ(info.dwProductVersionLS, low);
}

SIZE bitmapSize(int id) {
    auto bitmap = static_cast<HBITMAP>(LoadImageW(module(), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, 0));
    BITMAP info{};
    if (bitmap) GetObjectW(bitmap, sizeof info, &info);
    DeleteObject(bitmap);
    return {info.bmWidth, info.bmHeight};
}

TEST(Resources, PicturesHaveTheirSizes) {
    SIZE toolbar = bitmapSize(IDB_TOOLBAR);
    EXPECT_EQ(toolbar.cx, 13 * 20);
    EXPECT_EQ(toolbar.cy, 18);
    for (int id : {IDB_INDEX_MEMBER, IDB_INDEX_NOT_MEMBER}) {
        SIZE mark = bitmapSize(id);
        EXPECT_EQ(mark.cx, 16) << id;
        EXPECT_EQ(mark.cy, 16) << id;
    }
    // Each size drawn, in 32-bit colour with its own transparency, so that
    // nothing is stretched from another size.
    HRSRC group = FindResourceW(module(), MAKEINTRESOURCEW(IDI_LUMASET), MAKEINTRESOURCEW(14));  // RT_GROUP_ICON
    ASSERT_NE(group, nullptr);
    const auto* dir = static_cast<const BYTE*>(LockResource(LoadResource(module(), group)));
    const DWORD dirSize = SizeofResource(module(), group);
    WORD count = 0;
    std::memcpy(&count, dir + 4, sizeof count);
    ASSERT_GE(dirSize, 6u + 14u * count);
    std::vector<int> sizes;
    for (WORD i = 0; i < count; ++i) {
        const BYTE* entry = dir + 6 + 14 * i;  // GRPICONDIRENTRY
        WORD bits = 0;
        std::memcpy(&bits, entry + 6, sizeof bits);
        sizes.push_back(entry[0] ? entry[0] : 256);
        EXPECT_EQ(bits, 32) << sizes.back();
    }
    std::sort(sizes.begin(), sizes.end());
    EXPECT_EQ(sizes, (std::vector<int>{16, 20, 24, 32, 48, 64, 256}));
    for (int size : {16, 32, 256}) {
        HANDLE icon = LoadImageW(module(), MAKEINTRESOURCEW(IDI_LUMASET), IMAGE_ICON, size, size, 0);
        EXPECT_NE(icon, nullptr) << size;
        DestroyIcon(static_cast<HICON>(icon));
    }
}

TEST(Resources, ManifestAsksForCommonControls6AndDpiAwareness) {
    HRSRC res = FindResourceW(module(), MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));  // RT_MANIFEST
    ASSERT_NE(res, nullptr);
    const char* data = static_cast<const char*>(LockResource(LoadResource(module(), res)));
    std::string manifest(data, SizeofResource(module(), res));
    EXPECT_NE(manifest.find("Microsoft.Windows.Common-Controls"), std::string::npos);
    EXPECT_NE(manifest.find("version=\"6.0.0.0\""), std::string::npos);
    EXPECT_NE(manifest.find("<dpiAware"), std::string::npos);
    EXPECT_NE(manifest.find("name=\"Lumaset\" version=\"" LUMASET_VERSION ".0\""), std::string::npos);

    // And it takes effect: the process's activation context redirects
    // comctl32.dll to the version 6 assembly.
    ACTCTX_SECTION_KEYED_DATA redirect{};
    redirect.cbSize = sizeof redirect;
    EXPECT_TRUE(FindActCtxSectionStringW(0, nullptr, ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION,
                                         L"comctl32.dll", &redirect));
}

}  // namespace
