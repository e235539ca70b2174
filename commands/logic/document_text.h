// Texts of the document commands: the save-changes question, the failed
// save and the command line of a second instance.
#pragma once

#include <string>

#include "views/logic/window_title.h"

namespace lumaset {

// The document path holds at most this many characters (a 260-slot buffer).
inline constexpr std::size_t kMaxDocumentPathChars = 259;

inline constexpr wchar_t kStartFailedText[] = L"Lumaset.exeの起動に失敗しました。";

// The question asked before a modified document is dropped.
std::wstring saveChangesQuestion(const std::wstring& documentPath);

// The message shown after the writer's own when a save fails.
std::wstring saveFailedText(const std::wstring& documentPath);

// `"exe"` alone (a new empty instance) or `"exe" "document"`. Both are quoted
// so that blanks in either survive the receiving side's command-line rule.
std::wstring secondInstanceCommandLine(const std::wstring& exePath,
                                       const std::wstring& documentPath = {});

// True when the path fits the document path buffer. Longer paths are never
// cut, since the cut path would name a different file.
bool fitsDocumentPath(const std::wstring& path);

}  // namespace lumaset
