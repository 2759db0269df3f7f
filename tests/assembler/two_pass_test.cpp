#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "assembler/assembler8086.h"
#include "assembler/list_file.h"
#include "tests/scratch_folder.h"

namespace tarvix {
namespace {

namespace fs = std::filesystem;

std::tm clockAt(int month, int day, int hour, int minute) {
    std::tm t{};
    t.tm_year = 2026 - 1900;
    t.tm_mon = month;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    return t;
}

class TwoPassTest : public ::testing::Test {
protected:
    TwoPassTest() {
        sink.lineSource = &currentLine;
        assembler.setClock([] { return clockAt(11, 5, 3, 25); });
    }

    // Assembles the text as a saved source; the list file's text, or "" on failure.
    std::string assemble(const std::string& source, bool listing = false) {
        const fs::path path = folder / "prog.asm";
        writeFile(path, source);
        assembler.setListingMode(listing);
        pane.clearStatus();
        const int lines = static_cast<int>(std::count(source.begin(), source.end(), '\n')) + 1;
        ok = assembler.assemble(path.string(), lines);
        return ok ? readFile(folder / "prog.lst") : std::string();
    }

    ScratchFolder folder;
    int currentLine = 0;
    MemoryOutputSink sink;
    OutputPane pane{sink};
    Assembler8086 assembler{pane, &currentLine};
    bool ok = false;
};

TEST_F(TwoPassTest, FarConditionalJumpKeepsTheLowByte) {
    std::string source = "jz far\n";
    for (int i = 0; i < 100; ++i) {
        source += "mov ax,1234\n";  // 300 bytes
    }
    source += "far: hlt\n";
    EXPECT_NE(assemble(source).find("1000: 74 2C"), std::string::npos);  // 0x12E, low byte
}

TEST_F(TwoPassTest, ProgramErrors) {
    struct Case {
        const char* source;
        const char* message;
        int markedLine;  // 0-based, also when the message names no line
    };
    const Case cases[] = {
        {"loop1: nop\n\n; again\nloop1: nop\n", "Line 4 Error: Duplicate symbol found", 3},
        {"LOOP1: nop\nloop1: nop\n", "Line 2 Error: Duplicate symbol found", 1},
        {"jz nowhere\nhlt\n", "Error: Unrecognized symbol nowhere", 0},
        {"jmp 1200\n", "Error: Unrecognized symbol 1200", 0},
        {"msg: db 1\n\n; far below\njmp msg\n", "Error: Unrecognized symbol msg", 3},
        {"nop\n\njunk label\n", "Line 3 Error: Unrecognized/unsupported instruction", 2},
        {"nop\nmov [bx],5\n",
         "Line 2 Error: Specify 'BPTR'  or 'WPTR' for pointer to byte or word resptly", 1},
    };
    for (const Case& c : cases) {
        sink.markedLine.reset();
        EXPECT_EQ(assemble(c.source), "") << c.source;
        EXPECT_FALSE(ok) << c.source;
        EXPECT_EQ(sink.text, c.message) << c.source;
        EXPECT_EQ(sink.markedLine.value_or(-1), c.markedLine) << c.source;
    }
}

TEST_F(TwoPassTest, LastLineWithoutLineEnd) {
    EXPECT_EQ(assemble("nop\nhlt"),
              "1000: 90                  $1\r\n1001: F4                  $2\r\n1002:\r\n");
    // A single character with nothing after it is never read.
    EXPECT_EQ(assemble("nop\nx"), "1000: 90                  $1\r\n1001:\r\n");
    EXPECT_TRUE(ok);
}

TEST_F(TwoPassTest, LineLimit) {
    std::string source;
    for (int i = 1; i < kMaxSourceLines; ++i) {
        source += "nop\n";
    }
    EXPECT_NE(assemble(source + "nop"), "");    // 10000 lines
    EXPECT_EQ(assemble(source + "nop\n"), "");  // and the empty line after the last line end
    EXPECT_EQ(sink.text, "Error: Too much lines ");
}

TEST_F(TwoPassTest, ListingKeepsEveryLineWhateverTheProcedureCount) {
    // Each procedure header takes two intermediate lines; a source with no blank or comment
    // lines to spare must still list its last instructions.
    std::string source;
    for (int i = 0; i < 5; ++i) {
        source += "proc p" + std::to_string(i) + "\nret\n";
    }
    source += "last: hlt";
    const std::string list = assemble(source, true);
    EXPECT_NE(list.find("LAST       HLT"), std::string::npos) << list;
    EXPECT_NE(list.find("1006:                                   "), std::string::npos) << list;
}

TEST_F(TwoPassTest, ALineResolvedShorterThanItsRoomLeavesTheLinesAfterItWhole) {
    // Pass two resolves every line that holds "#1"; this listing line comes out shorter than
    // the room pass one kept for it, and the jump after it must still land in its own room.
    const std::string list = assemble("x: nop\nnop   and some text #1jmp#2x#3\njz x\n", true);
    EXPECT_NE(list.find("\r\n1001:                                   E9\tFC\tFF\r\n"
                        "1002:                74 FC              JZ\tX\r\n"
                        "1004:                                   \r\n"),
              std::string::npos)
        << list;
}

TEST_F(TwoPassTest, IntermediateFileIsPrivateToEachAssembler) {
    Assembler8086 other(pane);
    const fs::path mine = assembler.intermediatePath();
    const fs::path theirs = other.intermediatePath();
    EXPECT_NE(mine.parent_path(), theirs.parent_path());
    EXPECT_EQ(mine.filename(), "_tmp_pass1_.lst");
    struct stat info {};
    ASSERT_EQ(::stat(mine.parent_path().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);

    assemble("nop\njnz x\nx: hlt\n");
    EXPECT_TRUE(ok);
    EXPECT_TRUE(fs::exists(mine)) << "pass one's output stays for the next assembly";
}

TEST_F(TwoPassTest, UnopenableFilesFailWithoutAMessage) {
    assembler.setListingMode(false);
    EXPECT_FALSE(assembler.assemble((folder / "missing.asm").string(), 3));
    EXPECT_FALSE(assembler.fileError().empty());
    EXPECT_FALSE(assembler.assemble((folder / "noextension").string(), 3));
    EXPECT_EQ(sink.text, "");
    EXPECT_FALSE(pane.errorLatched());
}

TEST(ListingHeader, DateAndTimeFormats) {
    struct Case {
        int month, day, hour, minute;
        const char* line;
    };
    const Case cases[] = {
        {11, 5, 12, 5, ",   Dec 5, 2026 ,12:05  PM "},
        {11, 5, 0, 5, ",   Dec 5, 2026 ,12:05  AM "},
        {0, 31, 23, 59, ",   Jan 31, 2026 ,11:59  PM "},
    };
    for (const Case& c : cases) {
        const std::string header = listingHeader(clockAt(c.month, c.day, c.hour, c.minute));
        EXPECT_EQ(header.substr(13, header.find("\r\n", 13) - 13), c.line);
    }
}

TEST(ListFile, PathBesideTheSource) {
    EXPECT_EQ(listFilePath("a.b.asm"), "a.b.lst");
    EXPECT_EQ(listFilePath("/my.dir/prog"), "");
}

// Every example in examples/ has its run-mode and listing-mode files in golden/.
TEST_F(TwoPassTest, ExamplesAssembleToTheirGoldenListFiles) {
    const fs::path root = TARVIX_SOURCE_DIR;
    const fs::path golden = root / "tests" / "assembler" / "golden";
    int examples = 0;
    for (const auto& entry : fs::directory_iterator(root / "examples")) {
        if (entry.path().extension() != ".asm") {
            continue;
        }
        const std::string name = entry.path().stem().string();
        const std::string source = readFile(entry.path());
        EXPECT_EQ(assemble(source), readFile(golden / (name + ".run.lst"))) << name;
        EXPECT_EQ(assemble(source, true), readFile(golden / (name + ".listing.lst"))) << name;
        ++examples;
    }
    EXPECT_GE(examples, 5);
}

}  // namespace
}  // namespace tarvix
