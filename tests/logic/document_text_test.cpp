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

}  // namespace
}  // namespace lumaset
