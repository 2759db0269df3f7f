#include "tests/differential/unicorn_harness.h"

#include <unicorn/unicorn.h>

#include <algorithm>
#include <array>
#include <memory>

#include "common/clock.h"
#include "common/format.h"
#include "common/message_box.h"
#include "common/messages.h"
#include "common/output_pane.h"
#include "common/output_sink.h"
#include "common/text.h"
#include "editor/x86_text_buffer.h"
#include "simulator/cpu_registers.h"
#include "simulator/dispatcher.h"
#include "simulator/execution_driver.h"
#include "simulator/headless_run_host.h"
#include "simulator/kit.h"
#include "simulator/kit_memory.h"
#include "simulator/program_loader.h"
#include "tests/scratch_folder.h"

namespace tarvix::test {

namespace {

// The kit's deliberate departures from a processor that make it refuse an instruction, by
// the kit's messages; Unicorn's step must be the same case. The comparison masks FLAGS'
// reserved bits (a plain word on the kit, 0 after reset) and takes IP after HLT as the next
// line's address. The programs avoid segment registers, the trap flag and data right after a
// CALL; Unicorn's later processor takes IDIV quotients -128 and -32768, and counts shifts
// modulo 32, as the kit does.
struct DeliberateDifference {
    std::string_view name;
    std::vector<std::string> refusals;
};

constexpr std::string_view kDivideError = "Divide error";

const std::vector<DeliberateDifference>& deliberateDifferences() {
    using enum MessageId;
    static const std::vector<DeliberateDifference> kDifferences{
        // so that a line always matches the bytes executed
        {"Program code is read-only", {messageText(CannotReplaceOpcode)}},
        // refused, not wrapped
        {"Stack bounds", {messageText(OutOfStackSpace), messageText(StackEmpty)}},
        // only 1000H..1FFFH exists; XLAT adds BX+AL without 16-bit wrap
        {"Memory window", {messageText(AddressOutsideMemory)}},
        // RET and indirect transfers must land on an instruction line
        {"Targets are lines", {"Invalid IP"}},
        // the type-0 interrupt is reported, and nothing changes
        {kDivideError, {"type-0 interrupt"}},
        // REP, REPZ and REPNZ are no kit mnemonics; REPE/REPNE LODS is refused
        {"Refused forms",
         {messageText(UnsupportedInstruction), messageText(ErrorInInstructionFormat)}},
    };
    return kDifferences;
}

// FLAGS bits a processor forces (1, 3, 5, 12..15), and IOPL among them.
constexpr std::uint16_t kReservedFlagBits = 0xF02A;
constexpr std::uint16_t kIoplBits = 0x3000;

// A safety net: every program given here halts.
constexpr std::uint64_t kInstructionLimit = 300000;

enum Reg { AX, BX, CX, DX, SI, DI, BP, SP, IP, FLAGS, kRegCount };
constexpr std::array<const char*, kRegCount> kRegNames = {"AX", "BX", "CX", "DX", "SI",
                                                          "DI", "BP", "SP", "IP", "FLAGS"};
constexpr std::array<int, kRegCount> kUnicornRegs = {
    UC_X86_REG_AX, UC_X86_REG_BX, UC_X86_REG_CX, UC_X86_REG_DX, UC_X86_REG_SI,
    UC_X86_REG_DI, UC_X86_REG_BP, UC_X86_REG_SP, UC_X86_REG_IP, UC_X86_REG_EFLAGS};
using Registers = std::array<std::uint16_t, kRegCount>;

// Whether the instruction stores FLAGS by the flag image rule (bit 1 set; bits 3, 5, 12, 13
// and 15 clear), given CX before it.
bool followsFlagImage(const DecodedInstruction& line, std::uint16_t cx) {
    if (line.mnemonic == "repe" || line.mnemonic == "repne") {
        return cx != 0 &&
               contains(" scasb scasw cmpsb cmpsw ", " " + toLower(trim(line.destText)) + " ");
    }
    return contains(
        " add sub cmp inc dec adc sbb and or xor test not neg shl sal shr sar rol ror rcl rcr mul "
        "imul div idiv aaa aas daa das aam aad scasb scasw cmpsb cmpsw ",
        " " + line.mnemonic + " ");
}

// The kit's internal-fault boxes; any of them is a difference.
class CollectedBoxes : public MessageBoxSink {
public:
    std::string text;
    void showMessageBox(std::string_view box) override { text += std::string(box) + ' '; }
};

// A FLAGS word PUSHF stored, compared without the reserved bits while it is still there.
struct FlagWord {
    std::size_t offset;  // from kMemoryFirst
    std::uint16_t value;
};

class Lockstep {
public:
    explicit Lockstep(const DifferentialCase& program) : program_(program) {}

    DifferentialResult run() {
        writeFile(path_, program_.source);
        if (!buffer_.loadFile(path_)) {
            return failedToStart("the editor buffer cannot load the program");
        }
        sink_.lineSource = &kit_.currentLine;
        kit_.cpu.regs.setMessageBoxSink(&boxes_);
        for (std::size_t i = 0; i < program_.data.size(); ++i) {
            kit_.cpu.memory.writeByte(static_cast<std::uint16_t>(program_.dataAddress + i),
                                      program_.data[i]);
        }
        // The loader the driver uses, run once more beforehand: Unicorn starts from the memory
        // exactly as the kit loads it, and from the same line map.
        if (!assembleAndLoad(kit_, buffer_.lineCount(), host_) || !buildProgramImage(kit_, path_)) {
            return failedToStart("the kit cannot assemble the program: " + sink_.text);
        }
        lineMap_ = kit_.image.lineMap();
        const auto& loaded = kit_.cpu.memory.bytes();
        uc_engine* engine = nullptr;
        const bool opened = uc_open(UC_ARCH_X86, UC_MODE_16, &engine) == UC_ERR_OK;
        uc_.reset(engine);
        if (!opened || uc_mem_map(uc_.get(), 0, 0x10000, UC_PROT_ALL) != UC_ERR_OK ||
            uc_mem_write(uc_.get(), kMemoryFirst, loaded.data(), loaded.size()) != UC_ERR_OK) {
            return failedToStart("Unicorn cannot start");
        }
        for (const int segment : {UC_X86_REG_CS, UC_X86_REG_DS, UC_X86_REG_SS, UC_X86_REG_ES}) {
            setUcReg(segment, 0);
        }
        const Registers reset = kitRegisters(kMemoryFirst);
        for (std::size_t i = 0; i < kRegCount; ++i) {
            setUcReg(kUnicornRegs[i], reset[i]);
        }
        setUcReg(UC_X86_REG_EFLAGS, 0x0002);  // bit 1 is always set on a processor
        kit_.image.clear();  // else the driver's own load would meet "code" it may not replace
        driver_.setInstructionLimit(kInstructionLimit);
        driver_.setInstructionObserver([this](int line) { onStep(line); });
        driver_.step();
        finish();
        return result_;
    }

private:
    DifferentialResult failedToStart(const std::string& why) {
        result_.report = program_.name + ": " + why;
        return result_;
    }

    // Unicorn's registers through a zeroed 64-bit cell: it reads and writes as many of its low
    // bytes as the register has.
    std::uint16_t ucReg(int id) const {
        std::uint64_t value = 0;
        uc_reg_read(uc_.get(), id, &value);
        return static_cast<std::uint16_t>(value & 0xFFFF);
    }
    void setUcReg(int id, std::uint16_t word) {
        std::uint64_t value = word;
        uc_reg_write(uc_.get(), id, &value);
    }
    Registers ucRegisters() const {
        Registers r{};
        for (std::size_t i = 0; i < kRegCount; ++i) {
            r[i] = ucReg(kUnicornRegs[i]);
        }
        return r;
    }
    // A repeated string instruction runs to its end: Unicorn stops after each pass.
    uc_err ucStep(bool wholeRepetition) {
        const std::uint16_t start = ucReg(UC_X86_REG_IP);
        for (;;) {
            const uc_err error = uc_emu_start(uc_.get(), start, 0x10000, 0, 1);
            if (error != UC_ERR_OK || !wholeRepetition || ucReg(UC_X86_REG_IP) != start) {
                return error;
            }
        }
    }

    Registers kitRegisters(std::uint16_t ip) const {
        const CpuRegisters& r = kit_.cpu.regs;
        return {r[Reg16::AX], r[Reg16::BX], r[Reg16::CX], r[Reg16::DX], r[Reg16::SI],
                r[Reg16::DI], r[Reg16::BP], r[Reg16::SP], ip,           r.FLAGS};
    }

    int lineOf(std::uint16_t address) const {
        for (std::size_t i = 0; i + 1 < lineMap_.size(); i += 2) {
            if (lineMap_[i] == address) {
                return lineMap_[i + 1];
            }
        }
        return -1;
    }

    // After each instruction the kit executed.
    void onStep(int line) {
        std::uint16_t ip = 0;
        if (done_ || !stepUnicorn(line)) {
            return;
        }
        if (kit_.pane.errorLatched()) {
            refused(line);  // the kit reports it and runs on (a word read at 1FFFH loads 0)
        } else if (divideError_) {
            fail(line, "Unicorn raised a divide error, the kit divided");
        } else if (!kit_.image.addressAtOrAfterLine(kit_.currentLine, ip)) {
            fail(line, "the kit has no instruction line to go on with");
        } else {
            compare(line, kitRegisters(ip));
        }
    }

    // After the kit's run has ended.
    void finish() {
        const int line = driver_.lastLine();
        if (done_) {
            return;
        }
        if (driver_.lastEnding() == RunEnding::Halted) {
            checkHalt(line);
        } else if (driver_.lastEnding() != RunEnding::Error) {
            fail(line, "the kit's run ended without halting");
        } else if (stepUnicorn(line)) {
            refused(line);  // refused with no step observed
        }
    }

    // Runs Unicorn over the instruction the kit executed on `line`. A divide error is no
    // failure yet: the kit's outcome decides.
    bool stepUnicorn(int line) {
        ++steps_;
        before_ = ucRegisters();
        instruction_ = decodeLine(buffer_.line(line), kit_.cpu);
        instruction_.mnemonic = toLower(instruction_.mnemonic);
        if (lineOf(before_[IP]) != line) {
            fail(line, formatText("Unicorn is at %04XH", before_[IP]));
            return false;
        }
        const uc_err error = ucStep(instruction_.mnemonic.starts_with("rep"));
        divideError_ = error == UC_ERR_EXCEPTION &&
                       (instruction_.mnemonic == "div" || instruction_.mnemonic == "idiv");
        if (error != UC_ERR_OK && !divideError_) {
            fail(line, std::string("Unicorn stopped: ") + uc_strerror(error));
            return false;
        }
        return true;
    }

    // The registers that differ, FLAGS through flagsMask_; IP only when asked.
    std::string registerDifferences(const Registers& kit, const Registers& uc, bool withIp) const {
        std::string problems;
        for (std::size_t i = 0; i < kRegCount; ++i) {
            const std::uint16_t mask = i == FLAGS ? flagsMask_ : 0xFFFF;
            if ((i != IP || withIp) && (kit[i] & mask) != (uc[i] & mask)) {
                problems += formatText("%s kit %04X, Unicorn %04X (compared bits %04X); ",
                                       kRegNames[i], kit[i], uc[i], mask);
            }
        }
        return problems;
    }

    void compare(int line, const Registers& kit) {
        const Registers uc = ucRegisters();
        // Under the flag image rule the reserved bits are as on Unicorn but IOPL, which
        // survives the arithmetic there while the kit clears it.
        const bool image = followsFlagImage(instruction_, before_[CX]);
        flagsMask_ = static_cast<std::uint16_t>(~(image ? kIoplBits : kReservedFlagBits));
        std::string problems = image && (kit[FLAGS] & kIoplBits) != 0
                                   ? "FLAGS bits 12 and 13 not cleared by the flag image rule; "
                                   : "";
        problems += registerDifferences(kit, uc, true);
        if (instruction_.mnemonic == "pushf") {
            flagWords_.push_back({static_cast<std::size_t>(uc[SP] - kMemoryFirst), uc[FLAGS]});
        }
        problems += compareMemory();
        if (!boxes_.text.empty()) {
            problems += "internal report " + boxes_.text;
        }
        if (!problems.empty()) {
            fail(line, problems);
            return;
        }
        ++result_.instructions;
    }

    std::string compareMemory() const {
        std::array<std::uint8_t, kMemorySize> uc{};
        uc_mem_read(uc_.get(), kMemoryFirst, uc.data(), uc.size());
        const auto& kit = kit_.cpu.memory.bytes();
        if (uc == kit) {
            return {};
        }
        std::array<std::uint8_t, kMemorySize> mask;
        mask.fill(0xFF);
        for (const FlagWord& word : flagWords_) {
            if (word.offset + 1 < kMemorySize &&
                (uc[word.offset] | uc[word.offset + 1] << 8) == word.value) {
                mask[word.offset] = static_cast<std::uint8_t>(~kReservedFlagBits & 0xFF);
                mask[word.offset + 1] = static_cast<std::uint8_t>(~kReservedFlagBits >> 8 & 0xFF);
            }
        }
        std::string problems;
        for (std::size_t i = 0, shown = 0; i < kMemorySize && shown < 8; ++i) {
            if ((kit[i] & mask[i]) != (uc[i] & mask[i])) {
                ++shown;
                problems += formatText("memory %04X kit %02X, Unicorn %02X; ",
                                       static_cast<unsigned>(kMemoryFirst + i), kit[i], uc[i]);
            }
        }
        return problems;
    }

    // Unicorn runs the HLT too; the kit shows the next line's address, or 1000H when no line
    // follows.
    void checkHalt(int line) {
        const std::uint16_t ip = ucReg(UC_X86_REG_IP);
        if (lineOf(ip) != line || ucStep(false) != UC_ERR_OK) {
            fail(line, formatText("the kit halted, Unicorn is at %04XH", ip));
            return;
        }
        const std::uint16_t ucIp = ucReg(UC_X86_REG_IP);
        if (driver_.lastIP() != ucIp && !(lineOf(ucIp) == -1 && driver_.lastIP() == kMemoryFirst)) {
            fail(line, formatText("IP after HLT: kit %04X, Unicorn %04X", driver_.lastIP(), ucIp));
            return;
        }
        done_ = true;
        result_.agreed = true;
    }

    // The kit refused the instruction on `line`, which Unicorn has run: agreed when the kit
    // said a deliberate difference's message. A divide error must be Unicorn's too, and leave
    // the kit as it was.
    void refused(int line) {
        const auto& all = deliberateDifferences();
        const auto rule = std::find_if(all.begin(), all.end(), [this](const auto& d) {
            return std::any_of(d.refusals.begin(), d.refusals.end(),
                               [this](const std::string& m) { return contains(sink_.text, m); });
        });
        if (rule == all.end() || (rule->name == kDivideError) != divideError_) {
            fail(line, "the kit refused the instruction: \"" + sink_.text + "\"");
            return;
        }
        if (divideError_) {
            flagsMask_ = static_cast<std::uint16_t>(~kReservedFlagBits);
            const std::string problems =
                registerDifferences(kitRegisters(before_[IP]), ucRegisters(), false) +
                compareMemory();
            if (!problems.empty()) {
                fail(line, "the divide error changed the kit: " + problems);
                return;
            }
        }
        done_ = true;
        result_.agreed = true;
        result_.refusedFor = rule->name;
    }

    void fail(int line, const std::string& what) {
        done_ = true;
        result_.report = formatText("%s: step %llu, line %d: %s\n%s\nkit pane: %s\n",
                                    program_.name.c_str(), static_cast<unsigned long long>(steps_),
                                    line + 1, std::string(trim(buffer_.line(line))).c_str(),
                                    what.c_str(), sink_.text.c_str());
    }

    const DifferentialCase& program_;
    const ScratchFolder folder_;
    const std::string path_ = (folder_ / "program.asm").string();
    CX86TextBuffer buffer_;
    MemoryOutputSink sink_;
    OutputPane pane_{sink_};
    Kit kit_{pane_};
    CollectedBoxes boxes_;
    HeadlessRunHost host_{path_};
    SteadyClock clock_;  // Step reads none
    ExecutionDriver driver_{kit_, buffer_, host_, clock_};
    std::unique_ptr<uc_engine, decltype(&uc_close)> uc_{nullptr, &uc_close};
    std::vector<std::uint16_t> lineMap_;
    DifferentialResult result_;
    Registers before_{};
    DecodedInstruction instruction_;    // the line being compared
    std::uint16_t flagsMask_ = 0xFFFF;  // the FLAGS bits the last comparison looked at
    std::vector<FlagWord> flagWords_;
    std::uint64_t steps_ = 0;
    bool done_ = false;
    bool divideError_ = false;  // Unicorn's last step raised a divide error
};

}  // namespace

DifferentialResult runDifferential(const DifferentialCase& program) {
    return Lockstep(program).run();
}

}  // namespace tarvix::test
