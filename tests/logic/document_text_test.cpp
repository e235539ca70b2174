#include <gtest/gtest.h>

#include "commands/logic/document_text.h"

namespace lumaset {
namespace {

TEST(SecondInstanceCommandLine, QuotesBothPartsAndNeverTruncates) {
    EXPECT_EQ(secondInstanceCommandLine(L"C:\\Program Files\\Lumaset\\Lumaset.exe"),
              L"\"C:\\Program Files\\Lumaset\\Lumaset.exe\"");
    // A long program path and a long document path are kept whole.
    const std::wstring exe = L"C:\\" + std::wstring(150, L'x') + L"\\Lumaset.exe";
    const std::wstring doc = L"D:\\my files\\" + std::wstring(240, L'y') + L".tag";
    EXPECT_EQ(secondInstanceCommandLine(exe, doc), L"\"" + exe + L"\" \"" + doc + L"\"");
}

TEST(DocumentTexts, TitleQuestionAndPathBound) {
    EXPECT_EQ(windowTitle(L"", false), L"(新規) - Tarvelonカラー構文エディタ");
    EXPECT_EQ(windowTitle(L"", true), L"(新規) (更新) - Tarvelonカラー構文エディタ");
    EXPECT_EQ(windowTitle(L"C:\\a.tag", false), L"C:\\a.tag - Tarvelonカラー構文エディタ");
    EXPECT_EQ(windowTitle(L"C:\\a.tag", true), L"C:\\a.tag (更新) - Tarvelonカラー構文エディタ");
    EXPECT_EQ(saveChangesQuestion(L""), L"(無題) は更新されています。保存しますか？");
    EXPECT_EQ(saveChangesQuestion(L"C:\\a.tag"), L"C:\\a.tag は更新されています。保存しますか？");
    EXPECT_EQ(saveFailedText(L"C:\\a.tag"), L"C:\\a.tag の保存に失敗しました。原因不明です。");
    // 259 characters fit the 260-slot buffer with its NUL; 260 do not.
    EXPECT_TRUE(fitsDocumentPath(L""));
    EXPECT_TRUE(fitsDocumentPath(std::wstring(259, L'x')));
    EXPECT_FALSE(fitsDocumentPath(std::wstring(260, L'x')));
}

}  // namespace
}  // namespace lumaset
