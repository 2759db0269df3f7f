// The one kit the core's tests run on: devices on fake panels, a fake terminal and sound, one
// fake clock, a recording run host, and a source file in a scratch folder. Whole programs run
// through the driver; executor tables run single lines against an assembled test program.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>
#include <span>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "common/format.h"
#include "common/operand_text.h"
#include "editor/x86_text_buffer.h"
#include "simulator/dispatcher.h"
#include "simulator/execution_driver.h"
#include "simulator/kit.h"
#include "simulator/program_loader.h"
#include "tests/kit_fakes.h"
#include "tests/scratch_folder.h"

namespace tarvix {

// The pane after an error of the instruction whose next line is `after`.
inline std::string lineError(int after, std::string_view text) {
    return "Line " + std::to_string(after) + " Error: " + std::string(text);
}

// One executor row: a line executed with line 7 next, after "NAME=value ..." assignments, and
// what it must leave. Names are registers, FLAGS, flags ("CF=1"), words "[1100]" and bytes
// "b[1FFF]"; values are hexadecimal.
struct ExecutorCase {
    const char* line;
    const char* setup;
    bool ok;
    const char* error;  // the message after "Line 7 Error: ", or "" for none
    const char* expect;
};

class KitFixture : public ::testing::Test {
protected:
    // Every instruction is two bytes (8A C0); lines 3 and 7 hold none, so "the next
    // instruction" and "the next line" differ there; "table" labels no instruction.
    static constexpr std::string_view kTestProgram =
        "mov al,al\nmov al,al\nmov al,al\n\nmov al,al\ntarget: mov al,al\nmov al,al\n"
        "; no instruction\nInt21H: mov al,al\nmov al,al\ntable:\ndb 0\n";

    KitFixture() {
        sink.lineSource = &kit.currentLine;
        host.path = (folder / "prog.asm").string();
    }

    // Saves the program and loads it into the buffer, as a document just opened.
    void load(std::string_view source) {
        writeFile(host.path, std::string(source));
        ASSERT_TRUE(buffer.loadFile(host.path));
    }
    void run(std::string_view source) {
        load(source);
        driver.run();
    }

    // Assembles kTestProgram into the kit: its image, labels and bytes, as a run has them.
    void loadTestProgram() {
        load(kTestProgram);
        ASSERT_TRUE(assembleAndLoad(kit, buffer.lineCount(), host));
        ASSERT_TRUE(buildProgramImage(kit, host.path));
        kit.cpu.memory.modified = false;
    }

    // Executes `line` as the dispatcher does, as the instruction whose next line is `after`.
    bool exec(int after, std::string_view line) {
        const DecodedInstruction decoded = decodeLine(line, kit.cpu);
        kit.currentLine = after;
        pane.clearStatus();
        sink.markedLine.reset();
        return decoded.executor != nullptr && decoded.executor(kit, decoded) != Outcome::Failed;
    }

    // As a Run leaves them: every panel hidden, the 8255 and the 8251 reset, the log empty.
    void resetDevices() {
        for (int p = 0; p < kPanelCount; ++p) {
            panels.setVisible(static_cast<Panel>(p), false);
        }
        kit.devices.ppi.reset();
        kit.devices.usart.reset();
        panels.log.clear();
    }

    // Runs a script through the port bus: "26=80" an OUT, "?22" an IN, "+led55" a connect
    // statement, "~1041" the clock moving on (ticks and milliseconds alike). Returns what the
    // INs read and, for each access refused, "!" and the message.
    std::string ports(std::string_view script) {
        std::string transcript;
        const auto note = [&](const std::string& item) {
            transcript += (transcript.empty() ? "" : " ") + item;
        };
        for (const std::string& token : words(script)) {
            pane.clearStatus();
            const std::size_t equals = token.find('=');
            bool ok = true;
            if (token.front() == '+') {
                exec(7, "connect " + token.substr(1));
            } else if (token.front() == '~') {
                const int step = std::stoi(token.substr(1));
                clock.ticks += step;
                clock.millis += static_cast<std::uint64_t>(step);
            } else if (token.front() == '?') {
                ok = exec(7, "in al," + token.substr(1));
                if (ok) {
                    note(formatText("%02X", kit.cpu.regs[Reg8::AL]));
                }
            } else {
                kit.cpu.regs[Reg8::AL] =
                    static_cast<std::uint8_t>(parseHex(token.substr(equals + 1)));
                ok = exec(7, "out " + token.substr(0, equals) + ",al");
            }
            if (!ok) {
                note("!" + sink.text.substr(sink.text.find("Error: ") + 7));
            }
        }
        return transcript;
    }

    // Each row from reset registers, the same words at 1100H, 1102H and 1FFEH, then `common`.
    void runAll(std::span<const ExecutorCase> cases, std::string_view common = "") {
        for (const ExecutorCase& c : cases) {
            SCOPED_TRACE(std::string(c.line) + " | " + c.setup);
            kit.cpu.regs.reset();
            apply("[1100]=5678 [1102]=9ABC [1FFE]=0A5A5");
            apply(common);
            apply(c.setup);
            EXPECT_EQ(exec(7, c.line), c.ok);
            EXPECT_EQ(sink.text, *c.error ? lineError(7, c.error) : "");
            check(c.expect);
        }
    }

    void apply(std::string_view assignments) {
        forEachPair(assignments, [this](std::string_view name, std::uint16_t value) {
            if (const std::uint16_t flag = flagMask(name); flag != 0) {
                kit.cpu.regs.setFlag(flag, value != 0);
            } else if (name == "FLAGS") {
                kit.cpu.regs.FLAGS = value;
            } else if (registerSize(name) == 2) {
                kit.cpu.regs.setReg16(name, value);
            } else if (registerSize(name) == 1) {
                kit.cpu.regs.setReg8(name, static_cast<std::uint8_t>(value));
            } else if (name.front() == 'b') {
                ASSERT_TRUE(
                    kit.cpu.memory.writeByte(address(name), static_cast<std::uint8_t>(value)));
            } else {
                ASSERT_TRUE(kit.cpu.memory.writeWord(address(name), value));
            }
        });
    }

    void check(std::string_view expectations) {
        forEachPair(expectations, [this](std::string_view name, std::uint16_t value) {
            EXPECT_EQ(probe(name), value) << name;
        });
    }

    std::uint16_t probe(std::string_view name) {
        if (const std::uint16_t flag = flagMask(name); flag != 0) {
            return kit.cpu.regs.testFlag(flag) ? 1 : 0;
        }
        if (name == "FLAGS") {
            return kit.cpu.regs.FLAGS;
        }
        if (registerSize(name) != 0) {
            return registerSize(name) == 2 ? kit.cpu.regs.getReg16(name)
                                           : kit.cpu.regs.getReg8(name);
        }
        const std::size_t i = address(name) - kMemoryFirst;
        const auto& bytes = kit.cpu.memory.bytes();
        return name.front() == 'b' ? bytes[i]
                                   : static_cast<std::uint16_t>(bytes[i] | bytes[i + 1] << 8);
    }

    ScratchFolder folder;
    MemoryOutputSink sink;
    OutputPane pane{sink};
    FakeClock clock;
    LoggingPanels panels{clock};
    RecordedSound sound;
    FakeTerminal terminal;
    CountingLauncher launcher;
    Kit kit{pane, DeviceHost{panels, sound, terminal, launcher, clock}};
    CX86TextBuffer buffer;
    RecordingRunHost host;
    ExecutionDriver driver{kit, buffer, host, clock};

private:
    static std::uint16_t address(std::string_view name) {
        return parseHex(name.substr(name.find('[') + 1));
    }

    // "CF", "TF", ... as the bit each names; 0 for any other name.
    static std::uint16_t flagMask(std::string_view name) {
        constexpr std::string_view kLetters = "----ODITSZ-A-P-C";  // from bit 15 down
        const std::size_t at =
            name.size() == 2 && name[1] == 'F' ? kLetters.find(name[0]) : std::string_view::npos;
        return static_cast<std::uint16_t>(at == std::string_view::npos ? 0 : 0x8000 >> at);
    }

    static std::vector<std::string> words(std::string_view text) {
        std::istringstream in{std::string(text)};
        return {std::istream_iterator<std::string>(in), std::istream_iterator<std::string>()};
    }

    template <typename F>
    static void forEachPair(std::string_view text, F&& f) {
        for (const std::string& pair : words(text)) {
            const std::size_t equals = pair.find('=');
            f(pair.substr(0, equals), parseHex(pair.substr(equals + 1)));
        }
    }
};

}  // namespace tarvix
