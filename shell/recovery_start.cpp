#include "shell/recovery_start.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include "commands/logic/document_text.h"
#include "document/error_message.h"
#include "document/file_io.h"
#include "document/tag_file.h"
#include "properties/recovery_draft.h"
#include "ui/captions.h"
#include "ui/text_convert.h"
#include "ui/ui_calls.h"
#include "ui/win_paths.h"
#include "views/document_history.h"
#include "views/memo_edit.h"
#include "views/pane_steps.h"
#include "views/recovery.h"
#include "views/tree_mirror.h"

namespace lumaset {

namespace {

namespace fs = std::filesystem;

constexpr wchar_t kRecoveryQuestionTail[] = L"保存されていない変更が残っています。復元しますか？";
constexpr wchar_t kUntitledName[] = L"(新規)";
constexpr char kDamagedCopyText[] = "は復元できない形をしています。そのまま別の名前で残しました。";

std::wstring wide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }
std::u16string u16(std::wstring_view text) { return std::u16string(text.begin(), text.end()); }

bool writeBytes(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
    SafeFileWriter file;
    return file.create(path) && file.write(bytes.data(), bytes.size()) && file.commit();
}

bool readSmallFile(const fs::path& path, std::vector<std::uint8_t>& bytes) {
    FileSource file;
    if (file.open(path) != OpenResult::Opened) return false;
    constexpr std::size_t kLimit = 1 << 20;  // far above any side file
    bytes.resize(kLimit + 1);
    const std::int64_t got = file.read(bytes.data(), bytes.size());
    if (got < 0 || std::size_t(got) > kLimit) return false;
    bytes.resize(std::size_t(got));
    return true;
}

fs::path withStem(const fs::path& folder, std::u16string_view stem, std::u16string_view extension) {
    return folder / wide(std::u16string(stem) + std::u16string(extension));
}

// Renamed, never deleted: a wrong No loses nothing.
void keepAside(const fs::path& folder, std::u16string_view stem) {
    const std::u16string kept = keptStem(stem, fileTimeNow());
    for (std::u16string_view extension : {kRecoveryInfoExtension, kRecoveryCopyExtension})
        MoveFileExW(withStem(folder, stem, extension).c_str(), withStem(folder, kept, extension).c_str(), 0);
}

// Copies put aside more than 30 days ago go, and so do the temporary files
// of writes that an editor's end cut short.
void tidyRecoveryFolder(const fs::path& folder) {
    const std::uint64_t now = fileTimeNow();
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        const fs::path name = entry.path();
        if (name.extension() == L".tmp") {
            const std::wstring file = name.filename().wstring();
            const auto owner = ownerOfStem(u16(std::wstring_view(file).substr(0, file.find(L'.'))));
            if (owner && !ownerIsRunning(*owner)) DeleteFileW(name.c_str());
            continue;
        }
        if (name.extension() != wide(kRecoveryInfoExtension) && name.extension() != wide(kRecoveryCopyExtension))
            continue;
        const auto kept = keptTimeOfStem(u16(name.stem().wstring()));
        if (kept && *kept < now && now - *kept > kKeptCopyDays * kTicksPerDay) DeleteFileW(name.c_str());
    }
}

struct Candidate {
    std::u16string stem;
    RecoveryInfo info;
};

// Copies of editors that no longer run; damaged ones are said and kept
// aside here.
std::vector<Candidate> orphanedCopies(const fs::path& folder) {
    std::vector<std::u16string> stems;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        const fs::path name = entry.path();
        if (name.extension() != wide(kRecoveryInfoExtension) && name.extension() != wide(kRecoveryCopyExtension))
            continue;
        std::u16string stem = u16(name.stem().wstring());
        const auto owner = ownerOfStem(stem);
        if (!owner || ownerIsRunning(*owner)) continue;
        if (std::find(stems.begin(), stems.end(), stem) == stems.end()) stems.push_back(std::move(stem));
    }
    std::vector<Candidate> found;
    for (const std::u16string& stem : stems) {
        const fs::path info = withStem(folder, stem, kRecoveryInfoExtension);
        const fs::path copy = withStem(folder, stem, kRecoveryCopyExtension);
        Candidate candidate{stem, {}};
        std::vector<std::uint8_t> bytes;
        if (!readSmallFile(info, bytes) || !decodeRecoveryInfo(bytes, candidate.info) ||
            GetFileAttributesW(copy.c_str()) == INVALID_FILE_ATTRIBUTES) {
            const fs::path named = GetFileAttributesW(info.c_str()) != INVALID_FILE_ATTRIBUTES ? info : copy;
            showErrorMessage(pathForMessage(named) + kDamagedCopyText);
            keepAside(folder, stem);
            continue;
        }
        found.push_back(std::move(candidate));
    }
    return found;
}

bool samePath(const std::wstring& a, const std::wstring& b) {
    return !a.empty() && CompareStringOrdinal(a.c_str(), int(a.size()), b.c_str(), int(b.size()), TRUE) == CSTR_EQUAL;
}

std::wstring localTimeText(std::uint64_t ticks) {
    const FILETIME utc{DWORD(ticks), DWORD(ticks >> 32)};
    SYSTEMTIME universal{}, local{};
    if (!FileTimeToSystemTime(&utc, &universal) || !SystemTimeToTzSpecificLocalTime(nullptr, &universal, &local))
        return {};
    wchar_t text[32];
    std::swprintf(text, 32, L"%04u/%02u/%02u %02u:%02u:%02u", local.wYear, local.wMonth, local.wDay, local.wHour,
                  local.wMinute, local.wSecond);
    return text;
}

std::wstring recoveryQuestion(const RecoveryInfo& info) {
    const std::wstring path = info.documentPath.empty() ? kUntitledName : wide(info.documentPath);
    return path + L"\n最終変更: " + localTimeText(info.changedAt) + L"\n\n" + kRecoveryQuestionTail;
}

// The copy becomes this editor's own, so no other editor offers it while
// this one runs, and the next write replaces it.
bool claimCopy(const fs::path& folder, std::u16string_view stem) {
    bool claimed = true;
    for (std::u16string_view extension : {kRecoveryCopyExtension, kRecoveryInfoExtension})
        claimed = claimed && MoveFileExW(withStem(folder, stem, extension).c_str(), ownCopyPath(extension).c_str(),
                                         MOVEFILE_REPLACE_EXISTING) != 0;
    return claimed;
}

// documentPath empty: a new instance that asks about the copies left.
void startInstance(const std::wstring& documentPath) {
    const std::wstring exe = programPath();
    if (exe.empty() || !startProcess(exe, secondInstanceCommandLine(exe, documentPath)))
        showErrorMessage(utf8FromWide(kStartFailedText));
}

}  // namespace

bool writeRecoveryCopy(App& app) {
    const fs::path folder = recoveryFolder();
    if (folder.empty()) return false;
    std::error_code error;
    fs::create_directories(folder, error);
    const std::optional<std::string> memo = memoTextFromEdit(app);
    if (!writeTagFileCopy(app.document, memo ? std::optional<std::string_view>(*memo) : std::nullopt,
                          ownCopyPath(kRecoveryCopyExtension)))
        return false;
    const RecoveryOwner owner = thisEditor();
    std::error_code sizeError;
    const std::uintmax_t size = fs::file_size(ownCopyPath(kRecoveryCopyExtension), sizeError);
    RecoveryInfo info{owner.processId, owner.processStart, fileTimeNow(), u16(app.file.path), sizeError ? 0 : size,
                      capturePaneDraft(app)};
    // Marked written before the side file, so a failed one is removed too.
    app.recovery.written = true;
    return writeBytes(ownCopyPath(kRecoveryInfoExtension), encodeRecoveryInfo(info));
}

void onRecoveryTimer(App& app) {
    KillTimer(app.windows.main, kRecoveryTimerId);
    app.recovery.timerArmed = false;
    // Mid-command the tables may be half way: the next second will do.
    if (app.history.openSteps > 0 || app.selection.pasting) {
        scheduleRecoveryCopy(app);
        return;
    }
    if (!documentHoldsChanges(app)) {
        dropRecoveryCopy(app);
        return;
    }
    // A copy that cannot be written now (a full disk) is tried again at the
    // next change; saying so every second would only be in the way.
    writeRecoveryCopy(app);
}

RecoveredDocument offerRecoveryCopies(App& app, const std::wstring& commandLinePath) {
    RecoveredDocument recovered;
    const fs::path folder = recoveryFolder();
    std::error_code error;
    if (folder.empty() || !fs::is_directory(folder, error)) return recovered;
    tidyRecoveryFolder(folder);
    std::vector<Candidate> copies = orphanedCopies(folder);
    // The file the user asked for first, then the newest.
    std::stable_sort(copies.begin(), copies.end(), [&](const Candidate& a, const Candidate& b) {
        const bool aFirst = samePath(wide(a.info.documentPath), commandLinePath);
        const bool bFirst = samePath(wide(b.info.documentPath), commandLinePath);
        if (aFirst != bFirst) return aFirst;
        return a.info.changedAt > b.info.changedAt;
    });
    for (std::size_t k = 0; k < copies.size(); ++k) {
        const Candidate& copy = copies[k];
        if (recovered.taken) {
            startInstance({});
            break;
        }
        const int answer = showMessageBox(app.windows.main, recoveryQuestion(copy.info), kEditorCaption,
                                          MB_YESNO | MB_ICONQUESTION);
        // No, Escape and the close box all keep the copy aside.
        if (answer != IDYES) {
            keepAside(folder, copy.stem);
            continue;
        }
        if (!loadTagFile(app.document, withStem(folder, copy.stem, kRecoveryCopyExtension))) {
            // The loader has named the copy and said what is wrong with it.
            keepAside(folder, copy.stem);
            continue;
        }
        std::error_code sizeError;
        const std::uintmax_t size = fs::file_size(withStem(folder, copy.stem, kRecoveryCopyExtension), sizeError);
        claimCopy(folder, copy.stem);
        app.recovery.written = true;
        const std::wstring path = wide(copy.info.documentPath);
        app.file.path = fitsDocumentPath(path) ? path : std::wstring();
        recovered.taken = true;
        recovered.info = copy.info;
        // A pane edit of another state of the document is not applied to this one.
        if (sizeError || size != copy.info.copySize) recovered.info.draft.reset();
    }
    // One window, one document: the file asked for opens beside the one
    // recovered here, unless it is the same.
    if (recovered.taken && !commandLinePath.empty() && !samePath(app.file.path, commandLinePath))
        startInstance(commandLinePath);
    return recovered;
}

void finishRecovery(App& app, const RecoveredDocument& recovered) {
    if (!recovered.taken) return;
    markNeverSaved(app);
    if (const auto& draft = recovered.info.draft) {
        if (HTREEITEM item = itemForRecord(app, draft->selection)) {
            SendMessageW(app.windows.tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
            SendMessageW(app.windows.tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item));
            restorePaneDraft(app, *draft);
            // Applied as the user would have: a title that does not compile
            // says so and stays in the pane as typed.
            if (applyPaneEdits(app, false)) refillPane(app);
        }
    }
    writeRecoveryCopy(app);
}

}  // namespace lumaset
