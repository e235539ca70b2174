#include "commands/logic/document_text.h"

namespace lumaset {

std::wstring saveChangesQuestion(const std::wstring& documentPath) {
    std::wstring text = documentPath.empty() ? L"(無題)" : documentPath;
    text += L" は更新されています。保存しますか？";
    return text;
}

std::wstring saveFailedText(const std::wstring& documentPath) {
    return documentPath + L" の保存に失敗しました。原因不明です。";
}

std::wstring secondInstanceCommandLine(const std::wstring& exePath,
                                       const std::wstring& documentPath) {
    std::wstring line = L"\"" + exePath + L"\"";
    if (!documentPath.empty()) line += L" \"" + documentPath + L"\"";
    return line;
}

bool fitsDocumentPath(const std::wstring& path) {
    return path.size() <= kMaxDocumentPathChars;
}

}  // namespace lumaset
