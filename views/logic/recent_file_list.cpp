#include "views/logic/recent_file_list.h"

#include <algorithm>

namespace lumaset {

namespace {

wchar_t asciiLower(wchar_t c) {
    return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

bool startsWithIgnoringAsciiCase(const std::wstring& text, const std::wstring& prefix) {
    if (prefix.size() > text.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (asciiLower(text[i]) != asciiLower(prefix[i])) return false;
    }
    return true;
}

// A lone '&' in a file name would otherwise underline the next letter.
std::wstring escapeAmpersands(const std::wstring& text) {
    std::wstring out;
    out.reserve(text.size());
    for (wchar_t c : text) {
        out += c;
        if (c == L'&') out += L'&';
    }
    return out;
}

}  // namespace

std::wstring recentValueName(int entry) {
    std::wstring name = L"FileHist";
    name += static_cast<wchar_t>(L'0' + (entry / 10) % 10);
    name += static_cast<wchar_t>(L'0' + entry % 10);
    return name;
}

bool sameRecentPath(const std::wstring& a, const std::wstring& b) {
    return a.size() == b.size() && startsWithIgnoringAsciiCase(a, b);
}

void addRecentEntry(std::vector<std::wstring>& entries, const std::wstring& path) {
    auto same = std::find_if(entries.begin(), entries.end(),
                             [&](const std::wstring& entry) { return sameRecentPath(entry, path); });
    if (same != entries.end()) entries.erase(same);
    while (entries.size() >= static_cast<std::size_t>(kMaxRecentFiles)) entries.erase(entries.begin());
    entries.push_back(path);
}

bool removeRecentEntry(std::vector<std::wstring>& entries, const std::wstring& path) {
    auto same = std::find_if(entries.begin(), entries.end(),
                             [&](const std::wstring& entry) { return sameRecentPath(entry, path); });
    if (same == entries.end()) return false;
    entries.erase(same);
    return true;
}

std::vector<RecentMenuItem> recentMenuItems(const std::vector<std::wstring>& entries,
                                            const std::wstring& currentDirectory) {
    std::vector<RecentMenuItem> items;
    const int count = std::min<int>(static_cast<int>(entries.size()), kMaxRecentFiles);
    for (int entry = count - 1, digit = 1; entry >= 0; --entry, ++digit) {
        const std::wstring& path = entries[entry];
        std::wstring shown = path;
        if (!currentDirectory.empty() && startsWithIgnoringAsciiCase(path, currentDirectory) &&
            path.size() > currentDirectory.size() && path[currentDirectory.size()] == L'\\') {
            shown = path.substr(currentDirectory.size() + 1);
        }
        std::wstring text = L"&";
        text += static_cast<wchar_t>(L'0' + digit);
        text += L' ';
        text += escapeAmpersands(shown);
        items.push_back({kFirstRecentFileId + entry, std::move(text)});
    }
    return items;
}

std::optional<std::wstring> recentEntryForCommand(const std::vector<std::wstring>& entries,
                                                  int commandId) {
    const int entry = commandId - kFirstRecentFileId;
    if (entry < 0 || entry >= kMaxRecentFiles || entry >= static_cast<int>(entries.size())) {
        return std::nullopt;
    }
    if (entries[entry].empty()) return std::nullopt;
    return entries[entry];
}

}  // namespace lumaset
