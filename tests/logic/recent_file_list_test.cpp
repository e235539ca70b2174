#include <gtest/gtest.h>

#include "views/logic/recent_file_list.h"

namespace lumaset {
namespace {

using Entries = std::vector<std::wstring>;

TEST(RecentFileList, SamePathInAnyLetterCaseMovesToNewest) {
    Entries list{L"C:\\a.tag", L"C:\\Data\\B.tag", L"C:\\c.tag"};
    addRecentEntry(list, L"c:\\DATA\\b.TAG");
    EXPECT_EQ(list, (Entries{L"C:\\a.tag", L"C:\\c.tag", L"c:\\DATA\\b.TAG"}));

    // Both ends of the ASCII letters fold; the characters beside them do not.
    EXPECT_TRUE(sameRecentPath(L"C:\\AZ.tag", L"c:\\az.TAG"));
    EXPECT_FALSE(sameRecentPath(L"C:\\@[.tag", L"C:\\`{.tag"));
    // Only ASCII letters fold: full-width letters are different names.
    addRecentEntry(list, L"C:\\Ａ.tag");
    addRecentEntry(list, L"C:\\ａ.tag");
    EXPECT_EQ(list.size(), 5u);
}

TEST(RecentFileList, AtTheLimitTheOldestGoes) {
    Entries list;
    for (const wchar_t* path : {L"C:\\1.tag", L"C:\\2.tag", L"C:\\3.tag", L"C:\\4.tag"}) addRecentEntry(list, path);
    addRecentEntry(list, L"C:\\5.tag");
    EXPECT_EQ(list, (Entries{L"C:\\1.tag", L"C:\\2.tag", L"C:\\3.tag", L"C:\\4.tag", L"C:\\5.tag"}));
    addRecentEntry(list, L"C:\\6.tag");
    EXPECT_EQ(list, (Entries{L"C:\\2.tag", L"C:\\3.tag", L"C:\\4.tag", L"C:\\5.tag", L"C:\\6.tag"}));
    // An entry already in a full list moves; nothing else drops out.
    addRecentEntry(list, L"C:\\2.tag");
    EXPECT_EQ(list, (Entries{L"C:\\3.tag", L"C:\\4.tag", L"C:\\5.tag", L"C:\\6.tag", L"C:\\2.tag"}));

    const auto items = recentMenuItems(list, L"");
    ASSERT_EQ(items.size(), 5u);
    EXPECT_EQ(items.front().commandId, 1005);
    EXPECT_EQ(items.front().text, L"&1 C:\\2.tag");
    EXPECT_EQ(items.back().commandId, 1001);
    EXPECT_EQ(items.back().text, L"&5 C:\\3.tag");
    EXPECT_EQ(recentEntryForCommand(list, 1005), L"C:\\2.tag");
    EXPECT_FALSE(recentEntryForCommand(list, 1006));
    EXPECT_EQ(recentValueName(0), L"FileHist00");
    EXPECT_EQ(recentValueName(4), L"FileHist04");

    // Removing: the entry in any ASCII case, once; a path not listed is no change.
    EXPECT_TRUE(removeRecentEntry(list, L"c:\\4.TAG"));
    EXPECT_FALSE(removeRecentEntry(list, L"C:\\4.tag"));
    EXPECT_EQ(list, (Entries{L"C:\\3.tag", L"C:\\5.tag", L"C:\\6.tag", L"C:\\2.tag"}));
    Entries empty;
    EXPECT_FALSE(removeRecentEntry(empty, L"C:\\2.tag"));
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
