// The list file beside the source, as Run and Assemble write it: never through a link nor over
// the source, and what a run loads is what its own assembly wrote.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "assembler/list_file.h"
#include "simulator/program_loader.h"
#include "tests/kit_fixture.h"

namespace tarvix {
namespace {

namespace fs = std::filesystem;

using ListFileSafetyTest = KitFixture;

TEST_F(ListFileSafetyTest, AListPathThatWouldDestroyAFileIsRefused) {
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
        for (const bool listing : {false, true}) {
            SCOPED_TRACE(std::string(c.why) + (listing ? ", Assemble" : ", Run"));
            writeFile(victim, "kept");
            std::error_code ignored;
            fs::remove_all(listFilePath(host.path), ignored);
            load(program);
            c.prepare(listFilePath(host.path));
            pane.clearStatus();
            std::string listPath;
            EXPECT_FALSE(listing ? assembleForListing(kit, buffer, host, listPath)
                                 : assembleAndLoad(kit, buffer.lineCount(), host));
            EXPECT_NE(sink.text.find(c.why), std::string::npos) << sink.text;
            EXPECT_EQ(readFile(victim), "kept");
            EXPECT_EQ(readFile(host.path), program);
        }
    }
}

TEST_F(ListFileSafetyTest, ARunLoadsTheListItsOwnAssemblyWrote) {
    load("mov ax,1\r\nhlt\r\n");
    ASSERT_TRUE(assembleAndLoad(kit, buffer.lineCount(), host));
    // Another program's listing lands on the same path before the image is read.
    writeFile(listFilePath(host.path), "1000: 90 90 90               $1\r\n1003:\r\n");
    ASSERT_TRUE(buildProgramImage(kit, host.path));
    EXPECT_EQ(kit.image.lineMap, (std::vector<std::uint16_t>{0x1000, 0, 0x1003, 1}));
}

}  // namespace
}  // namespace tarvix
