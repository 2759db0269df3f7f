#include "tests/differential/unicorn_harness.h"

#include <unicorn/unicorn.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>

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
#include "simulator/run_host.h"

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

// Bits 12 and 13: IOPL on Unicorn's processor, which keeps them where the kit clears them.
constexpr std::uint16_t kIoplBits = 0x3000;

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
// and 15 clear), given its mnemonic and first operand texts and CX before it.
bool followsFlagImage(std::string_view mnemonic, std::string_view dest, std::uint16_t cx) {
    const std::string m = toLower(mnemonic);
    if (isOneOf(m, {"repe", "repne"})) {
        return cx != 0 && isOneOf(toLower(trim(dest)), {"scasb", "scasw", "cmpsb", "cmpsw"});
    }
    return isOneOf(m, {"add", "sub",  "cmp", "inc", "dec",   "adc",   "sbb",   "and",  "or",
                       "xor", "test", "not", "neg", "shl",   "sal",   "shr",   "sar",  "rol",
                       "ror", "rcl",  "rcr", "mul", "imul",  "div",   "idiv",  "aaa",  "aas",
                       "daa", "das",  "aam", "aad", "scasb", "scasw", "cmpsb", "cmpsw"});
}

// --- The kit's side ----------------------------------------------------------------------

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

// A private folder for the source and its list file, removed with everything in it.
class TempFolder {
public:
    TempFolder() {
        std::error_code error;
        std::filesystem::path base = std::filesystem::temp_directory_path(error);
        if (error) {
            base = "/tmp";
        }
        std::string pattern = (base / "tarvix-diff-XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr) {
            path_ = pattern;
        }
    }
    ~TempFolder() {
        if (!path_.empty()) {
            std::error_code ignored;
            std::filesystem::remove_all(path_, ignored);
        }
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

Registers kitRegisters(const CpuRegisters& r, std::uint16_t ip) {
    return {r.word(0), r.word(3), r.word(1), r.word(2), r.SI, r.DI, r.BP, r.SP, ip, r.FLAGS};
}

// --- Unicorn's side ----------------------------------------------------------------------

struct Access {
    bool write = false;
    std::uint32_t address = 0;
    std::uint32_t size = 0;
};

class Unicorn {
public:
    // Without `watchAccesses`, `accesses` stays empty.
    explicit Unicorn(bool watchAccesses = true) {
        error_ = uc_open(UC_ARCH_X86, UC_MODE_16, &uc_);
        if (error_ == UC_ERR_OK) {
            error_ = uc_mem_map(uc_, 0, 0x10000, UC_PROT_ALL);
        }
        if (error_ == UC_ERR_OK && watchAccesses) {
            error_ = uc_hook_add(uc_, &hook_, UC_HOOK_MEM_READ | UC_HOOK_MEM_WRITE,
                                 reinterpret_cast<void*>(&Unicorn::onAccess), this, 1, 0);
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

    std::vector<Access> accesses;

    bool writeMemory(std::uint16_t address, const std::uint8_t* bytes, std::size_t size) {
        return uc_mem_write(uc_, address, bytes, size) == UC_ERR_OK;
    }
    std::array<std::uint8_t, kMemorySize> window() {
        std::array<std::uint8_t, kMemorySize> bytes{};
        uc_mem_read(uc_, kMemoryFirst, bytes.data(), bytes.size());
        return bytes;
    }
    std::uint8_t byteAt(std::uint16_t address) {
        std::uint8_t byte = 0;
        uc_mem_read(uc_, address, &byte, 1);
        return byte;
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
        for (int i = 0; i < kRegCount; ++i) {
            r[static_cast<std::size_t>(i)] = reg(kUnicornRegs[static_cast<std::size_t>(i)]);
        }
        return r;
    }

    // Unicorn 2.0 spoils the status flags of SHL, SHR and SAR of memory by CL while a write
    // hook exists (a value is lost across the hook's call). Such a step takes its FLAGS from
    // an engine without hooks, run from the same registers and memory.
    uc_err stepWithUnhookedFlags() {
        if (!unhooked_) {
            unhooked_ = std::make_unique<Unicorn>(false);
        }
        const auto bytes = window();
        unhooked_->writeMemory(kMemoryFirst, bytes.data(), bytes.size());
        for (const int id : kUnicornRegs) {
            unhooked_->setReg(id, reg(id));
        }
        const uc_err unhookedError = unhooked_->step(false);
        const uc_err error = step(false);
        if (error == UC_ERR_OK && unhookedError == UC_ERR_OK) {
            setReg(UC_X86_REG_EFLAGS, unhooked_->reg(UC_X86_REG_EFLAGS));
        }
        return error;
    }

    // A repeated string instruction runs to its end: Unicorn stops after each pass.
    uc_err step(bool wholeRepetition) {
        accesses.clear();
        const std::uint16_t start = reg(UC_X86_REG_IP);
        for (;;) {
            const uc_err error = uc_emu_start(uc_, start, 0x10000, 0, 1);
            if (error != UC_ERR_OK || !wholeRepetition || reg(UC_X86_REG_IP) != start) {
                return error;
            }
        }
    }

private:
    static void onAccess(uc_engine*, uc_mem_type type, std::uint64_t address, int size,
                         std::int64_t, void* self) {
        static_cast<Unicorn*>(self)->accesses.push_back({type == UC_MEM_WRITE,
                                                         static_cast<std::uint32_t>(address),
                                                         static_cast<std::uint32_t>(size)});
    }

    uc_engine* uc_ = nullptr;
    uc_hook hook_ = 0;
    uc_err error_ = UC_ERR_OK;
    std::unique_ptr<Unicorn> unhooked_;
};

// --- The lockstep comparison -------------------------------------------------------------

class Lockstep {
public:
    Lockstep(Kit& kit, const CX86TextBuffer& buffer, const MemoryOutputSink& sink,
             const CollectedBoxes& boxes, Unicorn& unicorn, std::vector<std::uint16_t> lineMap,
             std::vector<std::uint16_t> codeRanges, DifferentialResult& result)
        : kit_(kit),
          buffer_(buffer),
          sink_(sink),
          boxes_(boxes),
          uc_(unicorn),
          lineMap_(std::move(lineMap)),
          codeRanges_(std::move(codeRanges)),
          result_(result) {}

    // After each instruction the kit executed.
    void onStep(int line) {
        if (done_) {
            return;
        }
        ++steps_;
        if (!stepUnicorn(line)) {
            return;
        }
        if (kit_.pane.errorLatched()) {
            // A refusal the kit reports and runs on from (a word read at 1FFFH loads 0).
            classifyRefusal(line);
            return;
        }
        if (divideError_) {
            fail(line, "Unicorn raised a divide error, the kit divided");
            return;
        }
        std::uint16_t kitIp = 0;
        if (!kit_.image.addressAtOrAfterLine(kit_.currentLine, kitIp)) {
            fail(line, "the kit has no instruction line to go on with");
            return;
        }
        compare(line, kitRegisters(kit_.cpu.regs, kitIp));
    }

    // After the kit's run has ended.
    void finish(const ExecutionDriver& driver) {
        if (done_) {
            return;
        }
        switch (driver.lastEnding()) {
            case RunEnding::Halted:
                checkHalt(driver);
                return;
            case RunEnding::Error:
                // Refused with no step observed: Unicorn runs the instruction, and a rule must
                // account for what it did.
                ++steps_;
                if (stepUnicorn(driver.lastLine())) {
                    classifyRefusal(driver.lastLine());
                }
                return;
            case RunEnding::Limit:
                fail(driver.lastLine(), "the kit did not halt within the instruction limit");
                return;
            default:
                fail(driver.lastLine(), "the kit's run ended without halting");
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

    bool isCode(std::uint32_t address) const {
        for (std::size_t i = 0; i + 1 < codeRanges_.size(); i += 2) {
            if (codeRanges_[i] <= address && address <= codeRanges_[i + 1]) {
                return true;
            }
        }
        return false;
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
        before_ = uc_.registers();
        divideError_ = false;
        const int ucLine = lineOf(before_[IP]);
        if (ucLine != line) {
            fail(line, formatText("the kit executed line %d, Unicorn is at %04XH (line %d)",
                                  line + 1, before_[IP], ucLine + 1));
            return false;
        }
        const DecodedLine& instruction = decoded(line);
        const std::string& mnemonic = instruction.mnemonic;
        const bool shiftsMemoryByCl = isOneOf(mnemonic, {"shl", "sal", "shr", "sar"}) &&
                                      contains(instruction.dest, "[") &&
                                      equalsIgnoreCase(instruction.source, "cl");
        const uc_err error =
            shiftsMemoryByCl ? uc_.stepWithUnhookedFlags() : uc_.step(mnemonic.starts_with("rep"));
        if (error == UC_ERR_EXCEPTION && isOneOf(mnemonic, {"div", "idiv"})) {
            divideError_ = true;
            return true;
        }
        if (error != UC_ERR_OK) {
            fail(line, std::string("Unicorn stopped: ") + uc_strerror(error));
            return false;
        }
        return true;
    }

    // The registers that differ, FLAGS through flagsMask_; IP only when asked.
    std::string registerDifferences(const Registers& kit, const Registers& uc, bool withIp) const {
        std::string problems;
        for (int i = 0; i < kRegCount; ++i) {
            const auto index = static_cast<std::size_t>(i);
            const std::uint16_t mask = i == FLAGS ? flagsMask_ : 0xFFFF;
            if ((i != IP || withIp) && (kit[index] & mask) != (uc[index] & mask)) {
                problems += formatText("%s kit %04X, Unicorn %04X (compared bits %04X); ",
                                       kRegNames[index], kit[index], uc[index], mask);
            }
        }
        return problems;
    }

    void compare(int line, const Registers& kit) {
        const DecodedLine& instruction = decoded(line);
        const std::string& mnemonic = instruction.mnemonic;
        const Registers uc = uc_.registers();
        std::string problems;
        // Under the flag image rule bits 1, 3, 5, 14 and 15 are as on Unicorn, whose IOPL
        // bits 12 and 13 survive the arithmetic while the kit clears them.
        const bool image = followsFlagImage(mnemonic, instruction.dest, before_[CX]);
        flagsMask_ = static_cast<std::uint16_t>(~(image ? kIoplBits : kReservedFlagBits));
        if (image && (kit[FLAGS] & kIoplBits) != 0) {
            problems += "FLAGS bits 12 and 13 not cleared by the flag image rule; ";
        }
        problems += registerDifferences(kit, uc, true);
        for (const Access& access : uc_.accesses) {
            if (access.address < kMemoryFirst ||
                access.address + access.size > kMemoryFirst + kMemorySize) {
                problems += formatText(
                    "Unicorn %s %04XH outside the window, the kit did not "
                    "refuse; ",
                    access.write ? "wrote" : "read", access.address);
            }
        }
        updateFlagWords(mnemonic, uc[SP]);
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

    // Words that hold FLAGS as PUSHF stored them are compared without the reserved bits;
    // any later write there makes them plain data again.
    void updateFlagWords(std::string_view mnemonic, std::uint16_t sp) {
        std::erase_if(flagWords_, [&](std::uint16_t word) {
            return std::any_of(uc_.accesses.begin(), uc_.accesses.end(), [&](const Access& a) {
                return a.write && a.address < word + 2u && word < a.address + a.size;
            });
        });
        if (mnemonic == "pushf") {
            flagWords_.push_back(sp);
        }
    }

    std::string compareMemory() {
        const auto uc = uc_.window();
        const auto& kit = kit_.cpu.memory.bytes();
        if (std::memcmp(uc.data(), kit.data(), kMemorySize) == 0) {
            return {};
        }
        std::array<std::uint8_t, kMemorySize> mask;
        mask.fill(0xFF);
        for (const std::uint16_t word : flagWords_) {
            const std::size_t i = word - kMemoryFirst;
            if (i + 1 < kMemorySize) {
                mask[i] = static_cast<std::uint8_t>(~kReservedFlagBits & 0xFF);
                mask[i + 1] = static_cast<std::uint8_t>(~kReservedFlagBits >> 8 & 0xFF);
            }
        }
        std::string problems;
        int shown = 0;
        for (std::size_t i = 0; i < kMemorySize && shown < 8; ++i) {
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
        if (lineOf(ip) != driver.lastLine() || uc_.byteAt(ip) != 0xF4) {
            fail(driver.lastLine(),
                 formatText("the kit halted on line %d, Unicorn is at %04XH (byte %02X)",
                            driver.lastLine() + 1, ip, uc_.byteAt(ip)));
            return;
        }
        if (const uc_err error = uc_.step(false); error != UC_ERR_OK) {
            fail(driver.lastLine(), std::string("Unicorn stopped on HLT: ") + uc_strerror(error));
            return;
        }
        // The kit shows the next line's address, or 1000H when nothing follows.
        const std::uint16_t ucIp = uc_.reg(UC_X86_REG_IP);
        const bool lastLine = lineOf(ucIp) == -1;
        if (driver.lastIP() != ucIp && !(lastLine && driver.lastIP() == kMemoryFirst)) {
            fail(driver.lastLine(),
                 formatText("IP after HLT: kit %04X, Unicorn %04X", driver.lastIP(), ucIp));
            return;
        }
        done_ = true;
        result_.agreed = true;
    }

    // The kit refused the instruction on `line`; Unicorn has run it. Explained when Unicorn's
    // step is the case of a rule and the kit said that rule's message.
    void classifyRefusal(int line) {
        const DecodedLine& instruction = decoded(line);
        const std::string& mnemonic = instruction.mnemonic;
        const bool pushes = isOneOf(mnemonic, {"push", "pushf", "call", "int", "into"});
        const bool pops = isOneOf(mnemonic, {"pop", "popf", "ret", "iret"});
        const bool wroteCode =
            std::any_of(uc_.accesses.begin(), uc_.accesses.end(), [&](const Access& a) {
                return a.write && (isCode(a.address) || isCode(a.address + a.size - 1));
            });
        const bool outside =
            std::any_of(uc_.accesses.begin(), uc_.accesses.end(), [](const Access& a) {
                return a.address < kMemoryFirst || a.address + a.size > kMemoryFirst + kMemorySize;
            });
        const bool offLine = lineOf(uc_.reg(UC_X86_REG_IP)) == -1;

        const bool repeatedLoad = isOneOf(mnemonic, {"repe", "repne"}) &&
                                  isOneOf(toLower(instruction.dest), {"lodsb", "lodsw"});

        std::optional<KitDifference> rule;
        if (isOneOf(mnemonic, {"rep", "repz", "repnz"}) || repeatedLoad) {
            rule = RefusedForms;
        } else if ((pushes && before_[SP] <= kMemoryFirst) || (pops && before_[SP] >= kStackTop)) {
            rule = StackBounds;
        } else if (wroteCode) {
            rule = CodeWriteRefused;
        } else if (outside) {
            rule = MemoryWindow;
        } else if (divideError_) {
            rule = DivideErrorStops;
        } else if (offLine) {
            rule = TargetsAreLines;
        }
        if (rule) {
            const DeliberateDifference& d = deliberateDifference(*rule);
            bool said = !d.otherMessage.empty() && contains(sink_.text, d.otherMessage);
            for (const auto& id : d.messages) {
                said = said || (id && contains(sink_.text, messageText(*id)));
            }
            if (said && rule == DivideErrorStops) {
                // Unicorn stopped before the instruction: the kit must have changed nothing.
                flagsMask_ = static_cast<std::uint16_t>(~kReservedFlagBits);
                const Registers kit = kitRegisters(kit_.cpu.regs, before_[IP]);
                const Registers uc = uc_.registers();
                const std::string problems = registerDifferences(kit, uc, false) + compareMemory();
                if (!problems.empty()) {
                    fail(line, "the divide error changed the kit: " + problems, &kit, &uc);
                    return;
                }
            }
            if (said) {
                done_ = true;
                result_.agreed = true;
                result_.refusedFor = rule;
                return;
            }
        }
        fail(line, "the kit refused the instruction: \"" + sink_.text + "\"" +
                       (rule ? " (Unicorn's step fits \"" +
                                   std::string(deliberateDifference(*rule).name) +
                                   "\", but not the kit's message)"
                             : " (no deliberate difference explains it)"));
    }

    void fail(int line, std::string_view what, const Registers* kit = nullptr,
              const Registers* uc = nullptr) {
        done_ = true;
        result_.agreed = false;
        std::string& r = result_.report;
        r += formatText("step %llu, line %d: %s\n", static_cast<unsigned long long>(steps_),
                        line + 1, std::string(trim(buffer_.line(line))).c_str());
        r += std::string(what) + '\n';
        if (kit != nullptr && uc != nullptr) {
            r += "        kit    Unicorn  Unicorn before\n";
            for (std::size_t i = 0; i < kRegCount; ++i) {
                const std::uint16_t mask = i == FLAGS ? flagsMask_ : 0xFFFF;
                const bool differs = ((*kit)[i] & mask) != ((*uc)[i] & mask);
                r += formatText("%-6s  %04X   %04X     %04X%s\n", kRegNames[i], (*kit)[i], (*uc)[i],
                                before_[i], differs ? "  *" : "");
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
    const std::vector<std::uint16_t> codeRanges_;
    DifferentialResult& result_;
    Registers before_{};
    std::uint16_t flagsMask_ = 0xFFFF;  // the FLAGS bits the last comparison looked at
    std::vector<std::uint16_t> flagWords_;
    std::vector<std::optional<DecodedLine>> decoded_ =
        std::vector<std::optional<DecodedLine>>(static_cast<std::size_t>(buffer_.lineCount()));
    std::uint64_t steps_ = 0;
    bool done_ = false;
    bool divideError_ = false;  // Unicorn's last step raised a divide error
};

DifferentialResult failed(std::string why) {
    DifferentialResult result;
    result.report = std::move(why);
    return result;
}

}  // namespace

const DeliberateDifference& deliberateDifference(KitDifference id) {
    return *std::find_if(kDifferences.begin(), kDifferences.end(),
                         [id](const DeliberateDifference& d) { return d.id == id; });
}

DifferentialResult runDifferential(const DifferentialCase& program) {
    TempFolder folder;
    if (folder.path().empty()) {
        return failed("cannot create a temporary folder");
    }
    const std::string path = (folder.path() / "program.asm").string();
    {
        std::ofstream out(path, std::ios::binary);
        out << program.source;
        if (!out) {
            return failed("cannot write " + path);
        }
    }

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
            const auto address = static_cast<std::uint16_t>(block.address + i);
            if (!kit.cpu.memory.writeByte(address, block.bytes[i])) {
                return failed(formatText("initial memory at %04XH is outside the window", address));
            }
        }
    }
    // The loader the driver uses, run once more beforehand: Unicorn starts from the memory
    // exactly as the kit loads it, and from the same line map.
    if (!assembleAndLoad(kit, buffer.lineCount(), host)) {
        return failed("the kit cannot assemble the program: " + sink.text);
    }
    if (!buildProgramImage(kit, path)) {
        return failed("the kit cannot read its list file");
    }
    std::vector<std::uint16_t> lineMap = kit.image.lineMap;
    std::vector<std::uint16_t> codeRanges = kit.image.codeRanges;
    kit.image.clear();  // else the driver's own load would meet "code" it may not replace

    Unicorn uc;
    if (uc.error() != UC_ERR_OK) {
        return failed(std::string("Unicorn: ") + uc_strerror(uc.error()));
    }
    const auto& loaded = kit.cpu.memory.bytes();
    if (!uc.writeMemory(kMemoryFirst, loaded.data(), loaded.size())) {
        return failed("Unicorn does not take the program's memory");
    }
    for (const int segment : {UC_X86_REG_CS, UC_X86_REG_DS, UC_X86_REG_SS, UC_X86_REG_ES}) {
        uc.setReg(segment, 0);
    }
    const Registers reset = kitRegisters(CpuRegisters{}, kMemoryFirst);
    for (std::size_t i = 0; i < kRegCount; ++i) {
        uc.setReg(kUnicornRegs[i], reset[i]);
    }
    uc.setReg(UC_X86_REG_EFLAGS, 0x0002);  // bit 1 is always set on a processor

    DifferentialResult result;
    result.codeEnd =
        codeRanges.empty() ? kMemoryFirst : static_cast<std::uint16_t>(codeRanges.back() + 1);
    Lockstep lockstep(kit, buffer, sink, boxes, uc, std::move(lineMap), std::move(codeRanges),
                      result);
    driver.setInstructionLimit(kInstructionLimit);
    driver.setInstructionObserver([&lockstep](int line) { lockstep.onStep(line); });
    driver.step();
    lockstep.finish(driver);
    if (!result.agreed && !program.name.empty()) {
        result.report = program.name + ": " + result.report;
    }
    return result;
}

}  // namespace tarvix::test
