#include "simulator/program_loader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <optional>
#include <random>

#include "assembler/list_file.h"

#include "tests/kit_fixture.h"

namespace tarvix {
namespace {

namespace fs = std::filesystem;

class ProgramLoaderTest : public KitFixture {
protected:
    bool assembleAndLoadSource(const std::string& source) {
        load(source);
        return assembleAndLoad(kit, buffer.lineCount(), host) && buildProgramImage(kit, host.path);
    }
};

TEST_F(ProgramLoaderTest, DataBetweenCodeBreaksTheRanges) {
    ASSERT_TRUE(assembleAndLoadSource("\n\nnop\ndb 41,42\nhlt\n"));
    EXPECT_EQ(kit.image.lineMap(), (std::vector<std::uint16_t>{0x1000, 2, 0x1003, 4}));
    EXPECT_EQ(kit.image.codeRanges(), (std::vector<std::uint16_t>{0x1000, 0x1000, 0x1003, 0x1003}));
    EXPECT_TRUE(kit.cpu.memory.writeByte(0x1001, 7)) << "data stay writable";
    EXPECT_FALSE(kit.cpu.memory.writeByte(0x1003, 7));
    EXPECT_NE(sink.text.find("Error: Cannot replace opcode"), std::string::npos) << sink.text;

    // A byte the student types keeps the same rules, but its refusal only comes back.
    pane.clearStatus();
    const int sounds = sink.soundsPlayed;
    EXPECT_EQ(kit.cpu.memory.editByte(0x1003, 7), MessageId::CannotReplaceOpcode);
    EXPECT_EQ(kit.cpu.memory.editByte(0x2000, 7), MessageId::AddressOutsideMemory);
    EXPECT_EQ(kit.cpu.memory.editByte(0x1002, 9), std::nullopt);
    EXPECT_EQ(kit.cpu.memory.bytes()[3], 0xF4);  // HLT
    EXPECT_EQ(kit.cpu.memory.bytes()[2], 9);
    EXPECT_FALSE(pane.errorLatched());
    EXPECT_EQ(sink.soundsPlayed, sounds);
}

// The image answers from indexes; a scan of its pairs in list order is the plain reading of
// what it must answer, whatever the maps hold: repeated addresses, lines out of order, ranges
// reversed or beyond the window.
TEST(ProgramImage, IndexesAnswerAsAScanOfThePairs) {
    std::mt19937 rng(1206);
    const auto near = [&](unsigned base, unsigned spread) {
        return static_cast<std::uint16_t>(base + rng() % spread);
    };
    for (int round = 0; round < 200; ++round) {
        std::vector<std::uint16_t> lineMap;
        std::vector<std::uint16_t> ranges;
        for (int i = 0; i < 12; ++i) {
            lineMap.insert(lineMap.end(), {near(0x1000, 16), near(0, 20)});
            ranges.insert(ranges.end(), {near(0x0FF0, 0x40), near(0x0FF8, 0x40)});
        }
        ranges.insert(ranges.end(), {0x1FF0, 0xFFFF});
        ProgramImage image;
        image.load(lineMap, ranges);
        for (unsigned a = 0x0FF0; a < 0x2010; a = a == 0x1040 ? 0x1FE0 : a + 1) {
            int line = -1;
            const bool found = image.lineOfAddress(static_cast<std::uint16_t>(a), line);
            const auto first =
                std::find_if(lineMap.begin(), lineMap.end(),
                             [&, i = 0](auto v) mutable { return i++ % 2 == 0 && v == a; });
            ASSERT_EQ(found, first != lineMap.end()) << a;
            if (found) {
                EXPECT_EQ(line, *(first + 1)) << a;
            }
            bool code = false;
            for (std::size_t i = 0; i < ranges.size(); i += 2) {
                code = code || (ranges[i] <= a && a <= ranges[i + 1]);
            }
            const bool inWindow = a >= kMemoryFirst && a < kMemoryFirst + kMemorySize;
            EXPECT_EQ(image.isCode(static_cast<std::uint16_t>(a)), code && inWindow) << a;
        }
        for (int line = -1; line < 22; ++line) {
            std::uint16_t address = 0;
            const bool found = image.addressAtOrAfterLine(line, address);
            std::size_t i = 0;
            while (i < lineMap.size() && lineMap[i + 1] < line) {
                i += 2;
            }
            ASSERT_EQ(found, i < lineMap.size()) << line;
            if (found) {
                EXPECT_EQ(address, lineMap[i]) << line;
            }
        }
    }
}

TEST_F(ProgramLoaderTest, CodeBeyondTheWindow) {
    std::string items = "db 0";
    for (int i = 0; i < 4096; ++i) {
        items += ",ff";
    }
    EXPECT_FALSE(assembleAndLoadSource(items + "\nhlt\n"));
    EXPECT_EQ(sink.text, "Error: Code too big to fit in memory");
    EXPECT_EQ(kit.cpu.memory.bytes()[4095], 0xFF) << "the bytes up to 1FFFH are in";
}

TEST_F(ProgramLoaderTest, FailuresSayWhy) {
    host.path.clear();
    EXPECT_FALSE(assembleAndLoad(kit, 3, host));
    EXPECT_EQ(sink.text, "Error: Please save the File");

    pane.clearStatus();
    EXPECT_FALSE(assembleAndLoad(kit, 10001, host));
    EXPECT_EQ(sink.text, "Error: Large file");

    EXPECT_FALSE(buildProgramImage(kit, (folder / "never.asm").string()));
}

TEST_F(ProgramLoaderTest, AssembleMakesTheNextRunReassemble) {
    load("again: jmp over\nover: call done\nhlt\ndone: ret\n");
    driver.run();
    ASSERT_EQ(driver.lastEnding(), RunEnding::Halted) << sink.text;

    // The listing overwrites the run-mode file; a Run must not read its lines as a line map.
    std::string listPath;
    ASSERT_TRUE(assembleForListing(kit, buffer, host, listPath));
    EXPECT_EQ(listPath, (folder / "prog.lst").string());
    EXPECT_TRUE(buffer.needsAssembly());
}

TEST_F(ProgramLoaderTest, AssembleRefusals) {
    std::string listPath;
    pane.reportError("an earlier error", WithLine::No);
    load("");
    EXPECT_FALSE(assembleForListing(kit, buffer, host, listPath));
    EXPECT_EQ(sink.text, "Error: Please type the Assembly Language Program");
    load("nop\nbad ax\n");
    EXPECT_FALSE(assembleForListing(kit, buffer, host, listPath));
    EXPECT_EQ(sink.text, "Line 2 Error: Unrecognized/unsupported instruction");
}

// The list file beside the source, as Assemble writes it: never through a link nor over the
// source. A Run's refusals are the tools' (the hardening test runs both on these files).
TEST_F(ProgramLoaderTest, AListPathThatWouldDestroyAFileIsRefused) {
    struct Case {
        const char* why;
        std::function<void(const fs::path& list)> prepare;
    };
    const fs::path victim = folder / "victim.txt";
    const Case cases[] = {
        {"is a symbolic link", [&](const fs::path& list) { fs::create_symlink(victim, list); }},
        {"is not a regular file", [](const fs::path& list) { fs::create_directory(list); }},
        {"is the source itself",
         [&](const fs::path& list) { fs::create_hard_link(host.path, list); }},
    };
    const std::string program = "mov ax,1\r\nhlt\r\n";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        writeFile(victim, "kept");
        std::error_code ignored;
        fs::remove_all(listFilePath(host.path), ignored);
        load(program);
        c.prepare(listFilePath(host.path));
        pane.clearStatus();
        std::string listPath;
        EXPECT_FALSE(assembleForListing(kit, buffer, host, listPath));
        EXPECT_NE(sink.text.find(c.why), std::string::npos) << sink.text;
        EXPECT_EQ(readFile(victim), "kept");
        EXPECT_EQ(readFile(host.path), program);
    }
}

TEST_F(ProgramLoaderTest, ARunLoadsTheListItsOwnAssemblyWrote) {
    load("mov ax,1\r\nhlt\r\n");
    ASSERT_TRUE(assembleAndLoad(kit, buffer.lineCount(), host));
    // Another program's listing lands on the same path before the image is read.
    writeFile(listFilePath(host.path), "1000: 90 90 90               $1\r\n1003:\r\n");
    ASSERT_TRUE(buildProgramImage(kit, host.path));
    EXPECT_EQ(kit.image.lineMap(), (std::vector<std::uint16_t>{0x1000, 0, 0x1003, 1}));
}

}  // namespace
}  // namespace tarvix
