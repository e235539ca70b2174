#include "commands/dropped_files.h"

#include "commands/document_commands.h"
#include "document/tag_file.h"
#include "ui/captions.h"
#include "ui/ui_calls.h"
#include "ui/win_paths.h"
#include "views/document_state.h"

namespace lumaset {

namespace {

std::wstring tooManyFilesQuestion(std::size_t count) {
    const std::wstring limit = std::to_wstring(kMaxDroppedFilesWithoutAsking);
    return L"ドロップされた " + std::to_wstring(count) + L" 個のファイルをすべて開きますか？\n\n" +
           L"「はい」ですべてを、「いいえ」で最初の " + limit + L" 個だけを、それぞれ別のウィンドウで開きます。";
}

// How many of the dropped files to open; 0 when the user cancelled.
std::size_t filesToOpen(const App& app, std::size_t dropped) {
    const auto limit = std::size_t(kMaxDroppedFilesWithoutAsking);
    if (dropped <= limit) return dropped;
    switch (showMessageBox(app.windows.main, tooManyFilesQuestion(dropped), kEditorCaption,
                           MB_ICONQUESTION | MB_YESNOCANCEL)) {
    case IDYES: return dropped;
    case IDNO: return limit;
    default: return 0;
    }
}

bool opensHere(const App& app) { return app.file.path.empty() && !documentHasChanges(app); }

}  // namespace

int openDroppedFiles(App& app, const std::vector<std::wstring>& paths) {
    const std::size_t count = filesToOpen(app, paths.size());
    if (count == 0) return paths.empty() ? 1 : 0;
    int result = 1;
    for (std::size_t i = 0; i < count; ++i) {
        const std::wstring& path = paths[i];
        // A file for another instance is read here first, so that a bad one
        // is named at once and no program starts only to say so.
        const bool here = opensHere(app);
        if (!here) {
            Document scratch;
            if (!loadTagFile(scratch, path)) {
                result = 0;
                continue;
            }
        }
        if (!openDocumentFile(path, currentDirectory())) {
            result = 0;
            // The program would not start: one message, not one a file.
            if (!here) break;
        }
    }
    return result;
}

}  // namespace lumaset
