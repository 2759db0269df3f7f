#include "editor/x86_text_buffer.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "tests/scratch_folder.h"

namespace tarvix {
namespace {

using namespace std::string_literals;
namespace fs = std::filesystem;

struct RecordingView : TextBufferView {
    void onTextChanged(TextBufferView* source, const TextChange& change) override {
        sources.push_back(source);
        changes.push_back(change);
    }
    void onEditOperation(EditAction action, std::string_view text) override {
        lastAction = action;
        lastText = text;
    }
    std::vector<TextBufferView*> sources;
    std::vector<TextChange> changes;
    EditAction lastAction = EditAction::Unknown;
    std::string lastText;
};

class TextBufferTest : public ::testing::Test {
protected:
    std::string file(const std::string& name) const { return (folder / name).string(); }
    // Through a real file, so that the buffer starts without history.
    void load(const std::string& bytes) {
        writeFile(file("source.asm"), bytes);
        ASSERT_TRUE(buffer.loadFile(file("source.asm")));
    }
    void type(TextPosition at, const std::string& text) {
        ASSERT_TRUE(buffer.insertTextAt(nullptr, at, text, EditAction::Typing));
    }
    std::vector<std::string> lines() const {
        std::vector<std::string> all;
        for (int i = 0; i < buffer.lineCount(); ++i) {
            all.emplace_back(buffer.line(i));
        }
        return all;
    }
    int temporaries() const {
        int count = 0;
        for (const fs::directory_entry& entry : fs::directory_iterator(folder.path())) {
            count += entry.path().filename().string().starts_with("CRE") ? 1 : 0;
        }
        return count;
    }
    static unsigned modeOf(const std::string& path) {
        return static_cast<unsigned>(fs::status(path).permissions());
    }

    ScratchFolder folder;
    CX86TextBuffer buffer;
};

TEST_F(TextBufferTest, LineEndsAreDetectedAndWrittenBackByteForByte) {
    struct Case {
        std::string bytes;
        int style;
        std::vector<std::string> lines;
        std::string saved = {};  // empty: the bytes as loaded
    };
    // Every line end breaks a line; the first one's style is written back.
    const Case cases[] = {
        {"mov al,1", kLineEndCrLf, {"mov al,1"}},
        {"", kLineEndCrLf, {""}},
        {"a\r\nb\r\n", kLineEndCrLf, {"a", "b", ""}},
        {"a\n\rb\n\r", kLineEndLfCr, {"a", "b", ""}},
        {"\n\ra\r\nb", kLineEndLfCr, {"", "a", "b"}, "\n\ra\n\rb"},
        {"a\nb\n", kLineEndLf, {"a", "b", ""}},
        {"a\rb\r\r", kLineEndCr, {"a", "b", "", ""}},
        {"mov ax,1\r\nmov bx,2\nhlt\r\n",
         kLineEndCrLf,
         {"mov ax,1", "mov bx,2", "hlt", ""},
         "mov ax,1\r\nmov bx,2\r\nhlt\r\n"},
        {"a\r\n\rb\n\n\rc", kLineEndCrLf, {"a", "", "b", "", "c"}, "a\r\n\r\nb\r\n\r\nc"},
        {"\0\xff\r\x80\nz\n\n"s,
         kLineEndCr,
         {"\0\xff"s, "\x80", "z", "", ""},
         "\0\xff\r\x80\rz\r\r"s},
        {std::string(40000, 'a') + "\nb", kLineEndLf, {std::string(40000, 'a'), "b"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes.substr(0, 16));
        load(c.bytes);
        EXPECT_EQ(buffer.lineEndStyle(), c.style);
        EXPECT_EQ(lines(), c.lines);
        EXPECT_TRUE(buffer.needsAssembly());
        ASSERT_TRUE(buffer.saveFile(file("copy.asm")));
        EXPECT_EQ(readFile(file("copy.asm")), c.saved.empty() ? c.bytes : c.saved);
        const int last = buffer.lineCount() - 1;
        ASSERT_TRUE(buffer.deleteRange(nullptr, {0, 0}, {last, buffer.lineLength(last)},
                                       EditAction::Delete));
        buffer.undoGroup();
        EXPECT_EQ(lines(), c.lines) << "an undo gives back every line end";
    }

    // A given style overrides detection on load and the buffer's style on save.
    writeFile(file("given.asm"), "a\r\nb");
    ASSERT_TRUE(buffer.loadFile(file("given.asm"), kLineEndLf));
    EXPECT_EQ(lines(), (std::vector<std::string>{"a", "b"}));
    ASSERT_TRUE(buffer.saveFile(file("given.asm")));
    EXPECT_EQ(readFile(file("given.asm")), "a\nb");
    ASSERT_TRUE(buffer.saveFile(file("given.asm"), kLineEndLfCr));
    EXPECT_EQ(readFile(file("given.asm")), "a\n\rb");
    EXPECT_FALSE(buffer.saveFile(file("given.asm"), 4));
}

TEST_F(TextBufferTest, RefusedLoadsLeaveTheBufferAsItWas) {
    const std::string big = file("big.asm");
    writeFile(big, "");
    fs::resize_file(big, 9 * 1024 * 1024);
    ASSERT_EQ(::mkfifo(file("pipe").c_str(), 0600), 0);
    std::vector<std::string> refused = {file("missing.asm"), folder.path().string(), big,
                                        file("pipe")};
    // Our own memory from address 0: a read error on an ordinary-looking file.
    if (::access("/proc/self/mem", R_OK) == 0) {
        refused.push_back("/proc/self/mem");
    }

    load("keep\r\nme");
    type({0, 0}, "x");
    buffer.setLineFlags(1, kErrorMarker);
    buffer.setNeedsAssembly(false);
    for (const std::string& path : refused) {
        SCOPED_TRACE(path);
        EXPECT_FALSE(buffer.loadFile(path));
        EXPECT_EQ(buffer.text(), "xkeep\r\nme");
        EXPECT_TRUE(buffer.isModified());
        EXPECT_TRUE(buffer.canUndo());
        EXPECT_FALSE(buffer.needsAssembly());
        EXPECT_EQ(buffer.lineFlags(1), kErrorMarker);
    }
    EXPECT_FALSE(buffer.loadFile(file("source.asm"), 4));

    fs::resize_file(big, kMaxSourceBytes);  // the bound itself loads
    ASSERT_TRUE(buffer.loadFile(big));
    EXPECT_EQ(buffer.lineLength(0), static_cast<int>(kMaxSourceBytes));
}

// A save goes through a link to its target and keeps the target's mode; a save that fails
// leaves the old file as it was, the buffer modified and no temporary behind.
TEST_F(TextBufferTest, SaveReplacesTheTargetWholeOrNotAtAll) {
    const std::string target = file("target.asm");
    fs::create_directory(folder / "sub");
    fs::create_symlink(target, folder / "link.asm");
    struct Case {
        const char* name;
        std::string path;
        unsigned mode;  // the target's, kept whatever happens
        bool cutShort;  // the write meets the file size limit
        bool saved;
    };
    const Case cases[] = {
        {"through a link", file("link.asm"), 0640, false, true},
        {"target is a folder", file("sub"), 0644, false, false},
        {"folder missing", file("nowhere/target.asm"), 0644, false, false},
        {"write cut short", target, 0644, true, false},
        {"target read-only", target, 0444, false, false},
    };
    rlimit original{};
    ::getrlimit(RLIMIT_FSIZE, &original);
    std::signal(SIGXFSZ, SIG_IGN);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeFile(target, "old");
        ::chmod(target.c_str(), c.mode);
        buffer.initEmpty();
        type({0, 0}, "new and longer");
        if (c.cutShort) {
            // Only the soft limit: a lowered hard limit could not be raised again.
            rlimit small = original;
            small.rlim_cur = 4;
            ::setrlimit(RLIMIT_FSIZE, &small);
        }
        EXPECT_EQ(buffer.saveFile(c.path), c.saved);
        ::setrlimit(RLIMIT_FSIZE, &original);
        EXPECT_EQ(buffer.isModified(), !c.saved);
        EXPECT_EQ(readFile(target), c.saved ? "new and longer" : "old");
        EXPECT_EQ(modeOf(target), c.mode);
        EXPECT_TRUE(fs::is_symlink(folder / "link.asm"));
        EXPECT_EQ(temporaries(), 0);
    }

    const mode_t savedMask = ::umask(027);
    ASSERT_TRUE(buffer.saveFile(file("fresh.asm")));
    ::umask(savedMask);
    EXPECT_EQ(modeOf(file("fresh.asm")), 0640u);

    // The last row's target has no write bit: it loads read-only even for root, for whom
    // access() allows everything.
    ASSERT_TRUE(buffer.loadFile(target));
    EXPECT_TRUE(buffer.isReadOnly());
}

TEST_F(TextBufferTest, BadPositionsAndReadOnlyAreRefusedWithoutChange) {
    load("abc\r\nde");
    const TextPosition bad[] = {{-1, 0}, {0, -1}, {0, 4}, {2, 0}, {1, 3}};
    for (const TextPosition at : bad) {
        EXPECT_FALSE(buffer.insertTextAt(nullptr, at, "x", EditAction::Typing));
        EXPECT_FALSE(buffer.deleteRange(nullptr, {0, 0}, at, EditAction::Delete));
    }
    EXPECT_FALSE(buffer.deleteRange(nullptr, {1, 1}, {0, 2}, EditAction::Delete));  // reversed
    type({0, 0}, "x");
    buffer.setReadOnly(true);
    EXPECT_FALSE(buffer.insertTextAt(nullptr, {0, 0}, "y", EditAction::Typing));
    EXPECT_FALSE(buffer.deleteRange(nullptr, {0, 0}, {0, 1}, EditAction::Delete));
    EXPECT_FALSE(buffer.undoGroup());
    EXPECT_EQ(buffer.text(), "xabc\r\nde");
    EXPECT_EQ(buffer.undoRecordCount(), 1u);

    buffer.clear();
    EXPECT_EQ(buffer.lineCount(), 0);
    EXPECT_FALSE(buffer.insertTextAt(nullptr, {0, 0}, "x", EditAction::Typing));
    EXPECT_FALSE(buffer.saveFile(file("cleared.asm")));
    EXPECT_FALSE(buffer.initEmpty(4));
}

// A breakpoint stays on the text it was set on, wherever edits move that text.
TEST_F(TextBufferTest, ABreakpointMovesWithItsLine) {
    struct Case {
        const char* what;
        bool insert;
        TextPosition start;
        TextPosition end;  // of a deletion
        const char* text;  // of an insertion
        int breakpointLine;
    };
    const Case cases[] = {
        {"line typed above", true, {2, 0}, {}, "nop\r\n", 3},
        {"two lines pasted above", true, {1, 0}, {}, "a\r\nb\r\n", 4},
        {"Enter at its end", true, {2, 5}, {}, "\r\n", 2},
        {"Enter inside it", true, {2, 2}, {}, "\r\n", 2},
        {"line above deleted", false, {1, 0}, {2, 0}, "", 1},
        {"joined to the line above", false, {1, 5}, {2, 0}, "", 1},
        {"line below deleted", false, {3, 0}, {4, 0}, "", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        load("l0\r\nl1   \r\nmark!\r\nl3\r\nl4");
        ASSERT_TRUE(buffer.setLineFlags(2, kBreakpointMarker));
        if (c.insert) {
            type(c.start, c.text);
        } else {
            ASSERT_TRUE(buffer.deleteRange(nullptr, c.start, c.end, EditAction::Delete));
        }
        const int found = buffer.findMarker(kBreakpointMarker);
        EXPECT_EQ(found, c.breakpointLine);
        if (found >= 0) {
            EXPECT_NE(buffer.line(found).find("ma"),
                      std::string_view::npos);  // its text starts there
        }
    }
}

// A run reads the breakpoints again when their revision moves: a breakpoint set or cleared,
// lines added or taken away; not for the other markers, nor for typing within a line.
TEST_F(TextBufferTest, TheBreakpointRevisionMovesWhenBreakpointLinesMayHaveChanged) {
    load("a\r\nb\r\nc");
    std::uint64_t last = buffer.breakpointRevision();
    const auto moved = [&] {
        const std::uint64_t before = last;
        last = buffer.breakpointRevision();
        return last != before;
    };
    buffer.setLineFlags(1, kExecutionMarker);
    EXPECT_FALSE(moved());
    buffer.setLineFlags(1, kExecutionMarker | kBreakpointMarker);
    EXPECT_TRUE(moved());
    type({0, 1}, "x");
    EXPECT_FALSE(moved());
    type({0, 0}, "x\r\n");
    EXPECT_TRUE(moved());
    buffer.deleteRange(nullptr, {0, 0}, {1, 0}, EditAction::Delete);
    EXPECT_TRUE(moved());
}

TEST_F(TextBufferTest, GroupsUndoWholeAndModifiedFollowsTheSavedPosition) {
    std::vector<bool> flips;
    buffer.setModifiedHandler([&](bool modified) { flips.push_back(modified); });
    RecordingView view;
    buffer.initEmpty();
    buffer.beginUndoGroup();
    type({0, 0}, "a");
    type({0, 1}, "b");
    buffer.endUndoGroup(&view);
    EXPECT_EQ(view.lastText, "b");
    EXPECT_EQ(view.lastAction, EditAction::Typing);
    EXPECT_EQ(buffer.undoGroup(), (TextPosition{0, 0}));
    EXPECT_EQ(buffer.text(), "");
    EXPECT_FALSE(buffer.canUndo());
    EXPECT_EQ(buffer.redoGroup(), (TextPosition{0, 2}));
    EXPECT_EQ(flips, (std::vector<bool>{true, false, true}));

    // Saved after "ab": undoing below it and redoing back crosses the saved position.
    ASSERT_TRUE(buffer.saveFile(file("ab.asm")));
    type({0, 2}, "c");
    buffer.undoGroup();
    EXPECT_FALSE(buffer.isModified());
    buffer.undoGroup();
    EXPECT_TRUE(buffer.isModified());
    buffer.redoGroup();
    EXPECT_FALSE(buffer.isModified());

    // New edits drop the redo records of the saved text: as many records as "ab" are not it.
    buffer.undoGroup();
    type({0, 0}, "x");
    type({0, 1}, "y");
    buffer.undoGroup();
    buffer.redoGroup();
    EXPECT_TRUE(buffer.isModified());

    // Merging joins the previous group; an edit outside a group is a group of its own; an
    // undo inside an open group ends it.
    buffer.beginUndoGroup(true);
    type({0, 2}, "z");
    buffer.endUndoGroup();
    type({0, 3}, "!");
    buffer.beginUndoGroup();
    type({0, 4}, "d");
    buffer.undoGroup();
    type({0, 4}, "e");
    buffer.endUndoGroup();
    const char* steps[] = {"xyz!", "xyz", "x", ""};
    for (const char* expected : steps) {
        buffer.undoGroup();
        EXPECT_EQ(buffer.text(), expected);
    }
}

TEST_F(TextBufferTest, FullHistoryDropsTheOldestWholeGroup) {
    buffer.initEmpty();
    buffer.beginUndoGroup();
    type({0, 0}, "ggg");
    type({0, 3}, "g");
    type({0, 4}, "g");
    buffer.endUndoGroup();
    for (int i = 3; i < 1024; ++i) {
        type({0, i + 2}, "s");
    }
    ASSERT_EQ(buffer.undoRecordCount(), 1024u);
    type({0, 1026}, "s");
    EXPECT_EQ(buffer.undoRecordCount(), 1022u);
    int groups = 0;
    while (buffer.undoGroup()) {
        ++groups;
    }
    EXPECT_EQ(groups, 1022);
    EXPECT_EQ(buffer.text(), "ggggg");
    EXPECT_TRUE(buffer.isModified());  // the saved empty text is out of reach
}

// Random edits, undo and redo against a plain string: after every step the buffer holds the
// model's text, and undoing everything gives back the loaded text.
TEST_F(TextBufferTest, RandomEditsMatchAStringModel) {
    // No lone CR or LF, so the model's lines are its text split at "\r\n".
    const std::string pieces[] = {"a", "bc", "\r\n", "\0"s, "\xff", "x\r\ny", "\r\n\r\n"};
    const std::string original = "mov al,1\r\n\0\xff\r\n"s;
    load(original);
    RecordingView view;  // each insertion is one notice, of its kind, from its line
    buffer.attachView(&view);
    std::mt19937 rng(61);
    std::vector<std::string> states = {original};  // the text after each applied group
    std::size_t applied = 0;

    // A random position in the model, with its offset.
    auto randomPosition = [&](const std::string& model) {
        std::vector<std::size_t> starts = {0};
        for (std::size_t at = model.find("\r\n"); at != std::string::npos;
             at = model.find("\r\n", at + 2)) {
            starts.push_back(at + 2);
        }
        const std::size_t line = rng() % starts.size();
        const std::size_t end = line + 1 < starts.size() ? starts[line + 1] - 2 : model.size();
        const std::size_t column = rng() % (end - starts[line] + 1);
        return std::pair{TextPosition{static_cast<int>(line), static_cast<int>(column)},
                         starts[line] + column};
    };

    for (int step = 0; step < 400; ++step) {
        std::string model = states[applied];
        const auto op = rng() % 8;
        if (op == 0) {
            EXPECT_EQ(buffer.undoGroup().has_value(), applied > 0);
            applied = applied > 0 ? applied - 1 : 0;
        } else if (op == 1) {
            EXPECT_EQ(buffer.redoGroup().has_value(), applied + 1 < states.size());
            applied = std::min(applied + 1, states.size() - 1);
        } else {
            bool changed = false;
            buffer.beginUndoGroup();
            for (auto edits = 1 + rng() % 2; edits > 0; --edits) {
                auto [a, aOffset] = randomPosition(model);
                if (op < 5) {
                    const std::string& piece = pieces[rng() % std::size(pieces)];
                    ASSERT_TRUE(buffer.insertTextAt(&view, a, piece, EditAction::Typing));
                    ASSERT_EQ(view.sources.back(), &view);
                    EXPECT_EQ(view.changes.back().firstLine, a.line);
                    EXPECT_EQ(view.changes.back().kind, piece.find("\r\n") == std::string::npos
                                                            ? ChangeKind::SingleLine
                                                            : ChangeKind::LinesInserted);
                    model.insert(aOffset, piece);
                    changed = true;
                } else {
                    auto [b, bOffset] = randomPosition(model);
                    if (bOffset < aOffset) {
                        std::swap(a, b);
                        std::swap(aOffset, bOffset);
                    }
                    ASSERT_TRUE(buffer.deleteRange(&view, a, b, EditAction::Delete));
                    model.erase(aOffset, bOffset - aOffset);
                    changed = changed || aOffset != bOffset;
                }
            }
            buffer.endUndoGroup();
            if (changed) {  // an empty deletion records nothing
                states.resize(++applied);
                states.push_back(model);
            }
        }
        ASSERT_EQ(buffer.text(), states[applied]) << "step " << step;
        ASSERT_EQ(buffer.lineCount(), std::ranges::count(states[applied], '\n') + 1);
        ASSERT_EQ(buffer.isModified(), applied != 0);
    }
    while (buffer.undoGroup()) {
    }
    EXPECT_EQ(buffer.text(), original);
    while (buffer.redoGroup()) {
    }
    EXPECT_EQ(buffer.text(), states.back());
}

}  // namespace
}  // namespace tarvix
