#include <gtest/gtest.h>

#include "commands/logic/document_text.h"

namespace lumaset {
namespace {

TEST(WindowTitle, NewModifiedAndNamedDocuments) {
    EXPECT_EQ(windowTitle(L"", false), L"(新規) - Tarvelonカラー構文エディタ");
    EXPECT_EQ(windowTitle(L"", true), L"(新規) (更新) - Tarvelonカラー構文エディタ");
    EXPECT_EQ(windowTitle(L"C:\\data\\bbs.tag", false),
              L"C:\\data\\bbs.tag - Tarvelonカラー構文エディタ");
    EXPECT_EQ(windowTitle(L"C:\\data\\bbs.tag", true),
              L"C:\\data\\bbs.tag (更新) - Tarvelonカラー構文エディタ");
}

TEST(SaveChangesQuestion, NamesTheFileOrUntitled) {
    EXPECT_EQ(saveChangesQuestion(L""), L"(無題) は更新されています。保存しますか？");
    EXPECT_EQ(saveChangesQuestion(L"C:\\a.tag"), L"C:\\a.tag は更新されています。保存しますか？");
    EXPECT_EQ(saveFailedText(L"C:\\a.tag"), L"C:\\a.tag の保存に失敗しました。原因不明です。");
}

TEST(SecondInstanceCommandLine, QuotesBothPartsAndNeverTruncates) {
    EXPECT_EQ(secondInstanceCommandLine(L"C:\\Program Files\\Lumaset\\Lumaset.exe"),
              L"\"C:\\Program Files\\Lumaset\\Lumaset.exe\"");
    EXPECT_EQ(secondInstanceCommandLine(L"C:\\p q\\Lumaset.exe", L"D:\\my files\\bbs.tag"),
              L"\"C:\\p q\\Lumaset.exe\" \"D:\\my files\\bbs.tag\"");

    // A long program path and a long document path are kept whole.
    const std::wstring exe = L"C:\\" + std::wstring(150, L'x') + L"\\Lumaset.exe";
    const std::wstring doc = L"D:\\" + std::wstring(250, L'y') + L".tag";
    const std::wstring line = secondInstanceCommandLine(exe, doc);
    EXPECT_EQ(line, L"\"" + exe + L"\" \"" + doc + L"\"");
}

TEST(DocumentPathLimit, TwoHundredFiftyNineCharactersFit) {
    EXPECT_TRUE(fitsDocumentPath(std::wstring(259, L'a')));
    EXPECT_FALSE(fitsDocumentPath(std::wstring(260, L'a')));
}

}  // namespace
}  // namespace lumaset
