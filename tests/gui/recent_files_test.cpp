// The recent-file list in the registry, in the File menu and across main
// windows.
#include "gui/gui_support.h"

#include <algorithm>
#include <utility>

#include "commands/document_commands.h"
#include "document/tag_file.h"
#include "resources/resource_ids.h"
#include "views/recent_files.h"

namespace lumaset::testing {
namespace {

using Values = std::vector<std::pair<std::wstring, std::wstring>>;

class RecentFilesTest : public GuiTest {
protected:
    void TearDown() override {
        if (!savedDirectory_.empty()) SetCurrentDirectoryW(savedDirectory_.c_str());
        RegDeleteTreeW(HKEY_CURRENT_USER, kRecentFilesKey);
        GuiTest::TearDown();
    }

    static HKEY openKey() {
        HKEY key = nullptr;
        RegCreateKeyExW(HKEY_CURRENT_USER, kRecentFilesKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
        return key;
    }

    static void setValue(const wchar_t* name, DWORD type, const void* data, DWORD bytes) {
        HKEY key = openKey();
        ASSERT_NE(key, nullptr);
        RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), bytes);
        RegCloseKey(key);
    }

    static void setPath(const wchar_t* name, const std::wstring& path) {
        setValue(name, REG_SZ, path.c_str(), DWORD((path.size() + 1) * sizeof(wchar_t)));
    }

    // Every value under the key, in name order.
    static Values storedValues() {
        Values values;
        HKEY key = openKey();
        for (DWORD i = 0;; ++i) {
            wchar_t name[64];
            DWORD nameChars = 64;
            wchar_t data[600] = {};
            DWORD bytes = sizeof(data) - sizeof(wchar_t);
            if (RegEnumValueW(key, i, name, &nameChars, nullptr, nullptr, reinterpret_cast<BYTE*>(data), &bytes) !=
                ERROR_SUCCESS)
                break;
            values.emplace_back(name, data);
        }
        RegCloseKey(key);
        std::sort(values.begin(), values.end());
        return values;
    }

    // The recent-file part of the File menu: (id, text), the separator as "-".
    Values fileMenuTail() {
        Values items;
        HMENU file = GetSubMenu(a().windows.mainMenu, 0);
        const int count = GetMenuItemCount(file);
        for (int i = 0; i < count; ++i) {
            const UINT id = GetMenuItemID(file, i);
            if (id < IDM_RECENT_SEPARATOR || id > IDM_RECENT_LAST) continue;
            wchar_t text[400] = {};
            GetMenuStringW(file, i, text, 400, MF_BYPOSITION);
            items.emplace_back(std::to_wstring(id), id == IDM_RECENT_SEPARATOR ? L"-" : text);
        }
        return items;
    }

    void changeDirectory(const std::filesystem::path& dir) {
        wchar_t current[MAX_PATH] = {};
        GetCurrentDirectoryW(MAX_PATH, current);
        savedDirectory_ = current;
        SetCurrentDirectoryW(dir.c_str());
    }

private:
    std::wstring savedDirectory_;
};

TEST_F(RecentFilesTest, OpeningAFileAgainInAnyCaseKeepsOneEntry) {
    const auto path = tempPath(L"Session.tag");
    {
        Document doc;
        ASSERT_TRUE(saveTagFile(doc, path));
    }
    setPath(L"FileHist00", L"C:\\other.tag");
    setPath(L"FileHist01", path.wstring());
    setPath(L"FileHist02", L"D:\\third.tag");

    std::wstring upper = path.wstring();
    for (auto& c : upper) c = wchar_t(towupper(c));
    ASSERT_TRUE(start(L"\"" + upper + L"\""));
    EXPECT_EQ(storedValues(), (Values{{L"FileHist00", L"C:\\other.tag"},
                                      {L"FileHist01", L"D:\\third.tag"},
                                      {L"FileHist02", upper}}));
}

TEST_F(RecentFilesTest, SixthPathDropsTheOldestAndNoStaleValueRemains) {
    ASSERT_TRUE(start());
    for (int i = 1; i <= 6; ++i) addRecentFile(L"C:\\f" + std::to_wstring(i) + L".tag");
    EXPECT_EQ(storedValues(), (Values{{L"FileHist00", L"C:\\f2.tag"},
                                      {L"FileHist01", L"C:\\f3.tag"},
                                      {L"FileHist02", L"C:\\f4.tag"},
                                      {L"FileHist03", L"C:\\f5.tag"},
                                      {L"FileHist04", L"C:\\f6.tag"}}));
    EXPECT_EQ(fileMenuTail().size(), 6u);  // separator and five entries
}

TEST_F(RecentFilesTest, UntrustedValuesEndTheList) {
    // A hole after the first value: one entry, and the next save clears the
    // value beyond the list so the old third value cannot come back.
    setPath(L"FileHist00", L"C:\\a.tag");
    setPath(L"FileHist02", L"C:\\c.tag");
    ASSERT_TRUE(start());
    EXPECT_EQ(a().recent.entries, std::vector<std::wstring>{L"C:\\a.tag"});
    addRecentFile(L"C:\\b.tag");
    EXPECT_EQ(storedValues(), (Values{{L"FileHist00", L"C:\\a.tag"}, {L"FileHist01", L"C:\\b.tag"}}));

    // Another type, too long a path, and a string without its NUL.
    const DWORD number = 7;
    setValue(L"FileHist01", REG_DWORD, &number, sizeof(number));
    loadRecentFiles();
    EXPECT_EQ(a().recent.entries, std::vector<std::wstring>{L"C:\\a.tag"});

    setPath(L"FileHist01", L"C:\\" + std::wstring(300, L'l') + L".tag");
    loadRecentFiles();
    EXPECT_EQ(a().recent.entries, std::vector<std::wstring>{L"C:\\a.tag"});

    const std::wstring unterminated = L"C:\\u.tag";
    setValue(L"FileHist01", REG_SZ, unterminated.data(), DWORD(unterminated.size() * sizeof(wchar_t)));
    setValue(L"FileHist02", REG_SZ, "\x41\x00\x42", 3);  // odd byte count
    loadRecentFiles();
    EXPECT_EQ(a().recent.entries, (std::vector<std::wstring>{L"C:\\a.tag", L"C:\\u.tag", L"A"}));
}

TEST_F(RecentFilesTest, MenuShowsNewestFirstAndShortensTheCurrentDirectory) {
    ASSERT_TRUE(start());
    const int baseItems = GetMenuItemCount(GetSubMenu(a().windows.mainMenu, 0));
    EXPECT_TRUE(fileMenuTail().empty());

    changeDirectory(folder());
    const std::wstring beside = folder().wstring() + L"shop\\b.tag";
    a().recent.entries = {beside, folder().wstring() + L"\\a.tag"};
    // Built twice: the items are replaced, not added again.
    buildRecentFileMenu(a().windows.mainMenu);
    buildRecentFileMenu(a().windows.mainMenu);
    EXPECT_EQ(fileMenuTail(), (Values{{L"1000", L"-"}, {L"1002", L"&1 a.tag"}, {L"1001", L"&2 " + beside}}));

    a().recent.entries.clear();
    buildRecentFileMenu(a().windows.mainMenu);
    EXPECT_EQ(GetMenuItemCount(GetSubMenu(a().windows.mainMenu, 0)), baseItems);
}

// Every instance reloads on the broadcast, this one included; between two
// processes the end-to-end test checks it.
TEST_F(RecentFilesTest, SavingTellsOurOwnWindowToReload) {
    ASSERT_TRUE(start());
    a().recent.entries = {L"C:\\first.tag", L"C:\\second.tag"};
    saveRecentFiles();
    EXPECT_EQ(fileMenuTail(), (Values{{L"1000", L"-"}, {L"1002", L"&1 C:\\second.tag"}, {L"1001", L"&2 C:\\first.tag"}}));
}

}  // namespace
}  // namespace lumaset::testing
