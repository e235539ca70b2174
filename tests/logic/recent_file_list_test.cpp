#include <gtest/gtest.h>

#include "views/logic/recent_file_list.h"

namespace lumaset {
namespace {

using Entries = std::vector<std::wstring>;

TEST(RecentFileList, SamePathInAnyLetterCaseMovesToNewest) {
    Entries list{L"C:\\a.tag", L"C:\\Data\\B.tag", L"C:\\c.tag"};
    addRecentEntry(list, L"c:\\DATA\\b.TAG");
    EXPECT_EQ(list, (Entries{L"C:\\a.tag", L"C:\\c.tag", L"c:\\DATA\\b.TAG"}));

    // Only ASCII letters fold: full-width letters are different names.
    addRecentEntry(list, L"C:\\Ａ.tag");
    addRecentEntry(list, L"C:\\ａ.tag");
    EXPECT_EQ(list.size(), 5u);
}

TEST(RecentFileList, MenuIsNewestFirstWithCurrentDirectoryLeftOut) {
    const Entries list{L"C:\\workshop\\b.tag", L"D:\\x.tag", L"C:\\WORK\\a.tag"};
    const auto items = recentMenuItems(list, L"C:\\work");
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].commandId, 1003);
    EXPECT_EQ(items[0].text, L"&1 a.tag");
    EXPECT_EQ(items[1].commandId, 1002);
    EXPECT_EQ(items[1].text, L"&2 D:\\x.tag");
    EXPECT_EQ(items[2].commandId, 1001);
    EXPECT_EQ(items[2].text, L"&3 C:\\workshop\\b.tag");

    EXPECT_TRUE(recentMenuItems({}, L"C:\\work").empty());
    // The directory itself is not an entry inside it.
    EXPECT_EQ(recentMenuItems({L"C:\\work"}, L"C:\\work")[0].text, L"&1 C:\\work");
    // An ampersand in a name shows as itself, not as a mnemonic.
    EXPECT_EQ(recentMenuItems({L"C:\\R&D.tag"}, L"")[0].text, L"&1 C:\\R&&D.tag");
}

TEST(RecentFileList, CommandIdsMapToEntries) {
    const Entries list{L"C:\\old.tag", L"", L"C:\\new.tag"};
    EXPECT_EQ(recentEntryForCommand(list, 1001), L"C:\\old.tag");
    EXPECT_EQ(recentEntryForCommand(list, 1003), L"C:\\new.tag");
    EXPECT_FALSE(recentEntryForCommand(list, 1002));  // empty entry
    EXPECT_FALSE(recentEntryForCommand(list, 1004));  // past the count
    EXPECT_FALSE(recentEntryForCommand(list, 1000));  // the separator
    EXPECT_FALSE(recentEntryForCommand(list, 1006));
    EXPECT_FALSE(recentEntryForCommand(list, 40002));
}

}  // namespace
}  // namespace lumaset
