#include <gtest/gtest.h>

#include "shell/logic/command_line.h"

namespace lumaset {
namespace {

TEST(CommandLine, TakesOneOptionalPath) {
    EXPECT_EQ(filePathFromCommandLine(L""), L"");
    EXPECT_EQ(filePathFromCommandLine(L"    "), L"");
    EXPECT_EQ(filePathFromCommandLine(L"C:\\tags\\bbs.tag"), L"C:\\tags\\bbs.tag");
    // Blanks before the path go; blanks inside stay, quoted or not.
    EXPECT_EQ(filePathFromCommandLine(L"   \"C:\\my tags\\bbs.tag\""), L"C:\\my tags\\bbs.tag");
    EXPECT_EQ(filePathFromCommandLine(L"  C:\\my tags\\bbs.tag"), L"C:\\my tags\\bbs.tag");
    // A trailing blank of an unquoted path is kept as typed.
    EXPECT_EQ(filePathFromCommandLine(L"a.tag "), L"a.tag ");
}

TEST(CommandLine, StopsAtAClosingQuoteOrAControlCharacter) {
    EXPECT_EQ(filePathFromCommandLine(L"\"C:\\a b.tag\" \"second.tag\""), L"C:\\a b.tag");
    EXPECT_EQ(filePathFromCommandLine(L"C:\\a.tag\tmore"), L"C:\\a.tag");
    EXPECT_EQ(filePathFromCommandLine(L"C:\\a.tag\r\n"), L"C:\\a.tag");
    EXPECT_EQ(filePathFromCommandLine(L"C:\\a.tag\x1F"), L"C:\\a.tag");  // the last control character
    EXPECT_EQ(filePathFromCommandLine(L"\"\""), L"");
    // Only one opening quote is skipped.
    EXPECT_EQ(filePathFromCommandLine(L"\"\"x.tag"), L"");
    // Tabs are not leading blanks: the path is empty.
    EXPECT_EQ(filePathFromCommandLine(L"\tC:\\a.tag"), L"");
    EXPECT_EQ(filePathFromCommandLine(L"C:\\表示\\構文.tag"), L"C:\\表示\\構文.tag");
}

}  // namespace
}  // namespace lumaset
