// The edit protocol as a whole: a pending edit in the pane meets every
// command that runs the apply step, under every answer.
#include "gui/edit_fixture.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <fstream>
#include <iterator>

#include "commands/structure_edits.h"
#include "document/tag_file.h"
#include "pattern/derived_fields.h"
#include "views/document_history.h"
#include "resources/resource_ids.h"
#include "views/pane_steps.h"
#include "views/recovery.h"

namespace lumaset::testing {
namespace {

class EditProtocolTest : public EditTest {
protected:
    HWND field(int id) { return GetDlgItem(a().windows.propertyPane, id); }
    // The user's edit: the selected syntax renamed "E" in the pane.
    void typeName() {
        SetWindowTextW(field(IDC_NAME), L"E");
        pumpMessages();
    }
    int questions() {
        int n = 0;
        for (const MessageBoxCall& box : ui().messageBoxes) n += (box.type & MB_YESNOCANCEL) == MB_YESNOCANCEL;
        return n;
    }
    int find(const char* name) {
        for (int p = kFirstUserRecord; p < a().document.syntaxCount(); ++p)
            if (fieldText(a().document.syntaxAt(p)->name, kNameSize) == name) return p;
        return -1;
    }
    int findLast(const char* name) {
        for (int p = a().document.syntaxCount() - 1; p >= kFirstUserRecord; --p)
            if (fieldText(a().document.syntaxAt(p)->name, kNameSize) == name) return p;
        return -1;
    }
    // The editor's selection is what the tree highlights.
    bool highlightIsSelection() {
        const int s = a().selection.selectionIndex;
        return caret() == (s == 0 ? a().tree.rootItem : s < 0 ? nullptr : itemForRecord(a(), s));
    }
    std::vector<std::uint8_t> fileBytes(const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
};

// A record as the user sees it: everything but where the tree puts it.
SyntaxRecord contents(SyntaxRecord record) {
    record.depth = 0;
    setTreeItemSlot(record, 0);
    return record;
}

TEST_F(EditProtocolTest, EveryCommandAsksOnceAndEachAnswerMeansWhatItSays) {
    ASSERT_TRUE(start());
    const std::filesystem::path file = tempPath(L"saved.tag");
    enum class Cmd {
        Select, Collapse, New, NewChild, RefusedChild, Up, Down, Paste, PasteChild, Drop, FindNext, Indexes,
        Undo, Redo, Close
    };
    struct Case {
        Cmd cmd;
        const char* name;
        std::vector<std::string> shape;  // X: the edited syntax
        int selection;                    // after Yes or No
    };
    const std::vector<Case> cases = {
        {Cmd::Select, "select", {"s1:1", "s2:2", "X:1", "s4:1"}, 3},
        // A click on the [-] of an ancestor moves the highlight to it.
        {Cmd::Collapse, "collapse of an ancestor", {"s1:1", "s2:2", "X:1", "s4:1"}, 2},
        {Cmd::New, "new", {"s1:1", "s2:2", "X:1", "(新規):1", "s4:1"}, 6},
        {Cmd::NewChild, "new child", {"s1:1", "s2:2", "X:1", "(新規):2", "s4:1"}, 6},
        // Refused for the stored exit pattern before anything is asked.
        {Cmd::RefusedChild, "new child refused", {}, 5},
        {Cmd::Up, "up", {"X:1", "s1:1", "s2:2", "s4:1"}, 3},
        {Cmd::Down, "down", {"s1:1", "s2:2", "s4:1", "X:1"}, 6},
        {Cmd::Paste, "paste", {"s1:1", "s2:2", "X:1", "s4:1", "s4:1"}, 6},
        {Cmd::PasteChild, "paste child", {"s1:1", "s2:2", "X:1", "s4:2", "s4:1"}, 6},
        {Cmd::Drop, "drop", {"s1:1", "s2:2", "X:2", "s4:1"}, 5},
        {Cmd::FindNext, "find next", {"s1:1", "s2:2", "X:1", "s4:1"}, 6},
        {Cmd::Indexes, "index editor", {"s1:1", "s2:2", "X:1", "s4:1"}, 5},
        // Yes keeps the edit as a step and undoes nothing more; No drops it
        // and undoes the delete before (s4 comes back).
        {Cmd::Undo, "undo", {"s1:1", "s2:2", "X:1", "s4:1"}, -2},
        // The delete of s4 was undone: Yes applies (the redo list goes, as
        // the question says), No drops the edit and redoes the delete.
        {Cmd::Redo, "redo", {"s1:1", "s2:2", "X:1"}, -2},
        {Cmd::Close, "close", {}, -2},
    };
    for (const Case& c : cases) {
        for (int answer : {IDYES, IDNO, IDCANCEL}) {
            SCOPED_TRACE(std::string(c.name) + (answer == IDYES ? " / Yes" : answer == IDNO ? " / No" : " / Cancel"));
            std::filesystem::remove(file);
            dropPaneDraft(a());  // what a Cancel above left pending
            load({1, 2, 1});
            appendSyntax(a().document, "s4", 1);
            buildTree(a());
            a().file.path = file;
            startHistory(a());
            select(6);
            run(IDM_EDIT_COPY_ONE);  // s4 on the clipboard
            select(5);
            addIndex({5, 6});
            if (c.cmd == Cmd::Undo || c.cmd == Cmd::Redo) {  // a step to undo: s4 goes
                select(6);
                run(IDM_EDIT_DELETE);
                if (c.cmd == Cmd::Redo) run(IDM_EDIT_UNDO);
                select(5);
            }
            if (c.cmd == Cmd::RefusedChild) {
                std::strcpy(a().document.syntaxAt(5)->exitPattern, "x");
                refillPane(a());
            }
            a().find.text = L"s4";
            const SyntaxRecord stored = contents(*a().document.syntaxAt(5));
            const auto tableBefore = tableBytes();
            const auto savedBefore = fileBytes(file);
            const int undoBefore = a().history.log.undoSteps();
            const int redoBefore = a().history.log.redoSteps();
            KillTimer(a().windows.main, kRecoveryTimerId);
            a().recovery.timerArmed = false;
            typeName();
            ASSERT_TRUE(paneHasDraft(a()));
            EXPECT_TRUE(a().recovery.timerArmed) << "a pending edit is kept in the recovery copy too";
            ui().messageBoxes.clear();
            ui().messageBoxAnswers = {answer};
            ui().dialogAnswers = {IDCANCEL};

            switch (c.cmd) {
            case Cmd::Select:
                SendMessageW(a().windows.tree, TVM_SELECTITEM, TVGN_CARET,
                             reinterpret_cast<LPARAM>(itemForRecord(a(), 3)));
                pumpMessages();
                break;
            case Cmd::Collapse: EXPECT_TRUE(clickButton(itemForRecord(a(), kRootRecord))); break;
            case Cmd::New: run(IDM_EDIT_NEW_SYNTAX); break;
            case Cmd::NewChild:
            case Cmd::RefusedChild: run(IDM_EDIT_NEW_CHILD); break;
            case Cmd::Up: run(IDM_ORDER_UP); break;
            case Cmd::Down: run(IDM_ORDER_DOWN); break;
            case Cmd::Paste: run(IDM_EDIT_PASTE); break;
            case Cmd::PasteChild: run(IDM_EDIT_PASTE_CHILD); break;
            case Cmd::Drop: dropSyntax(a(), 5, 3, false); pumpMessages(); break;
            case Cmd::FindNext: run(IDM_EDIT_FIND_NEXT); break;
            case Cmd::Indexes: run(IDM_INDEX_EDIT); break;
            case Cmd::Undo: run(IDM_EDIT_UNDO); break;
            case Cmd::Redo: run(IDM_EDIT_REDO); break;
            case Cmd::Close: run(IDM_FILE_CLOSE); break;
            }
            const bool refused = c.cmd == Cmd::RefusedChild;
            EXPECT_EQ(questions(), refused ? 0 : 1);
            if (refused) EXPECT_EQ(ui().messageTexts().size(), 1u);
            EXPECT_EQ(treeMismatch(a()), "");
            EXPECT_TRUE(highlightIsSelection());

            if (answer == IDCANCEL || refused) {
                // Nothing happened: tables, selection, pane, history and file.
                EXPECT_EQ(tableBytes(), tableBefore);
                EXPECT_EQ(a().selection.selectionIndex, 5);
                EXPECT_EQ(windowText(field(IDC_NAME)), L"E");
                EXPECT_TRUE(paneHasDraft(a()));
                EXPECT_EQ(a().history.log.undoSteps(), undoBefore);
                EXPECT_EQ(a().history.log.redoSteps(), redoBefore);
                EXPECT_EQ(fileBytes(file), savedBefore);
                EXPECT_TRUE(expanded(kRootRecord));
                continue;
            }
            EXPECT_FALSE(paneHasDraft(a()));
            if (c.cmd == Cmd::Close) {
                // Yes saved the edit before closing; No closed without it.
                EXPECT_EQ(a().document.syntaxCount(), kFirstUserRecord);
                if (answer == IDNO) {
                    EXPECT_TRUE(fileBytes(file).empty());
                    continue;
                }
                Document saved;
                ASSERT_TRUE(loadTagFile(saved, file));
                EXPECT_EQ(fieldText(saved.syntaxAt(5)->name, kNameSize), "E");
                continue;
            }
            if (c.cmd == Cmd::Collapse) EXPECT_FALSE(expanded(kRootRecord));
            const bool redone = c.cmd == Cmd::Redo && answer == IDNO;
            if ((c.cmd == Cmd::Undo || c.cmd == Cmd::Redo) && answer == IDYES) {
                // The edit is a step of its own, and nothing was undone or redone.
                std::vector<std::string> kept{"s1:1", "s2:2", "E:1"};
                if (c.cmd == Cmd::Redo) kept.push_back("s4:1");  // the delete stays undone
                EXPECT_EQ(shape(), kept);
                EXPECT_EQ(a().history.log.undoSteps(), undoBefore + 1);
                EXPECT_EQ(a().history.log.redoSteps(), 0);
                EXPECT_EQ(a().selection.selectionIndex, 5);
                if (c.cmd == Cmd::Redo)
                    EXPECT_NE(ui().messageBoxes[0].text.find(L"やり直せる操作はなくなります"), std::wstring::npos);
                continue;
            }
            if (c.cmd == Cmd::Undo) EXPECT_EQ(a().history.log.redoSteps(), redoBefore + 1);
            if (redone) EXPECT_EQ(a().history.log.redoSteps(), redoBefore - 1);
            std::vector<std::string> want = c.shape;
            for (std::string& entry : want)
                if (entry[0] == 'X') entry = (answer == IDYES ? "E" : "s3") + entry.substr(1);
            EXPECT_EQ(shape(), want);
            if (c.selection >= 0) EXPECT_EQ(a().selection.selectionIndex, c.selection);
            const int edited = find(answer == IDYES ? "E" : "s3");
            ASSERT_GE(edited, kFirstUserRecord);
            SyntaxRecord expected = stored;
            if (answer == IDYES) {
                // The typed name leaves no tail of the old one behind its NUL.
                std::memset(expected.name, 0, kNameSize);
                expected.name[0] = 'E';
            }
            SyntaxRecord got = contents(*a().document.syntaxAt(edited));
            // What the apply step derives is not the user's edit.
            got.colourLines = expected.colourLines;
            got.patternLines = expected.patternLines;
            got.titleMaxSecond = expected.titleMaxSecond;
            std::memcpy(got.patternNoSep, expected.patternNoSep, kPatternNoSepSize);
            EXPECT_EQ(std::memcmp(&got, &expected, sizeof got), 0);
            // A moved syntax stays in its index, the others keep theirs.
            std::vector<int> indexed{edited};
            if (!redone) indexed.push_back(findLast("s4"));
            std::sort(indexed.begin(), indexed.end());
            EXPECT_EQ(members(0), indexed);
        }
    }
}

TEST_F(EditProtocolTest, PaneEditsAreChangesThatSaveKeepsAndRefusalsStopIt) {
    ASSERT_TRUE(start());
    const std::filesystem::path file = tempPath(L"kept.tag");
    load({1, 1});
    a().file.path = file;
    select(3);
    // 透明にする sets the title text itself: still the user's edit.
    SetWindowTextW(field(IDC_TITLE), L"\\-");
    pumpMessages();
    EXPECT_NE(windowText(a().windows.main).find(L" (更新)"), std::wstring::npos);
    EXPECT_EQ(run(IDM_FILE_SAVE), 1);
    EXPECT_TRUE(ui().messageBoxes.empty());  // no question: save keeps what is shown
    EXPECT_EQ(windowText(a().windows.main).find(L" (更新)"), std::wstring::npos);
    Document saved;
    ASSERT_TRUE(loadTagFile(saved, file));
    EXPECT_EQ(std::memcmp(saved.syntaxAt(3)->titleCode, a().document.syntaxAt(3)->titleCode, kTitleCodeSize), 0);
    EXPECT_NE(saved.syntaxAt(3)->titleCode[0], 0);

    // A title that does not compile: the message, the caret on the field,
    // nothing written.
    const auto before = fileBytes(file);
    SetWindowTextW(field(IDC_TITLE), L"\\(1,128)");
    pumpMessages();
    EXPECT_EQ(run(IDM_FILE_SAVE), 0);
    ASSERT_EQ(ui().messageTexts().size(), 1u);
    EXPECT_EQ(ui().messageTexts()[0], "タイトルの構文の変換に失敗しました。");
    EXPECT_EQ(GetFocus(), field(IDC_TITLE));
    EXPECT_EQ(fileBytes(file), before);
    EXPECT_TRUE(paneHasDraft(a()));

    // A check box toggled twice on a syntax with children never arms the
    // interrupting flag.
    load({1, 2});
    select(3);
    for (int k = 0; k < 2; ++k) SendMessageW(field(IDC_JUMP_TO_CHILD), BM_CLICK, 0, 0);
    pumpMessages();
    EXPECT_FALSE(IsWindowEnabled(field(IDC_INTERRUPTING)));
    EXPECT_FALSE(IsWindowEnabled(field(IDC_EXIT_PATTERN)));
}

int environmentNumber(const char* name, int fallback) {
    const char* text = std::getenv(name);
    return text && *text ? std::atoi(text) : fallback;
}

// What the apply step derives, left out where the history keeps exactly
// what the steps made and the table also holds what leaving a record kept.
std::vector<std::uint8_t> withoutDerived(const Document& doc) {
    std::vector<std::uint8_t> bytes;
    for (int p = 0; p < doc.syntaxCount(); ++p) {
        SyntaxRecord r = *doc.syntaxAt(p);
        r.colourLines = r.patternLines = r.titleMaxSecond = 0;
        std::memset(r.patternNoSep, 0, kPatternNoSepSize);
        setTreeItemSlot(r, 0);
        const auto* b = reinterpret_cast<const std::uint8_t*>(&r);
        bytes.insert(bytes.end(), b, b + kSyntaxRecordSize);
    }
    for (int i = 0; i < doc.indexCount(); ++i) {
        const auto* b = reinterpret_cast<const std::uint8_t*>(doc.indexAt(i));
        bytes.insert(bytes.end(), b, b + sizeof(IndexEntry));
    }
    return bytes;
}

// Where two table images part: the record (or index) and the byte in it.
std::string firstDifference(const std::vector<std::uint8_t>& got, const std::vector<std::uint8_t>& want) {
    if (got == want) return "";
    std::size_t at = 0;
    while (at < got.size() && at < want.size() && got[at] == want[at]) ++at;
    return "sizes " + std::to_string(got.size()) + "/" + std::to_string(want.size()) + ", record " +
           std::to_string(at / kSyntaxRecordSize) + " byte " + std::to_string(at % kSyntaxRecordSize);
}

// What must hold after every step; empty when it does.
std::string brokenInvariant(const App& app) {
    if (std::string tree = treeMismatch(app); !tree.empty()) return tree;
    const Document& doc = app.document;
    if (doc.syntaxAt(kRootRecord)->depth != 0) return "root depth";
    for (int p = kFirstUserRecord, previous = 0; p < doc.syntaxCount(); ++p) {
        const int depth = doc.syntaxAt(p)->depth;
        if (depth < 1 || depth > kMaxDepth || depth > previous + 1) return "depth at " + std::to_string(p);
        previous = depth;
    }
    for (int i = 0; i < doc.indexCount(); ++i) {
        const IndexEntry& e = *doc.indexAt(i);
        if (e.memberCount > kIndexMemberSlots) return "member count";
        for (int m = 0; m < e.memberCount; ++m) {
            if (e.members[m] < kFirstUserRecord || e.members[m] >= doc.syntaxCount()) return "member range";
            if (m > 0 && e.members[m] <= e.members[m - 1]) return "members not ascending";
        }
    }
    return "";
}

// The walk in parts of their own seeds, so that test shards share it.
constexpr int kWalkParts = 6;
class RandomWalkTest : public EditProtocolTest, public ::testing::WithParamInterface<int> {};

TEST_P(RandomWalkTest, KeepsTreeTableAndIndexesWhole) {
    ASSERT_TRUE(start());
    const int seed = environmentNumber("LUMASET_WALK_SEED", 20261208) + GetParam();
    const int steps = environmentNumber("LUMASET_WALK_STEPS", 1500) / kWalkParts;
    std::mt19937 rng(static_cast<unsigned>(seed));
    const auto pick = [&rng](int n) { return n <= 0 ? 0 : int(rng() % unsigned(n)); };
    const std::filesystem::path file = tempPath(L"walk.tag");
    int done = 0;
    for (int round = 0; done < steps; ++round) {
        SCOPED_TRACE("seed " + std::to_string(seed) + ", document " + std::to_string(round));
        // A random document, its depths now and then broken as a damaged
        // file's are, opened the way the user opens one.
        Document source;
        for (int k = 0, n = 1 + pick(24), depth = 1; k < n; ++k) {
            depth = pick(8) == 0 ? pick(10) : std::clamp(depth + pick(3) - 1, 1, kMaxDepth);
            appendSyntax(source, ("r" + std::to_string(k)).c_str(), depth);
            SyntaxRecord& r = *source.syntaxAt(source.syntaxCount() - 1);
            if (pick(4) == 0) std::strcpy(r.pattern, "a\\nb");
            if (pick(6) == 0) std::strcpy(r.exitPattern, "x");
            if (pick(6) == 0) r.interrupting = 1;
            deriveRecordFields(source, source.syntaxCount() - 1);
            r.colourLines = 1;
        }
        for (int i = 0, n = pick(3); i < n; ++i) {
            IndexEntry e{};
            std::strcpy(e.name, "i");
            for (int p = kFirstUserRecord; p < source.syntaxCount() && e.memberCount < kIndexMemberSlots; ++p)
                if (pick(3) == 0) e.members[e.memberCount++] = std::uint8_t(p);
            source.indexTable.insertAt(source.indexCount(), &e);
        }
        ASSERT_TRUE(saveTagFile(source, file));
        ui().messageBoxAnswers = {IDNO};
        run(IDM_FILE_CLOSE);
        ui().messageBoxAnswers.clear();
        ASSERT_EQ(openDocumentFile(file, L""), 1);
        pumpMessages();
        ASSERT_EQ(brokenInvariant(a()), "");
        const auto loaded = withoutDerived(a().document);

        for (int k = 0; k < 60 && done < steps; ++k, ++done) {
            const int count = a().document.syntaxCount();
            const int answer = std::array{IDYES, IDNO, IDCANCEL}[std::size_t(pick(3))];
            ui().messageBoxes.clear();
            ui().messageBoxAnswers = {answer};
            ui().dialogAnswers = {IDCANCEL};
            const auto before = withoutDerived(a().document);
            const bool drafted = paneHasDraft(a());
            const int undoBefore = a().history.log.undoSteps(), redoBefore = a().history.log.redoSteps();
            const int action = pick(20);
            const int selected = a().selection.selectionIndex;
            HWND pane = a().windows.propertyPane;
            std::string what = std::to_string(action);
            switch (action) {
            case 0:
            case 1: {
                const int target = kRootRecord + pick(count - kRootRecord);
                SendMessageW(a().windows.tree, TVM_SELECTITEM, TVGN_CARET,
                             reinterpret_cast<LPARAM>(itemForRecord(a(), target)));
                break;
            }
            case 2:
            case 3:
                if (selected >= kFirstUserRecord) {
                    static constexpr int kFields[] = {IDC_NAME, IDC_PATTERN, IDC_TITLE, IDC_TITLE};
                    static constexpr const wchar_t* kTexts[] = {L"w", L"a\\nb\\nc", L"\\1", L"\\(1,128)"};
                    const int f = pick(4);
                    SetWindowTextW(GetDlgItem(pane, kFields[f]), kTexts[f]);
                }
                break;
            case 4:
                for (int id : {IDC_INTERRUPTING, IDC_JUMP_TO_CHILD})
                    if (selected >= kFirstUserRecord && IsWindowEnabled(GetDlgItem(pane, id)) && pick(2))
                        SendMessageW(GetDlgItem(pane, id), BM_CLICK, 0, 0);
                break;
            case 5:
                if (count > kFirstUserRecord) {  // as the tree's drop runs it: one step
                    beginStep(a());
                    dropSyntax(a(), kFirstUserRecord + pick(count - kFirstUserRecord),
                               kFirstUserRecord + pick(count - kFirstUserRecord), pick(2) != 0);
                    endStep(a());
                }
                break;
            case 18:
            case 19: {
                // The [-] or [+] of the selection's parent, or of any item
                // with children.
                int target = selected;
                if (action == 18 && selected > kRootRecord) {
                    while (target > kRootRecord && a().document.syntaxAt(target)->depth >= a().document.syntaxAt(selected)->depth) --target;
                } else {
                    target = kRootRecord + pick(count - kRootRecord);
                }
                if (a().document.hasChildren(target)) clickButton(itemForRecord(a(), target));
                what = "button of " + std::to_string(target);
                break;
            }
            default: {
                static constexpr int kCommands[] = {IDM_EDIT_NEW_SYNTAX, IDM_EDIT_NEW_CHILD, IDM_EDIT_DELETE,
                                                    IDM_ORDER_UP,        IDM_ORDER_DOWN,     IDM_EDIT_CUT,
                                                    IDM_EDIT_COPY_TREE,  IDM_EDIT_PASTE,     IDM_EDIT_PASTE_CHILD,
                                                    IDM_EDIT_UNDO,       IDM_EDIT_REDO,      IDM_EDIT_COPY_ONE};
                const int command = kCommands[std::size_t(action - 6)];
                what = "command " + std::to_string(command);
                runCommand(command);
            }
            }
            pumpMessages();
            SCOPED_TRACE("step " + std::to_string(done) + ": " + what);
            ASSERT_EQ(brokenInvariant(a()), "");
            ASSERT_LE(questions(), 1);
            ASSERT_TRUE(highlightIsSelection());
            if (questions() == 1 && answer == IDCANCEL) ASSERT_EQ(firstDifference(withoutDerived(a().document), before), "");
            // Undo and redo with an edit pending: Yes keeps the edit as the
            // newest step, No loses no step.
            const bool historyMove = action == 15 || action == 16;
            if (historyMove && drafted && questions() == 1 && !paneHasDraft(a())) {
                if (answer == IDYES) {
                    ASSERT_EQ(a().history.log.undoSteps(), undoBefore + 1);
                    ASSERT_EQ(a().history.log.redoSteps(), 0);
                } else if (answer == IDNO) {
                    ASSERT_EQ(a().history.log.undoSteps() + a().history.log.redoSteps(), undoBefore + redoBefore);
                }
            }
        }
        // Back to what was opened, and forward again to where the walk ended.
        ui().messageBoxAnswers = {IDNO};
        dropPaneDraft(a());
        const auto last = withoutDerived(a().document);
        const int stepsTaken = a().history.log.undoSteps();
        while (a().history.log.canUndo()) ASSERT_EQ(run(IDM_EDIT_UNDO), 1);
        EXPECT_EQ(firstDifference(withoutDerived(a().document), loaded), "");
        for (int k = 0; k < stepsTaken; ++k) ASSERT_EQ(run(IDM_EDIT_REDO), 1);
        EXPECT_EQ(firstDifference(withoutDerived(a().document), last), "");
        ASSERT_EQ(brokenInvariant(a()), "");
    }
    std::printf("random walk: %d steps, seed %d\n", done, seed);
}

INSTANTIATE_TEST_SUITE_P(EditProtocol, RandomWalkTest, ::testing::Range(0, kWalkParts));

}  // namespace
}  // namespace lumaset::testing
