#include "tests/differential/unicorn_harness.h"

#include <unicorn/unicorn.h>
#include <algorithm>
#include <cstring>

#include "common/format.h"
#include "common/message_box.h"
#include "common/output_pane.h"
#include "common/output_sink.h"
#include "common/text.h"
#include "editor/x86_text_buffer.h"
#include "simulator/clock.h"
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

using enum KitDifference;
using enum Handling;

constexpr std::array<DeliberateDifference, 15> kDifferences{{
    {FlagsReservedBits,
     "FLAGS reserved bits",
     "The kit keeps FLAGS as a plain word: 0 after reset (a processor holds bit 1 at 1), and "
     "POPF loads and PUSHF stores bits 1, 3, 5 and 12-15 as they are. The arithmetic, logic, "
     "shift, multiply, adjust and compare instructions set bit 1, clear bits 3, 5, 12, 13 and "
     "15 and keep bit 14; after them only bits 12 and 13 (Unicorn's IOPL) are masked.",
     Masked,
     {},
     {}},
    {HandlersByLabel,
     "Interrupt handlers by label",
     "INT n goes to the label INTn, not through the vector table at 0000H, which is outside the "
     "kit's memory.",
     Avoided,
     {},
     {}},
    {CodeWriteRefused,
     "Program code is read-only",
     "A write into the running program's own instruction bytes is refused, so an editor line "
     "always matches the bytes executed; data lines (DB, DW) stay writable.",
     Recognised,
     {MessageId::CannotReplaceOpcode},
     {}},
    {IretCsZero,
     "IRET pops CS 0000H only",
     "There are no segment registers, so IRET refuses any CS other than 0000H.",
     Avoided,
     {},
     {}},
    {StackBounds,
     "Stack bounds 1000H..2000H",
     "PUSH refuses when SP is at or below 1000H and POP when SP is at or above 2000H, instead of "
     "wrapping around the 64 KB segment.",
     Recognised,
     {MessageId::OutOfStackSpace, MessageId::StackEmpty},
     {}},
    {MemoryWindow,
     "Memory window 1000H..1FFFH",
     "Only the 4 KB window exists: an access outside it, a word at 1FFFH, or XLAT's BX+AL past "
     "1FFFH (added without 16-bit wrap) is refused.",
     Recognised,
     {MessageId::AddressOutsideMemory},
     {}},
    {TargetsAreLines,
     "Control transfers land on lines",
     "The kit executes source lines: RET and indirect jumps and calls must reach the address of "
     "an instruction line.",
     Recognised,
     {MessageId::InvalidIpFromStack},
     "Invalid IP"},
    {ReturnSkipsData,
     "Return address is the next line",
     "CALL pushes the address of the next instruction line, so DB/DW lines right after a CALL "
     "are skipped where a processor would return into them.",
     Avoided,
     {},
     {}},
    {NoSegmentRegisters,
     "No segment registers",
     "Every segment is 0000H and no instruction names CS, DS, ES or SS.",
     Avoided,
     {},
     {}},
    {NoTrapInterrupt,
     "No single-step trap",
     "TF is a plain FLAGS bit: POPF may set it, but no type-1 interrupt follows each "
     "instruction; Step already stops after every line.",
     Avoided,
     {},
     {}},
    {HaltedIpDisplay,
     "IP after HLT",
     "After HLT the kit shows the next instruction line's address, or 1000H when no line "
     "follows.",
     Masked,
     {},
     {}},
    {DivideErrorStops,
     "A divide error stops the run",
     "DIV or IDIV by 0, or with a quotient too large, reports the type-0 interrupt and stops "
     "with registers and FLAGS unchanged, instead of entering a handler through the vector "
     "table at 0000H.",
     Recognised,
     {},
     "type-0 interrupt"},
    {RefusedForms,
     "Forms the kit refuses",
     "REP, REPZ and REPNZ are no kit mnemonics, and REPE or REPNE before LODSB or LODSW, which "
     "would only keep the last element, is refused, although the assembler encodes them all.",
     Recognised,
     {MessageId::UnsupportedInstruction, MessageId::ErrorInInstructionFormat},
     {}},
    {IdivQuotientRange,
     "IDIV quotient range",
     "IDIV accepts the quotients -128 (byte) and -32768 (word), as processors from the 80286 "
     "on do; the 8086 raises a divide error for them.",
     AsUnicorn,
     {},
     {}},
    {ShiftCountModulo32,
     "Shift counts modulo 32",
     "Shifts and rotates by CL count only its low five bits (RCL and RCR then modulo 9 or 17), "
     "as processors from the 80186 on do; the 8086 shifts by the whole of CL.",
     AsUnicorn,
     {},
     {}},
}};

// FLAGS bits a real processor forces (1, 3, 5, 12..15): the kit keeps FLAGS as a plain word.
constexpr std::uint16_t kReservedFlagBits = 0xF02A;

// A safety net: every program given here halts.
constexpr std::uint64_t kInstructionLimit = 300000;

// Registers as compared, in report order.
enum Reg { AX, BX, CX, DX, SI, DI, BP, SP, IP, FLAGS, kRegCount };
constexpr std::array<const char*, kRegCount> kRegNames = {"AX", "BX", "CX", "DX", "SI",
                                                          "DI", "BP", "SP", "IP", "FLAGS"};
constexpr std::array<int, kRegCount> kUnicornRegs = {
    UC_X86_REG_AX, UC_X86_REG_BX, UC_X86_REG_CX, UC_X86_REG_DX, UC_X86_REG_SI,
    UC_X86_REG_DI, UC_X86_REG_BP, UC_X86_REG_SP, UC_X86_REG_IP, UC_X86_REG_EFLAGS};
using Registers = std::array<std::uint16_t, kRegCount>;

bool isOneOf(std::string_view word, std::initializer_list<std::string_view> words) {
    return std::find(words.begin(), words.end(), word) != words.end();
}

// Whether the instruction stores FLAGS by the flag image rule (bit 1 set; bits 3, 5, 12, 13
// and 15 clear), given its lower-case mnemonic, first operand and CX before it.
bool followsFlagImage(std::string_view m, std::string_view dest, std::uint16_t cx) {
    if (isOneOf(m, {"repe", "repne"})) {
        return cx != 0 && isOneOf(toLower(trim(dest)), {"scasb", "scasw", "cmpsb", "cmpsw"});
    }
    return isOneOf(m, {"add", "sub",  "cmp", "inc", "dec",   "adc",   "sbb",   "and",  "or",
                       "xor", "test", "not", "neg", "shl",   "sal",   "shr",   "sar",  "rol",
                       "ror", "rcl",  "rcr", "mul", "imul",  "div",   "idiv",  "aaa",  "aas",
                       "daa", "das",  "aam", "aad", "scasb", "scasw", "cmpsb", "cmpsw"});
}

// The rule whose message the kit's pane shows.
std::optional<KitDifference> ruleSaid(std::string_view pane) {
    for (const DeliberateDifference& d : kDifferences) {
        bool said = !d.otherMessage.empty() && contains(pane, d.otherMessage);
        for (const auto& id : d.messages) {
            said = said || (id && contains(pane, messageText(*id)));
        }
        if (said) {
            return d.id;
        }
    }
    return std::nullopt;
}

// Step reads no clock.
class StillClock : public Clock {
public:
    std::int64_t counter() override { return 0; }
    std::int64_t frequency() override { return 0; }
    std::uint64_t milliseconds() override { return 0; }
};

// The kit's internal-fault boxes; any of them is a difference.
class CollectedBoxes : public MessageBoxSink {
public:
    std::string text;
    void showMessageBox(std::string_view box) override { text += std::string(box) + ' '; }
};

Registers kitRegisters(const CpuRegisters& r, std::uint16_t ip) {
    return {r.word(0), r.word(3), r.word(1), r.word(2), r.SI, r.DI, r.BP, r.SP, ip, r.FLAGS};
}

// Unicorn over the whole 64 KB segment 0000H, without hooks: Unicorn 2.0 spoils the flags of
// shifts of memory by CL while a memory hook exists.
class Unicorn {
public:
    Unicorn() {
        error_ = uc_open(UC_ARCH_X86, UC_MODE_16, &uc_);
        if (error_ == UC_ERR_OK) {
            error_ = uc_mem_map(uc_, 0, 0x10000, UC_PROT_ALL);
        }
    }
    ~Unicorn() {
        if (uc_ != nullptr) {
            uc_close(uc_);
        }
    }
    Unicorn(const Unicorn&) = delete;
    Unicorn& operator=(const Unicorn&) = delete;

    uc_err error() const { return error_; }

    bool writeMemory(std::uint16_t address, const std::uint8_t* bytes, std::size_t size) {
        return uc_mem_write(uc_, address, bytes, size) == UC_ERR_OK;
    }
    std::array<std::uint8_t, kMemorySize> window() {
        std::array<std::uint8_t, kMemorySize> bytes{};
        uc_mem_read(uc_, kMemoryFirst, bytes.data(), bytes.size());
        return bytes;
    }
    // A zeroed 64-bit cell: Unicorn reads and writes as many of its low bytes as the register
    // has.
    std::uint16_t reg(int id) {
        std::uint64_t value = 0;
        uc_reg_read(uc_, id, &value);
        return static_cast<std::uint16_t>(value & 0xFFFF);
    }
    void setReg(int id, std::uint16_t word) {
        std::uint64_t value = word;
        uc_reg_write(uc_, id, &value);
    }
    Registers registers() {
        Registers r{};
        for (std::size_t i = 0; i < kRegCount; ++i) {
            r[i] = reg(kUnicornRegs[i]);
        }
        return r;
    }
    // A repeated string instruction runs to its end: Unicorn stops after each pass.
    uc_err step(bool wholeRepetition) {
        const std::uint16_t start = reg(UC_X86_REG_IP);
        for (;;) {
            const uc_err error = uc_emu_start(uc_, start, 0x10000, 0, 1);
            if (error != UC_ERR_OK || !wholeRepetition || reg(UC_X86_REG_IP) != start) {
                return error;
            }
        }
    }

private:
    uc_engine* uc_ = nullptr;
    uc_err error_ = UC_ERR_OK;
};

// A FLAGS word PUSHF stored, compared without the reserved bits while it is still there.
struct FlagWord {
    std::size_t offset;  // from kMemoryFirst
    std::uint16_t value;
};

class Lockstep {
public:
    Lockstep(Kit& kit, const CX86TextBuffer& buffer, const MemoryOutputSink& sink,
             const CollectedBoxes& boxes, Unicorn& unicorn, DifferentialResult& result)
        : kit_(kit),
          buffer_(buffer),
          sink_(sink),
          boxes_(boxes),
          uc_(unicorn),
          lineMap_(kit.image.lineMap),
          result_(result) {}

    // After each instruction the kit executed.
    void onStep(int line) {
        if (done_ || !stepUnicorn(line)) {
            return;
        }
        if (kit_.pane.errorLatched()) {
            // A refusal the kit reports and runs on from (a word read at 1FFFH loads 0).
            refused(line);
        } else if (divideError_) {
            fail(line, "Unicorn raised a divide error, the kit divided");
        } else if (std::uint16_t ip = 0; !kit_.image.addressAtOrAfterLine(kit_.currentLine, ip)) {
            fail(line, "the kit has no instruction line to go on with");
        } else {
            compare(line, kitRegisters(kit_.cpu.regs, ip));
        }
    }

    // After the kit's run has ended.
    void finish(const ExecutionDriver& driver) {
        if (done_) {
            return;
        }
        const int line = driver.lastLine();
        switch (driver.lastEnding()) {
            case RunEnding::Halted:
                checkHalt(driver);
                return;
            case RunEnding::Error:  // refused with no step observed
                if (stepUnicorn(line)) {
                    refused(line);
                }
                return;
            case RunEnding::Limit:
                fail(line, "the kit did not halt within the instruction limit");
                return;
            default:
                fail(line, "the kit's run ended without halting");
                return;
        }
    }

private:
    int lineOf(std::uint16_t address) const {
        for (std::size_t i = 0; i + 1 < lineMap_.size(); i += 2) {
            if (lineMap_[i] == address) {
                return lineMap_[i + 1];
            }
        }
        return -1;
    }

    // Lines as the dispatcher reads them, mnemonics in lower case; read once each.
    const DecodedLine& decoded(int line) {
        auto& slot = decoded_[static_cast<std::size_t>(line)];
        if (!slot) {
            slot = decodeLine(buffer_.line(line));
            slot->mnemonic = toLower(slot->mnemonic);
        }
        return *slot;
    }

    // Runs Unicorn over the instruction the kit executed on `line`. A divide error is no
    // failure yet: the kit's outcome decides.
    bool stepUnicorn(int line) {
        ++steps_;
        before_ = uc_.registers();
        divideError_ = false;
        if (const int ucLine = lineOf(before_[IP]); ucLine != line) {
            fail(line, formatText("the kit executed line %d, Unicorn is at %04XH (line %d)",
                                  line + 1, before_[IP], ucLine + 1));
            return false;
        }
        const std::string& mnemonic = decoded(line).mnemonic;
        const uc_err error = uc_.step(mnemonic.starts_with("rep"));
        divideError_ = error == UC_ERR_EXCEPTION && isOneOf(mnemonic, {"div", "idiv"});
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
        const DecodedLine& instruction = decoded(line);
        const Registers uc = uc_.registers();
        std::string problems;
        // Under the flag image rule bits 1, 3, 5, 14 and 15 are as on Unicorn, whose IOPL
        // bits 12 and 13 survive the arithmetic while the kit clears them.
        const bool image = followsFlagImage(instruction.mnemonic, instruction.dest, before_[CX]);
        constexpr std::uint16_t kIoplBits = 0x3000;
        flagsMask_ = static_cast<std::uint16_t>(~(image ? kIoplBits : kReservedFlagBits));
        if (image && (kit[FLAGS] & kIoplBits) != 0) {
            problems += "FLAGS bits 12 and 13 not cleared by the flag image rule; ";
        }
        problems += registerDifferences(kit, uc, true);
        if (instruction.mnemonic == "pushf") {
            flagWords_.push_back({static_cast<std::size_t>(uc[SP] - kMemoryFirst), uc[FLAGS]});
        }
        problems += compareMemory();
        if (!boxes_.text.empty()) {
            problems += "internal report " + boxes_.text;
        }
        if (!problems.empty()) {
            fail(line, problems, &kit, &uc);
            return;
        }
        ++result_.instructions;
    }

    std::string compareMemory() {
        const auto uc = uc_.window();
        const auto& kit = kit_.cpu.memory.bytes();
        if (std::memcmp(uc.data(), kit.data(), kMemorySize) == 0) {
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

    void checkHalt(const ExecutionDriver& driver) {
        const std::uint16_t ip = uc_.reg(UC_X86_REG_IP);
        if (lineOf(ip) != driver.lastLine() || uc_.step(false) != UC_ERR_OK) {
            fail(driver.lastLine(), formatText("the kit halted on line %d, Unicorn is at %04XH",
                                               driver.lastLine() + 1, ip));
            return;
        }
        // The kit shows the next line's address, or 1000H when nothing follows.
        const std::uint16_t ucIp = uc_.reg(UC_X86_REG_IP);
        if (driver.lastIP() != ucIp && !(lineOf(ucIp) == -1 && driver.lastIP() == kMemoryFirst)) {
            fail(driver.lastLine(),
                 formatText("IP after HLT: kit %04X, Unicorn %04X", driver.lastIP(), ucIp));
            return;
        }
        done_ = true;
        result_.agreed = true;
    }

    // The kit refused the instruction on `line`, which Unicorn has run: agreed when the kit
    // said a deliberate difference's message. A divide error must be Unicorn's too, and leave
    // the kit as it was.
    void refused(int line) {
        const std::optional<KitDifference> rule = ruleSaid(sink_.text);
        if (!rule) {
            fail(line, "the kit refused the instruction: \"" + sink_.text + "\"");
            return;
        }
        if ((rule == DivideErrorStops) != divideError_) {
            fail(line, "the kit and Unicorn disagree on a divide error: \"" + sink_.text + "\"");
            return;
        }
        if (divideError_) {
            flagsMask_ = static_cast<std::uint16_t>(~kReservedFlagBits);
            const Registers kit = kitRegisters(kit_.cpu.regs, before_[IP]);
            const Registers uc = uc_.registers();
            const std::string problems = registerDifferences(kit, uc, false) + compareMemory();
            if (!problems.empty()) {
                fail(line, "the divide error changed the kit: " + problems, &kit, &uc);
                return;
            }
        }
        done_ = true;
        result_.agreed = true;
        result_.refusedFor = rule;
    }

    void fail(int line, std::string_view what, const Registers* kit = nullptr,
              const Registers* uc = nullptr) {
        done_ = true;
        std::string& r = result_.report;
        r += formatText("step %llu, line %d: %s\n%s\n", static_cast<unsigned long long>(steps_),
                        line + 1, std::string(trim(buffer_.line(line))).c_str(),
                        std::string(what).c_str());
        if (kit != nullptr && uc != nullptr) {
            r += "        kit    Unicorn  Unicorn before\n";
            for (std::size_t i = 0; i < kRegCount; ++i) {
                r += formatText("%-6s  %04X   %04X     %04X\n", kRegNames[i], (*kit)[i], (*uc)[i],
                                before_[i]);
            }
        }
        r += "program:\n";
        for (int i = 0; i < buffer_.lineCount(); ++i) {
            r += formatText("%s%3d  %s\n", i == line ? "=>" : "  ", i + 1,
                            std::string(buffer_.line(i)).c_str());
        }
        r += "kit pane: " + sink_.text + '\n';
    }

    Kit& kit_;
    const CX86TextBuffer& buffer_;
    const MemoryOutputSink& sink_;
    const CollectedBoxes& boxes_;
    Unicorn& uc_;
    const std::vector<std::uint16_t> lineMap_;
    DifferentialResult& result_;
    Registers before_{};
    std::uint16_t flagsMask_ = 0xFFFF;  // the FLAGS bits the last comparison looked at
    std::vector<FlagWord> flagWords_;
    std::vector<std::optional<DecodedLine>> decoded_ =
        std::vector<std::optional<DecodedLine>>(static_cast<std::size_t>(buffer_.lineCount()));
    std::uint64_t steps_ = 0;
    bool done_ = false;
    bool divideError_ = false;  // Unicorn's last step raised a divide error
};

}  // namespace

const DeliberateDifference& deliberateDifference(KitDifference id) {
    return *std::find_if(kDifferences.begin(), kDifferences.end(),
                         [id](const DeliberateDifference& d) { return d.id == id; });
}

DifferentialResult runDifferential(const DifferentialCase& program) {
    DifferentialResult result;
    const auto failed = [&](std::string why) {
        result.report = program.name + ": " + why;
        return result;
    };
    const ScratchFolder folder;
    const std::string path = (folder / "program.asm").string();
    writeFile(path, program.source);
    CX86TextBuffer buffer;
    if (!buffer.loadFile(path)) {
        return failed("the editor buffer cannot load the program");
    }
    MemoryOutputSink sink;
    OutputPane pane(sink);
    Kit kit(pane);
    sink.lineSource = &kit.currentLine;
    CollectedBoxes boxes;
    kit.cpu.regs.setMessageBoxSink(&boxes);
    HeadlessRunHost host(path);
    StillClock clock;
    ExecutionDriver driver(kit, buffer, host, clock);
    for (const MemoryBlock& block : program.memory) {
        for (std::size_t i = 0; i < block.bytes.size(); ++i) {
            kit.cpu.memory.writeByte(static_cast<std::uint16_t>(block.address + i), block.bytes[i]);
        }
    }
    // The loader the driver uses, run once more beforehand: Unicorn starts from the memory
    // exactly as the kit loads it, and from the same line map.
    if (!assembleAndLoad(kit, buffer.lineCount(), host) || !buildProgramImage(kit, path)) {
        return failed("the kit cannot assemble the program: " + sink.text);
    }
    const std::vector<std::uint16_t>& code = kit.image.codeRanges;
    result.codeEnd = code.empty() ? kMemoryFirst : static_cast<std::uint16_t>(code.back() + 1);

    Unicorn uc;
    const auto& loaded = kit.cpu.memory.bytes();
    if (uc.error() != UC_ERR_OK || !uc.writeMemory(kMemoryFirst, loaded.data(), loaded.size())) {
        return failed(std::string("Unicorn: ") + uc_strerror(uc.error()));
    }
    for (const int segment : {UC_X86_REG_CS, UC_X86_REG_DS, UC_X86_REG_SS, UC_X86_REG_ES}) {
        uc.setReg(segment, 0);
    }
    const Registers reset = kitRegisters(CpuRegisters{}, kMemoryFirst);
    for (std::size_t i = 0; i < kRegCount; ++i) {
        uc.setReg(kUnicornRegs[i], reset[i]);
    }
    uc.setReg(UC_X86_REG_EFLAGS, 0x0002);  // bit 1 is always set on a processor

    Lockstep lockstep(kit, buffer, sink, boxes, uc, result);
    kit.image.clear();  // else the driver's own load would meet "code" it may not replace
    driver.setInstructionLimit(kInstructionLimit);
    driver.setInstructionObserver([&lockstep](int line) { lockstep.onStep(line); });
    driver.step();
    lockstep.finish(driver);
    if (!result.agreed) {
        result.report = program.name + ": " + result.report;
    }
    return result;
}

}  // namespace tarvix::test
