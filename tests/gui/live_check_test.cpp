#include "gui/gui_support.h"

#include <string>
#include <tuple>

#include "gui/dialog_driver.h"
#include "pattern/match_pattern.h"
#include "properties/property_pane.h"
#include "resources/resource_ids.h"
#include "views/tree_mirror.h"

namespace lumaset::testing {
namespace {

std::wstring repeat(const std::wstring& piece, int times) {
    std::wstring out;
    for (int k = 0; k < times; ++k) out += piece;
    return out;
}

class LiveCheckTest : public GuiTest {
protected:
    HWND pane() { return a().windows.propertyPane; }
    std::wstring line(HWND window, int id) { return windowText(GetDlgItem(window, id)); }
    void select(int position) {
        SendMessageW(a().windows.tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(itemForRecord(a(), position)));
        pumpMessages();
    }
    // Replaces the field's text keystroke by keystroke.
    void retype(HWND window, int id, const std::wstring& text) {
        HWND edit = GetDlgItem(window, id);
        SetFocus(edit);
        SendMessageW(edit, EM_SETSEL, 0, -1);
        SendMessageW(edit, WM_CHAR, VK_BACK, 1);
        typeText(edit, text);
    }
};

TEST_F(LiveCheckTest, TheTitleLineFollowsTypingAndApplyKeepsItsOwnMessages) {
    ASSERT_TRUE(start());
    appendSyntax(a().document, "alpha", 1);
    appendSyntax(a().document, "beta", 1);
    buildTree(a());
    pumpMessages();
    select(3);
    EXPECT_EQ(line(pane(), IDC_TITLE_CHECK), L"OK 1/119 バイト");  // the empty title as filled

    retype(pane(), IDC_TITLE, L"abc");
    EXPECT_EQ(line(pane(), IDC_TITLE_CHECK), L"OK 6/119 バイト");
    // 117 characters the field takes, 196 bytes of code the title does not.
    retype(pane(), IDC_TITLE, repeat(L"a\\1", 39));
    EXPECT_EQ(line(pane(), IDC_TITLE_CHECK), L"長すぎます 196/119 バイト");
    SendMessageW(pane(), WM_COMMAND, IDOK, 0);
    pumpMessages();
    EXPECT_EQ(ui().messageTexts(), std::vector<std::string>{"タイトルの構文が長すぎます。"});
    // "表" is one character: the text after "\-" is the 6th.
    retype(pane(), IDC_TITLE, L"表\\1\\-x");
    EXPECT_EQ(line(pane(), IDC_TITLE_CHECK), L"6 文字目で変換できません");
    SendMessageW(pane(), WM_COMMAND, IDOK, 0);
    pumpMessages();
    EXPECT_EQ(ui().messageTexts().back(), "タイトルの構文の変換に失敗しました。");
    EXPECT_EQ(line(pane(), IDC_TITLE_CHECK), L"6 文字目で変換できません");

    // A line at the pane's last width grows with it, as the field does.
    RECT before{}, after{};
    GetWindowRect(GetDlgItem(pane(), IDC_TITLE_CHECK), &before);
    RECT main{};
    GetWindowRect(a().windows.main, &main);
    SetWindowPos(a().windows.main, nullptr, 0, 0, main.right - main.left + 100, main.bottom - main.top,
                 SWP_NOMOVE | SWP_NOZORDER);
    pumpMessages();
    GetWindowRect(GetDlgItem(pane(), IDC_TITLE_CHECK), &after);
    EXPECT_EQ(after.right - after.left, before.right - before.left + 100);
}

// The patterns' lines say what the reader makes of them, and never stop Apply.
TEST_F(LiveCheckTest, ThePatternLinesFollowTypingAndNeverRefuse) {
    ASSERT_TRUE(start());
    appendSyntax(a().document, "alpha", 1);
    buildTree(a());
    pumpMessages();
    select(3);
    retype(pane(), IDC_PATTERN, L"");
    retype(pane(), IDC_EXIT_PATTERN, L"");
    EXPECT_EQ(line(pane(), IDC_PATTERN_CHECK), L"空: 何にも一致しません");
    EXPECT_EQ(line(pane(), IDC_EXIT_PATTERN_CHECK), L"");  // no exit pattern is nothing to say
    for (auto [id, lineId, text] : {std::tuple{IDC_PATTERN, IDC_PATTERN_CHECK, "ab\\f["},
                                    std::tuple{IDC_EXIT_PATTERN, IDC_EXIT_PATTERN_CHECK, "(x"},
                                    std::tuple{IDC_PATTERN, IDC_PATTERN_CHECK, "^a\\fb"}}) {
        SCOPED_TRACE(text);
        retype(pane(), id, wideFromUtf8(text));
        EXPECT_EQ(line(pane(), lineId), wideFromUtf8(matchPatternCheckLine(text)));
        EXPECT_NE(line(pane(), lineId), L"");
    }
    SendMessageW(pane(), WM_COMMAND, IDOK, 0);
    pumpMessages();
    EXPECT_TRUE(ui().messageTexts().empty());
    EXPECT_STREQ(a().document.syntaxAt(3)->pattern, "^a\\fb");
    EXPECT_STREQ(a().document.syntaxAt(3)->exitPattern, "(x");
    EXPECT_EQ(line(pane(), IDC_EXIT_PATTERN_CHECK), wideFromUtf8(matchPatternCheckLine("(x")));
}

TEST_F(LiveCheckTest, EachMessageFormatPatternHasItsLine) {
    ASSERT_TRUE(start());
    appendSyntax(a().document, "alpha", 1);
    buildTree(a());
    pumpMessages();
    select(3);
    SendMessageW(GetDlgItem(pane(), IDC_MESSAGE_SYNTAX), BM_CLICK, 0, 0);
    pumpMessages();

    DialogDriver driver;
    driver.then([this](HWND d) {
        // As opened: the empty codes compile to their end byte.
        EXPECT_EQ(line(d, IDC_MF_NUMBER_CHECK), L"OK 1/50 バイト");
        click(d, IDC_MF_CHECK_NUMBER);
        click(d, IDC_MF_CHECK_DATE);
        click(d, IDC_MF_ALLOW_COMMENT);
        retype(d, IDC_MF_NUMBER, L"a" + repeat(L"\\1", 23));
        retype(d, IDC_MF_DATE, repeat(L"a\\1", 10));
        retype(d, IDC_MF_COMMENT, L"\\p");
        EXPECT_EQ(line(d, IDC_MF_NUMBER_CHECK), L"OK 50/50 バイト");
        EXPECT_EQ(line(d, IDC_MF_DATE_CHECK), L"長すぎます 51/50 バイト");
        EXPECT_EQ(line(d, IDC_MF_COMMENT_CHECK), L"3 文字目で変換できません");
        press(d, IDOK);  // refused for the date, as before
        retype(d, IDC_MF_DATE, repeat(L"a\\1", 9));
        EXPECT_EQ(line(d, IDC_MF_DATE_CHECK), L"OK 46/50 バイト");
        press(d, IDOK);  // refused for the comment
        press(d, IDCANCEL);
    });
    SendMessageW(GetDlgItem(pane(), IDC_MESSAGE_FORMAT), BM_CLICK, 0, 0);
    pumpMessages();
    EXPECT_EQ(driver.dialogsRun(), std::vector<int>{IDD_MESSAGE_FORMAT});
    EXPECT_EQ(ui().messageTexts(), (std::vector<std::string>{"日付部分の構文が長すぎます。",
                                                             "コメント番号の構文が間違っています。"}));
}

}  // namespace
}  // namespace lumaset::testing
