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
constexpr char kUnreadableCopyText[] = "を読み込めませんでした。そのまま別の名前で残しました。";
constexpr wchar_t kNoSideFileNote[] = L"このコピーの記録（.info）がないか読めないため、元のファイル名は分かりません。";
constexpr wchar_t kMismatchNote[] =
    L"このコピーは記録された大きさ・内容と合いません（書き込みの途中で終わった可能性があります）。";
constexpr wchar_t kOldSideFileNote[] =
    L"このコピーは前の版の記録で、ファイルがその後ほかで変更されたかどうか確かめられません。";
constexpr wchar_t kOriginalGoneNote[] = L"このファイルは今ディスク上にありません。";
constexpr wchar_t kOriginalChangedNote[] = L"このファイルはコピーの後にほかで変更されています。";
constexpr wchar_t kDraftNotAppliedNote[] = L"入力欄の未適用の編集は、このコピーとは別の時点のものなので戻しません。";
constexpr wchar_t kUntitledNote[] =
    L"「はい」を選ぶと新規の文書として開きます。元のファイルには書き込まず、保存するときに名前を聞きます。";
constexpr wchar_t kKeptNote[] = L"「いいえ」を選ぶと、コピーは名前を変えて次のフォルダーに30日間残し、その後削除します。\n";
// Far above the largest file the format can describe (about 4.3 MB).
constexpr std::size_t kCopyLimit = std::size_t(16) << 20;

std::wstring wide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }
std::u16string u16(std::wstring_view text) { return std::u16string(text.begin(), text.end()); }

bool writeBytes(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
    SafeFileWriter file;
    return file.create(path) && file.write(bytes.data(), bytes.size()) && file.commit();
}

// The default limit is far above any side file.
bool readSmallFile(const fs::path& path, std::vector<std::uint8_t>& bytes, std::size_t limit = 1 << 20) {
    FileSource file;
    if (file.open(path) != OpenResult::Opened) return false;
    bytes.resize(limit + 1);
    const std::int64_t got = file.read(bytes.data(), bytes.size());
    if (got < 0 || std::size_t(got) > limit) return false;
    bytes.resize(std::size_t(got));
    return true;
}

fs::path withStem(const fs::path& folder, std::u16string_view stem, std::u16string_view extension) {
    return folder / wide(std::u16string(stem) + std::u16string(extension));
}

bool fileExists(const fs::path& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Renamed, never deleted: a wrong No loses nothing.
void keepAside(const fs::path& folder, std::u16string_view stem) {
    const std::u16string kept = keptStem(stem, fileTimeNow());
    for (std::u16string_view extension : {kRecoveryInfoExtension, kRecoveryCopyExtension})
        MoveFileExW(withStem(folder, stem, extension).c_str(), withStem(folder, kept, extension).c_str(),
                    MOVEFILE_WRITE_THROUGH);
}

// Copies put aside more than 30 days ago go, and so do the temporary files
// of writes that an editor's end cut short. A copy whose name says it was
// kept in the future (a clock set wrong) starts its 30 days now.
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
        const std::u16string stem = u16(name.stem().wstring());
        const auto kept = keptTimeOfStem(stem);
        if (!kept) continue;
        if (*kept > now) {
            const std::u16string base = stem.substr(0, stem.rfind(kKeptMark));
            MoveFileExW(name.c_str(), withStem(folder, keptStem(base, now), u16(name.extension().wstring())).c_str(),
                        MOVEFILE_WRITE_THROUGH);
        } else if (now - *kept > kKeptCopyDays * kTicksPerDay) {
            DeleteFileW(name.c_str());
        }
    }
}

struct Candidate {
    std::u16string stem;
    bool hasSideFile = false;
    RecoveryInfo info;  // without a side file: the copy's own time only
};

// Copies of editors that no longer run. A copy without a readable side file
// is offered all the same, as an untitled document; a side file without its
// copy is what a delete cut short after a save and goes without a word.
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
        if (!fileExists(copy)) {
            DeleteFileW(info.c_str());
            continue;
        }
        Candidate candidate{stem, false, {}};
        std::vector<std::uint8_t> bytes;
        candidate.hasSideFile = readSmallFile(info, bytes) && decodeRecoveryInfo(bytes, candidate.info);
        if (!candidate.hasSideFile) {
            candidate.info = {};
            if (const auto stamp = fileStampOf(copy)) candidate.info.changedAt = stamp->writeTime;
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

// What the copy can be trusted for, checked before the question so that
// the question says it.
struct CopyCheck {
    std::vector<std::wstring> notes;
    bool untitled = false;      // never under the original's path
    bool draftApplies = false;  // the pane edit belongs to these very bytes
};

std::wstring cutShortNote(const TagFileExtent& extent, std::size_t size) {
    if (size > extent.promisedSize)
        return L"このコピーには余分なデータが付いています（" + std::to_wstring(extent.promisedSize) + L" バイトのはずが " +
               std::to_wstring(size) + L" バイト）。";
    std::wstring note = L"このコピーは途中で切れています（" + std::to_wstring(extent.promisedSize) + L" バイトのうち " +
                        std::to_wstring(size) + L" バイト）。";
    if (extent.wholeRecords < extent.syntaxCount)
        return note + L"レコード " + std::to_wstring(extent.syntaxCount) + L" 個のうち " +
               std::to_wstring(extent.wholeRecords) + L" 個までが残り、その先の構文と、索引・発言形式・メモは失われています。";
    return note + L"構文はそろっていますが、索引・発言形式・メモの一部が失われています。";
}

CopyCheck checkCopy(const Candidate& copy, std::span<const std::uint8_t> bytes, const TagFileExtent& extent) {
    CopyCheck check;
    const RecoveryInfo& info = copy.info;
    const bool whole = extent.promisedSize == bytes.size();
    const bool matches = copy.hasSideFile && info.copySize == bytes.size() &&
                         (!info.copyChecksum || *info.copyChecksum == recoveryChecksum(bytes));
    if (!copy.hasSideFile) check.notes.push_back(kNoSideFileNote);
    if (!whole) check.notes.push_back(cutShortNote(extent, bytes.size()));
    else if (copy.hasSideFile && !matches) check.notes.push_back(kMismatchNote);
    check.untitled = !copy.hasSideFile || !whole || !matches;
    if (copy.hasSideFile && !info.documentPath.empty()) {
        const std::wstring path = wide(info.documentPath);
        const std::optional<FileStamp> now = fileStampOf(path);
        if (!info.original) check.notes.push_back(kOldSideFileNote);
        else if (!now) check.notes.push_back(kOriginalGoneNote);
        else if (*now != *info.original) check.notes.push_back(kOriginalChangedNote);
        if (!info.original || !now || *now != *info.original || !fitsDocumentPath(path)) check.untitled = true;
    }
    check.draftApplies = info.draft && whole && matches;
    if (info.draft && !check.draftApplies) check.notes.push_back(kDraftNotAppliedNote);
    return check;
}

std::wstring recoveryQuestion(const Candidate& copy, const CopyCheck& check, const fs::path& folder) {
    const std::wstring path = copy.info.documentPath.empty() ? kUntitledName : wide(copy.info.documentPath);
    std::wstring text = path + L"\n最終変更: " + localTimeText(copy.info.changedAt) + L"\n\n";
    for (const std::wstring& note : check.notes) text += note + L"\n";
    if (!check.notes.empty()) text += L"\n";
    text += kRecoveryQuestionTail;
    if (check.untitled) text += std::wstring(L"\n") + kUntitledNote;
    return text + L"\n\n" + kKeptNote + folder.wstring();
}

// The copy becomes this editor's own before it is asked about, so that of
// two editors started at once only the one whose rename went through asks,
// and no other editor offers it while this one runs. The copy decides: a
// side file follows it, and is written again from what was read when
// another editor took it for one left alone in between.
bool claimCopy(const fs::path& folder, const Candidate& copy) {
    const fs::path ownInfo = ownCopyPath(kRecoveryInfoExtension);
    if (!MoveFileExW(withStem(folder, copy.stem, kRecoveryCopyExtension).c_str(),
                     ownCopyPath(kRecoveryCopyExtension).c_str(), MOVEFILE_WRITE_THROUGH))
        return false;
    const fs::path info = withStem(folder, copy.stem, kRecoveryInfoExtension);
    const bool moved =
        MoveFileExW(info.c_str(), ownInfo.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    if (!moved && copy.hasSideFile) writeBytes(ownInfo, encodeRecoveryInfo(copy.info));
    else if (!moved) DeleteFileW(ownInfo.c_str());
    return true;
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
    std::vector<std::uint8_t> written;
    if (!writeTagFileCopy(app.document, memo ? std::optional<std::string_view>(*memo) : std::nullopt,
                          ownCopyPath(kRecoveryCopyExtension), &written))
        return false;
    const RecoveryOwner owner = thisEditor();
    RecoveryInfo info;
    info.processId = owner.processId;
    info.processStart = owner.processStart;
    info.changedAt = fileTimeNow();
    info.documentPath = u16(app.file.path);
    info.copySize = written.size();
    info.copyChecksum = recoveryChecksum(written);
    if (!app.file.path.empty()) info.original = app.file.onDisk;
    info.draft = capturePaneDraft(app);
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
    const std::u16string own = recoveryStem(thisEditor());
    for (std::size_t k = 0; k < copies.size(); ++k) {
        const Candidate& copy = copies[k];
        if (recovered.taken) {
            startInstance({});
            break;
        }
        // Another editor started at the same time has it: that one asks.
        if (!claimCopy(folder, copy)) continue;
        const fs::path ownCopy = ownCopyPath(kRecoveryCopyExtension);
        std::vector<std::uint8_t> bytes;
        if (!readSmallFile(ownCopy, bytes, kCopyLimit)) {
            showErrorMessage(pathForMessage(ownCopy) + kUnreadableCopyText);
            keepAside(folder, own);
            continue;
        }
        const std::optional<TagFileExtent> extent = currentTagFileExtent(bytes);
        if (!extent) {
            showErrorMessage(pathForMessage(ownCopy) + kDamagedCopyText);
            keepAside(folder, own);
            continue;
        }
        const CopyCheck check = checkCopy(copy, bytes, *extent);
        // No owner: the main window is not shown yet, and the question must
        // not open behind other programs' windows.
        const int answer = showMessageBox(nullptr, recoveryQuestion(copy, check, folder), kEditorCaption,
                                          MB_YESNO | MB_ICONQUESTION | MB_SETFOREGROUND);
        // No, Escape and the close box all keep the copy aside.
        if (answer != IDYES) {
            keepAside(folder, own);
            continue;
        }
        // The bytes checked are the bytes loaded.
        if (!loadTagFileFromBytes(app.document, bytes, pathForMessage(ownCopy))) {
            // The loader has named the copy and said what is wrong with it.
            keepAside(folder, own);
            continue;
        }
        app.recovery.written = true;
        app.file.path = check.untitled ? std::wstring() : wide(copy.info.documentPath);
        app.file.onDisk = check.untitled ? std::nullopt : copy.info.original;
        recovered.taken = true;
        recovered.info = copy.info;
        if (!check.draftApplies) recovered.info.draft.reset();
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
