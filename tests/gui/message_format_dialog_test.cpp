#include "gui/gui_support.h"

#include <cstring>
#include <optional>

#include "gui/dialog_driver.h"
#include "pattern/pattern_code.h"
#include "properties/message_format_dialog.h"
#include "resources/resource_ids.h"

namespace lumaset::testing {
namespace {

// Compiles text into a code field, as an earlier OK would have stored it.
void storeCode(std::uint8_t* field, const char* text) {
    std::uint8_t code[kCompileAreaSize];
    const int length = compilePattern(text, code);
    ASSERT_GT(length, 0);
    ASSERT_LE(length, kMessageCodeSize);
    std::memcpy(field, code, std::size_t(length));
}

std::wstring itemText(HWND dialog, int id) { return windowText(GetDlgItem(dialog, id)); }

void setText(HWND dialog, int id, const wchar_t* text) { SetDlgItemTextW(dialog, id, text); }

class MessageFormatDialogTest : public GuiTest {
protected:
    MessageFormat draft{};
    std::optional<DialogDriver> driving;

    void SetUp() override {
        GuiTest::SetUp();
        driving.emplace();
        // Bytes past each code's end show whether a store touched them.
        std::memset(draft.numberCode, 0xEE, kMessageCodeSize);
        std::memset(draft.dateCode, 0xEE, kMessageCodeSize);
        std::memset(draft.commentCode, 0xEE, kMessageCodeSize);
        storeCode(draft.numberCode, "\\1");
        storeCode(draft.dateCode, "\\(3,4)");
        storeCode(draft.commentCode, "abc");
    }
    INT_PTR run() { return editMessageFormat(nullptr, draft); }
};

// Which of the dependent controls are enabled, in the order 1035, 1025,
// 1036, 1021, 1037, 1031.
std::string enabling(HWND dialog) {
    std::string s;
    for (int id : {IDC_MF_NUMBER, IDC_MF_CHECK_DATE, IDC_MF_DATE, IDC_MF_ALLOW_COMMENT, IDC_MF_COMMENT,
                   IDC_MF_UP_ARROW_COMMENT})
        s += isEnabled(dialog, id) ? '1' : '0';
    return s;
}

TEST_F(MessageFormatDialogTest, KindOneOpensWithRenderedCodesAndFollowsTheCheckBoxes) {
    draft.kind = kMessageNumberChecked;
    draft.checkDate = 0;
    draft.allowComment = 1;
    draft.upArrowIsComment = 1;
    const MessageFormat before = draft;
    driving->then([](HWND d) {
        EXPECT_EQ(itemText(d, IDC_MF_NUMBER), L"\\1");
        EXPECT_EQ(itemText(d, IDC_MF_DATE), L"\\(3,4)");
        EXPECT_EQ(itemText(d, IDC_MF_COMMENT), L"abc");
        EXPECT_TRUE(isChecked(d, IDC_MF_CHECK_NUMBER));
        EXPECT_FALSE(isChecked(d, IDC_MF_CHECK_DATE));
        EXPECT_TRUE(isChecked(d, IDC_MF_ALLOW_COMMENT));
        EXPECT_TRUE(isChecked(d, IDC_MF_UP_ARROW_COMMENT));
        EXPECT_EQ(enabling(d), "110111");
        click(d, IDC_MF_CHECK_NUMBER);  // off: only the comment box stays
        EXPECT_EQ(enabling(d), "000100");
        click(d, IDC_MF_CHECK_NUMBER);  // on again: each by its own box
        EXPECT_EQ(enabling(d), "110111");
        click(d, IDC_MF_CHECK_DATE);
        EXPECT_EQ(enabling(d), "111111");
        click(d, IDC_MF_ALLOW_COMMENT);
        EXPECT_EQ(enabling(d), "111100");
        press(d, IDC_MF_HELP);
        press(d, IDCANCEL);
    });
    EXPECT_EQ(run(), IDCANCEL);
    EXPECT_EQ(std::memcmp(&draft, &before, sizeof draft), 0) << "Cancel writes nothing";
    EXPECT_EQ(ui().helpContexts, std::vector<unsigned>{HELP_CONTEXT_MESSAGE_FORMAT});
    EXPECT_EQ(driving->dialogsRun(), std::vector<int>{IDD_MESSAGE_FORMAT});
}

TEST_F(MessageFormatDialogTest, KindsZeroAndTwoOpenUncheckedAndOkStoresTwo) {
    for (std::uint8_t kind : {kNotMessage, kMessageNumberUnchecked}) {
        SCOPED_TRACE(int(kind));
        draft.kind = kind;
        draft.checkDate = 1;
        draft.allowComment = 1;
        driving->then([](HWND d) {
            EXPECT_FALSE(isChecked(d, IDC_MF_CHECK_NUMBER));
            EXPECT_TRUE(isChecked(d, IDC_MF_CHECK_DATE));
            EXPECT_EQ(enabling(d), "000100");  // whatever the flags say
            press(d, IDOK);
        });
        EXPECT_EQ(run(), IDOK);
        EXPECT_EQ(draft.kind, kMessageNumberUnchecked);
        EXPECT_EQ(draft.checkDate, 1);
        EXPECT_EQ(draft.allowComment, 1);
    }
    EXPECT_EQ(driving->leftOpen(), 0);
    EXPECT_TRUE(ui().messageBoxes.empty());
}

TEST_F(MessageFormatDialogTest, OkStoresEveryCodeAndFlagLeavingTheFieldTailAlone) {
    draft.kind = kNotMessage;
    driving->then([](HWND d) {
        click(d, IDC_MF_CHECK_NUMBER);
        click(d, IDC_MF_CHECK_DATE);
        setText(d, IDC_MF_NUMBER, L"\\2");
        setText(d, IDC_MF_DATE, L"");  // empty is a valid pattern
        setText(d, IDC_MF_COMMENT, L"\\( 3 , NIF , -5 )");
        press(d, IDOK);
    });
    EXPECT_EQ(run(), IDOK);
    EXPECT_EQ(draft.kind, kMessageNumberChecked);
    EXPECT_EQ(draft.checkDate, 1);
    EXPECT_EQ(draft.allowComment, 0);
    EXPECT_EQ(draft.upArrowIsComment, 0);
    const std::uint8_t number[] = {0x03, 0x32, 0x00, 0xEE};
    const std::uint8_t date[] = {0x00, 0x03, 0x04, 0x00, 0xEE};  // the old \(3,4) after the new end
    const std::uint8_t comment[] = {0x05, 0x03, 0x80, 0xFB, 0x00, 0x00, 0xEE};  // the old end byte after it
    EXPECT_EQ(std::memcmp(draft.numberCode, number, sizeof number), 0);
    EXPECT_EQ(std::memcmp(draft.dateCode, date, sizeof date), 0);
    EXPECT_EQ(std::memcmp(draft.commentCode, comment, sizeof comment), 0);
    EXPECT_TRUE(ui().messageBoxes.empty());
}

TEST_F(MessageFormatDialogTest, CodeOfFiftyBytesIsTakenAndFiftyOneIsTooLong) {
    draft.kind = kMessageNumberChecked;
    const std::wstring fitting(47, L'a');  // 2 + 1 + 47 + end byte = 50
    driving->then([&](HWND d) {
        setText(d, IDC_MF_NUMBER, (fitting + L"a").c_str());
        press(d, IDOK);
        EXPECT_TRUE(IsWindowVisible(d)) << "the dialog stays open";
        EXPECT_EQ(itemText(d, IDC_MF_NUMBER), fitting + L"a") << "with the user's text";
        setText(d, IDC_MF_NUMBER, fitting.c_str());
        press(d, IDOK);
    });
    EXPECT_EQ(run(), IDOK);
    EXPECT_EQ(ui().messageTexts(), std::vector<std::string>{"発言番号の構文が長すぎます。"});
    EXPECT_EQ(draft.numberCode[0], 0x02);
    EXPECT_EQ(draft.numberCode[1], 47);
    EXPECT_EQ(draft.numberCode[kMessageCodeSize - 1], 0x00);
}

TEST_F(MessageFormatDialogTest, PatternEditsRefuseWhatCp932CannotHoldAndTheFiftiethByte) {
    driving->then([](HWND d) {
        HWND edit = GetDlgItem(d, IDC_MF_COMMENT);
        SetWindowTextW(edit, L"");
        typeText(edit, L"x한表");  // Hangul has no cp932 code
        EXPECT_EQ(windowText(edit), L"x表");
        typeText(edit, std::wstring(60, L'y'));
        EXPECT_EQ(windowText(edit), L"x表" + std::wstring(46, L'y')) << "49 bytes";
        press(d, IDCANCEL);
    });
    EXPECT_EQ(run(), IDCANCEL);
}

TEST_F(MessageFormatDialogTest, CodeTheRendererRefusesShowsErrorAndCompilesAsText) {
    draft.kind = kMessageNumberChecked;
    draft.numberCode[0] = 0x95;  // not an opcode
    driving->then([](HWND d) {
        EXPECT_EQ(itemText(d, IDC_MF_NUMBER), L"エラー");
        EXPECT_EQ(itemText(d, IDC_MF_DATE), L"\\(3,4)");
        press(d, IDOK);
    });
    EXPECT_TRUE(ui().messageBoxes.empty()) << "no message on opening";
    EXPECT_EQ(run(), IDOK);
    const std::uint8_t text[] = {0x02, 0x06, 0x83, 0x47, 0x83, 0x89, 0x81, 0x5B, 0x00};  // "エラー" in cp932
    EXPECT_EQ(std::memcmp(draft.numberCode, text, sizeof text), 0);
}

TEST_F(MessageFormatDialogTest, RefusedDatePatternThenCancelKeepsWhatHadPassed) {
    draft.kind = kNotMessage;
    const MessageFormat before = draft;
    driving->then([](HWND d) {
        click(d, IDC_MF_CHECK_NUMBER);
        click(d, IDC_MF_CHECK_DATE);
        setText(d, IDC_MF_NUMBER, L"\\2");
        setText(d, IDC_MF_DATE, L"\\(1,2");
        setText(d, IDC_MF_COMMENT, L"\\7");
        press(d, IDOK);
        EXPECT_TRUE(IsWindowVisible(d));
        EXPECT_EQ(GetFocus(), GetDlgItem(d, IDC_MF_DATE)) << "back to the refused pattern";
        press(d, IDCANCEL);
    });
    EXPECT_EQ(run(), IDCANCEL);
    EXPECT_EQ(ui().messageTexts(), std::vector<std::string>{"日付部分の構文が間違っています。"});
    EXPECT_EQ(draft.kind, kMessageNumberChecked);
    EXPECT_EQ(draft.numberCode[0], 0x03);
    EXPECT_EQ(draft.numberCode[1], 0x32);
    EXPECT_EQ(std::memcmp(draft.dateCode, before.dateCode, kMessageCodeSize), 0);
    EXPECT_EQ(std::memcmp(draft.commentCode, before.commentCode, kMessageCodeSize), 0);
    EXPECT_EQ(draft.checkDate, before.checkDate);
}

}  // namespace
}  // namespace lumaset::testing
