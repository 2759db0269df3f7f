#include "tests/differential/random_program.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>
#include <random>
#include <string_view>
#include <vector>

#include "common/format.h"
#include "common/text.h"
#include "simulator/cpu_registers.h"
#include "tests/differential/instruction_cases.h"

namespace tarvix::test {

namespace {

// Base registers keep values the generator knows to be safe on every path: BX and BP always
// point into the data area; SI and DI each play one role for the whole program, a pointer
// like BX or a small index added to BX or BP.
enum class Role { Pointer, Index };
constexpr std::uint16_t kPointerFirst = 0x1800;
constexpr std::uint16_t kPointerLast = 0x1B00;
constexpr std::uint16_t kIndexLast = 0x0200;
constexpr std::uint16_t kDirectFirst = 0x1800;
constexpr std::uint16_t kDirectLast = 0x1EFE;
static_assert(kPointerLast + kIndexLast + 0xFF + 2 <= kStackFloor);
static_assert(kPointerFirst - 0x80 >= kDataFirst);

// What a word on the stack may be popped into.
enum class Item {
    Any,      // general registers or memory
    Pointer,  // also BX, BP and pointer-role SI/DI
    Index,    // also index-role SI/DI
    Flags,    // from PUSHF: only POPF takes it back
    Owned,    // pushed by a compound statement that pops it itself
};

struct Context {
    bool cxReserved = false;      // inside a LOOP body or a procedure: CX is not written
    bool keepConditions = false;  // CF, PF, ZF, SF and OF must not change (POPF-driven loop)
    int depth = 0;
};

struct Procedure {
    std::string name;
    bool keepsConditions = false;
    int stackWords = 0;  // the most it pushes, its own calls included
};

struct Conditions {
    bool cf, zf, sf, of, pf;
};

struct ConditionalJump {
    std::string_view mnemonic;
    bool (*holds)(Conditions);
};

// Every conditional jump the kit knows, synonyms included.
constexpr std::array<ConditionalJump, 26> kConditionalJumps = {{
    {"je", [](Conditions c) { return c.zf; }},
    {"jz", [](Conditions c) { return c.zf; }},
    {"jne", [](Conditions c) { return !c.zf; }},
    {"jnz", [](Conditions c) { return !c.zf; }},
    {"ja", [](Conditions c) { return !c.cf && !c.zf; }},
    {"jae", [](Conditions c) { return !c.cf; }},
    {"jnb", [](Conditions c) { return !c.cf; }},
    {"jnc", [](Conditions c) { return !c.cf; }},
    {"jb", [](Conditions c) { return c.cf; }},
    {"jc", [](Conditions c) { return c.cf; }},
    {"jbe", [](Conditions c) { return c.cf || c.zf; }},
    {"jna", [](Conditions c) { return c.cf || c.zf; }},
    {"jg", [](Conditions c) { return !c.zf && c.sf == c.of; }},
    {"jge", [](Conditions c) { return c.sf == c.of; }},
    {"jnl", [](Conditions c) { return c.sf == c.of; }},
    {"jl", [](Conditions c) { return c.sf != c.of; }},
    {"jle", [](Conditions c) { return c.zf || c.sf != c.of; }},
    {"jng", [](Conditions c) { return c.zf || c.sf != c.of; }},
    {"jo", [](Conditions c) { return c.of; }},
    {"jno", [](Conditions c) { return !c.of; }},
    {"js", [](Conditions c) { return c.sf; }},
    {"jns", [](Conditions c) { return !c.sf; }},
    {"jp", [](Conditions c) { return c.pf; }},
    {"jpe", [](Conditions c) { return c.pf; }},
    {"jnp", [](Conditions c) { return !c.pf; }},
    {"jpo", [](Conditions c) { return !c.pf; }},
}};

bool conditionHolds(const ConditionalJump& jump, std::uint16_t flags) {
    return jump.holds({(flags & kCarryFlag) != 0, (flags & kZeroFlag) != 0,
                       (flags & kSignFlag) != 0, (flags & kOverflowFlag) != 0,
                       (flags & kParityFlag) != 0});
}

class Generator {
public:
    explicit Generator(std::uint64_t seed) : rng_(seed) {}

    DifferentialCase generate(const GeneratorOptions& options);

private:
    // --- randomness ---
    std::uint64_t below(std::uint64_t n) { return n == 0 ? 0 : rng_() % n; }
    bool chance(int percent) { return below(100) < static_cast<std::uint64_t>(percent); }
    std::uint16_t between(unsigned first, unsigned last) {
        return static_cast<std::uint16_t>(first + below(last - first + 1));
    }
    template <typename T>
    const T& pick(const std::vector<T>& items) {
        return items[static_cast<std::size_t>(below(items.size()))];
    }

    // --- text ---
    std::string hex(unsigned value);
    std::string operands(std::string_view a, std::string_view b) {
        return std::string(a) + (chance(commaSpace_) ? ", " : ",") + std::string(b);
    }
    void emit(std::string instruction);
    void setLabel(const std::string& name);
    std::string newLabel(char prefix) { return formatText("%c%d", prefix, ++labels_); }

    // --- registers and operands ---
    std::optional<Role> roleOf(std::string_view reg) const;
    std::vector<std::string> writableWords(const Context& ctx) const;
    std::vector<std::string> writableBytes(const Context& ctx) const;
    std::vector<std::string> pointersOf(Role role) const;
    std::uint16_t valueFor(std::string_view reg);
    std::string memory();
    std::string memoryWithPrefix(int size, bool required);
    std::uint16_t flagsWord();

    // --- statements ---
    int genBlock(const Context& ctx, int statements, int lineBudget);
    int statement(const Context& ctx, int available, std::size_t mark);
    int simple(const Context& ctx, int available, std::size_t mark);
    void push();
    void pop(const Context& ctx);
    int forwardJump(const Context& ctx, int available);
    int loop(const Context& ctx, int available);
    int popfLoop(const Context& ctx, int available);
    int jumpOverData();
    int deadCode(const Context& ctx, int available);
    int computation(const Context& ctx);
    int division(const Context& ctx, int available);
    int stringStatement(const Context& ctx, int available);
    bool canPush(int words) const { return static_cast<int>(stack_.size()) + words <= stackLimit_; }
    void pushed(Item item) {
        stack_.push_back(item);
        deepest_ = std::max(deepest_, static_cast<int>(stack_.size()));
    }

    std::mt19937_64 rng_;
    std::vector<std::string> lines_;
    std::string pendingLabel_;
    int labels_ = 0;
    // Style, fixed per program.
    int caseStyle_ = 0;  // 0 lower, 1 upper, 2 mixed line by line
    int commaSpace_ = 0;
    int labelAlone_ = 0;
    int comments_ = 0;
    std::string indent_;
    Role siRole_ = Role::Pointer;
    Role diRole_ = Role::Index;
    // The stack as the generator models it, for the code being generated.
    std::vector<Item> stack_;
    int stackLimit_ = kMaxStackWords;
    int deepest_ = 0;
    std::vector<Procedure> procedures_;
};

std::string Generator::hex(unsigned value) {
    std::string text = formatText(chance(50) ? "%x" : "%X", value);
    // The kit reads leading zeros too.
    if (chance(30)) {
        text.insert(0, 1 + below(2), '0');
    }
    return text;
}

void Generator::emit(std::string instruction) {
    if (caseStyle_ == 1 || (caseStyle_ == 2 && chance(40))) {
        instruction = toUpper(instruction);
    } else if (caseStyle_ == 2 && chance(30) && !instruction.empty()) {
        instruction[0] =
            static_cast<char>(std::toupper(static_cast<unsigned char>(instruction[0])));
    }
    if (chance(comments_)) {
        instruction += chance(50) ? "  ; note" : "\t; a, b: [c]";
    }
    if (pendingLabel_.empty()) {
        lines_.push_back(indent_ + instruction);
    } else {
        lines_.push_back(pendingLabel_ + ":" + (chance(50) ? "\t" : "  ") + instruction);
        pendingLabel_.clear();
    }
}

void Generator::setLabel(const std::string& name) {
    // Two labels for one place: the first stands alone on its line.
    if (!pendingLabel_.empty()) {
        lines_.push_back(pendingLabel_ + ":");
        pendingLabel_.clear();
    }
    if (chance(labelAlone_)) {
        lines_.push_back(name + ":");
    } else {
        pendingLabel_ = name;
    }
}

std::optional<Role> Generator::roleOf(std::string_view reg) const {
    if (reg == "bx" || reg == "bp") {
        return Role::Pointer;
    }
    if (reg == "si") {
        return siRole_;
    }
    if (reg == "di") {
        return diRole_;
    }
    return std::nullopt;
}

std::vector<std::string> Generator::writableWords(const Context& ctx) const {
    std::vector<std::string> regs = {"ax", "dx"};
    if (!ctx.cxReserved) {
        regs.push_back("cx");
    }
    return regs;
}

std::vector<std::string> Generator::writableBytes(const Context& ctx) const {
    std::vector<std::string> regs = {"al", "ah", "dl", "dh"};
    if (!ctx.cxReserved) {
        regs.push_back("cl");
        regs.push_back("ch");
    }
    return regs;
}

std::vector<std::string> Generator::pointersOf(Role role) const {
    std::vector<std::string> regs;
    for (const char* reg : {"bx", "bp", "si", "di"}) {
        if (roleOf(reg) == role) {
            regs.emplace_back(reg);
        }
    }
    return regs;
}

std::uint16_t Generator::valueFor(std::string_view reg) {
    const std::optional<Role> role = roleOf(reg);
    if (!role) {
        return static_cast<std::uint16_t>(below(0x10000));
    }
    return *role == Role::Pointer ? between(kPointerFirst, kPointerLast) : between(0, kIndexLast);
}

// A memory reference whose address lies in kPointerFirst - 80H .. kStackFloor - 2 for every
// value the base registers may hold.
std::string Generator::memory() {
    const std::vector<std::string> pointers = pointersOf(Role::Pointer);
    const std::vector<std::string> indexes = pointersOf(Role::Index);
    const std::uint64_t form = below(indexes.empty() ? 2 : 4);
    std::string inner;
    if (form == 0) {
        inner = hex(between(kDirectFirst, kDirectLast));
    } else if (form == 1) {
        inner = pick(pointers);
        switch (below(3)) {
            case 0:
                break;
            case 1:
                inner += "+" + hex(between(1, 0x1FF));
                break;
            default:
                inner += "-" + hex(between(1, 0x80));
                break;
        }
    } else if (form == 2) {
        inner = pick(indexes) + "+" + hex(between(kPointerFirst, kPointerLast + 0x100));
    } else {
        const std::string base = chance(50) ? "bx" : "bp";
        const std::string index = pick(indexes);
        inner = chance(70) ? base + "+" + index : index + "+" + base;
        if (chance(60)) {
            inner += "+" + hex(between(1, 0xFF));
        }
    }
    return "[" + inner + "]";
}

std::string Generator::memoryWithPrefix(int size, bool required) {
    if (!required && !chance(20)) {
        return memory();
    }
    return std::string(size == 1 ? "bptr" : "wptr") + (chance(85) ? " " : "") + memory();
}

// Any FLAGS value but the trap flag, whose single-step interrupt a processor would take.
std::uint16_t Generator::flagsWord() {
    return static_cast<std::uint16_t>(below(0x10000) & (0xFFFFu ^ kTrapFlag));
}

int Generator::genBlock(const Context& ctx, int statements, int lineBudget) {
    const std::size_t mark = stack_.size();
    int used = 0;
    for (int i = 0; i < statements; ++i) {
        // Every word pushed in the block still needs its POP line.
        const int available = lineBudget - used - static_cast<int>(stack_.size() - mark);
        if (available < 1) {
            break;
        }
        used += statement(ctx, available, mark);
    }
    while (stack_.size() > mark) {
        pop(ctx);
        ++used;
    }
    return used;
}

int Generator::statement(const Context& ctx, int available, std::size_t mark) {
    if (ctx.depth < 2 && available >= 4 && chance(ctx.depth == 0 ? 30 : 15)) {
        switch (below(7)) {
            case 0:
            case 1:
                return forwardJump(ctx, available);
            case 2:
                return loop(ctx, available);
            case 3:
                if (!ctx.keepConditions && available >= 7 && canPush(3)) {
                    return popfLoop(ctx, available);
                }
                break;
            case 4: {
                std::vector<const Procedure*> callable;
                for (const Procedure& p : procedures_) {
                    if ((p.keepsConditions || !ctx.keepConditions) && canPush(p.stackWords + 1)) {
                        callable.push_back(&p);
                    }
                }
                if (!callable.empty()) {
                    const Procedure& p = *pick(callable);
                    deepest_ =
                        std::max(deepest_, static_cast<int>(stack_.size()) + 1 + p.stackWords);
                    emit("call " + p.name);
                    return 1;
                }
                break;
            }
            case 5:
                return jumpOverData();
            default:
                return deadCode(ctx, available);
        }
    }
    return simple(ctx, available, mark);
}

int Generator::simple(const Context& ctx, int available, std::size_t mark) {
    const std::vector<std::string> words = writableWords(ctx);
    const std::vector<std::string> bytes = writableBytes(ctx);
    static const std::vector<std::string> allWords = {"ax", "cx", "dx", "bx",
                                                      "sp", "bp", "si", "di"};
    static const std::vector<std::string> allBytes = {"al", "cl", "dl", "bl",
                                                      "ah", "ch", "dh", "bh"};
    static const std::vector<std::string> pointerRegs = {"bx", "bp", "si", "di"};
    for (;;) {
        switch (below(24)) {
            case 0: {  // register, immediate
                if (chance(50)) {
                    const std::string reg = chance(60) ? pick(words) : pick(pointerRegs);
                    emit("mov " + operands(reg, hex(valueFor(reg))));
                } else {
                    emit("mov " + operands(pick(bytes), hex(static_cast<unsigned>(below(0x100)))));
                }
                return 1;
            }
            case 1: {  // register, register
                if (chance(50)) {
                    const std::string dest = pick(bytes);
                    emit("mov " + operands(dest, pick(allBytes)));
                } else if (chance(70)) {
                    emit("mov " + operands(pick(words), pick(allWords)));
                } else {
                    const std::string dest = pick(pointerRegs);
                    emit("mov " + operands(dest, pick(pointersOf(*roleOf(dest)))));
                }
                return 1;
            }
            case 2:  // register, memory
                if (chance(50)) {
                    emit("mov " + operands(pick(words), memoryWithPrefix(2, false)));
                } else {
                    emit("mov " + operands(pick(bytes), memoryWithPrefix(1, false)));
                }
                return 1;
            case 3:  // memory, register
                if (chance(50)) {
                    emit("mov " + operands(memoryWithPrefix(2, false), pick(allWords)));
                } else {
                    emit("mov " + operands(memoryWithPrefix(1, false), pick(allBytes)));
                }
                return 1;
            case 4: {  // memory, immediate
                const int size = chance(50) ? 1 : 2;
                emit("mov " +
                     operands(memoryWithPrefix(size, true),
                              hex(static_cast<unsigned>(below(size == 1 ? 0x100 : 0x10000)))));
                return 1;
            }
            case 5: {  // exchange registers
                if (chance(40)) {
                    emit("xchg " + operands(pick(bytes), pick(bytes)));
                } else if (chance(60)) {
                    emit("xchg " + operands(pick(words), pick(words)));
                } else {
                    const std::string a = pick(pointerRegs);
                    emit("xchg " + operands(a, pick(pointersOf(*roleOf(a)))));
                }
                return 1;
            }
            case 6: {  // exchange with memory, either order
                const bool word = chance(50);
                const std::string reg = word ? pick(words) : pick(bytes);
                const std::string mem = memoryWithPrefix(word ? 2 : 1, false);
                emit("xchg " + (chance(50) ? operands(reg, mem) : operands(mem, reg)));
                return 1;
            }
            case 7:
                emit("xlat");
                return 1;
            case 8:
            case 9:
                if (available >= 2 && canPush(1)) {
                    push();
                    return 1;
                }
                break;
            case 10:
            case 11:
                if (stack_.size() > mark) {
                    pop(ctx);
                    return 1;
                }
                break;
            case 12:
                if (available >= 2 && canPush(1)) {
                    emit("pushf");
                    pushed(Item::Flags);
                    return 1;
                }
                break;
            case 13: {  // flag instructions; only these three change a condition
                static const std::vector<std::string> conditions = {"clc", "stc", "cmc"};
                static const std::vector<std::string> others = {"cld", "std", "cli", "sti"};
                emit(!ctx.keepConditions && chance(50) ? pick(conditions) : pick(others));
                return 1;
            }
            case 14:
            case 15: {  // any FLAGS value, through the stack
                if (ctx.keepConditions || available < 3 || !canPush(1)) {
                    break;
                }
                const std::string value = hex(flagsWord());
                if (chance(60)) {
                    const std::string reg = pick(words);
                    emit("mov " + operands(reg, value));
                    emit("push " + reg);
                } else {
                    const std::string mem = memory();
                    emit("mov " + operands((chance(85) ? "wptr " : "wptr") + mem, value));
                    emit("push " + std::string(chance(50) ? "wptr " : "") + mem);
                }
                deepest_ = std::max(deepest_, static_cast<int>(stack_.size()) + 1);
                emit("popf");
                return 3;
            }
            case 16:
                if (chance(50)) {
                    emit("nop");
                } else {
                    emit("mov " + operands(pick(words), "sp"));
                }
                return 1;
            case 17:
                if (canPush(1) && available >= 2 && chance(30)) {
                    emit("push sp");
                    pushed(Item::Any);
                    return 1;
                }
                break;
            case 18:
            case 19:
            case 20:
                return computation(ctx);
            case 21:
                if (const int used = division(ctx, available); used != 0) {
                    return used;
                }
                break;
            default:
                if (const int used = stringStatement(ctx, available); used != 0) {
                    return used;
                }
                break;
        }
    }
}

// Arithmetic, logic, shifts, multiplications and adjustments of what a statement may write;
// where the conditions must stay, only those that keep CF, PF, ZF, SF and OF.
int Generator::computation(const Context& ctx) {
    static const std::vector<std::string> allWords = {"ax", "cx", "dx", "bx",
                                                      "sp", "bp", "si", "di"};
    static const std::vector<std::string> allBytes = {"al", "cl", "dl", "bl",
                                                      "ah", "ch", "dh", "bh"};
    const int size = chance(50) ? 2 : 1;
    const std::vector<std::string>& all = size == 2 ? allWords : allBytes;
    const std::string reg = pick(size == 2 ? writableWords(ctx) : writableBytes(ctx));
    const bool toMemory = chance(30);
    const std::string dest = toMemory ? memoryWithPrefix(size, true) : reg;
    const auto immediate = [&] {
        return hex(static_cast<unsigned>(below(size == 2 ? 0x10000 : 0x100)));
    };
    if (ctx.keepConditions) {
        emit(chance(50) ? "not " + dest : chance(50) ? "cbw" : "cwd");
        return 1;
    }
    switch (below(5)) {
        case 0: {
            static const std::vector<std::string> twoOperands = {"add", "sub", "cmp", "adc", "sbb",
                                                                 "and", "or",  "xor", "test"};
            std::string source = chance(40) ? immediate() : pick(all);
            if (!toMemory && chance(30)) {
                source = memoryWithPrefix(size, false);
            }
            emit(pick(twoOperands) + " " + operands(dest, source));
            return 1;
        }
        case 1: {
            static const std::vector<std::string> oneOperand = {"inc", "dec", "not", "neg"};
            emit(pick(oneOperand) + " " + dest);
            return 1;
        }
        case 2: {
            static const std::vector<std::string> shifts = {"shl", "sal", "shr", "sar",
                                                            "rol", "ror", "rcl", "rcr"};
            emit(pick(shifts) + " " + operands(dest, chance(50) ? "1" : "cl"));
            return 1;
        }
        case 3: {
            static const std::vector<std::string> multiplications = {"mul", "imul"};
            emit(pick(multiplications) + " " +
                 (chance(60) ? pick(all) : memoryWithPrefix(size, true)));
            return 1;
        }
        default: {
            static const std::vector<std::string> adjustments = {"aaa", "aas", "daa", "das",
                                                                 "aam", "aad", "cbw", "cwd"};
            emit(pick(adjustments));
            return 1;
        }
    }
}

// DIV or IDIV of a dividend that fits the divisor: byte division by DL or DH, word division
// by a memory word set just before.
int Generator::division(const Context& ctx, int available) {
    if (ctx.keepConditions || available < 4) {
        return 0;
    }
    const bool isSigned = chance(50);
    const std::string mnemonic = isSigned ? "idiv" : "div";
    const int size = chance(50) ? 2 : 1;
    std::uint16_t divisor = 0;
    while ((divisor & (size == 2 ? 0xFFFF : 0xFF)) == 0) {
        divisor = static_cast<std::uint16_t>(below(size == 2 ? 0x10000 : 0x100));
    }
    const std::uint32_t dividend = fittingDividend(rng_, divisor, isSigned, size);
    if (size == 1) {
        const std::string reg = chance(50) ? "dl" : "dh";
        emit("mov " + operands("ax", hex(dividend & 0xFFFF)));
        emit("mov " + operands(reg, hex(divisor)));
        emit(mnemonic + " " + reg);
        return 3;
    }
    const std::string mem = memory();
    emit("mov " + operands("dx", hex(dividend >> 16)));
    emit("mov " + operands("ax", hex(dividend & 0xFFFF)));
    emit("mov " + operands("wptr " + mem, hex(divisor)));
    emit(mnemonic + " " + (chance(50) ? "wptr " : "wptr") + mem);
    return 4;
}

// A string instruction, repeated or not, over elements in the data area; SI and DI (and CX
// where it is reserved) are saved around it, so their roles hold.
int Generator::stringStatement(const Context& ctx, int available) {
    static const std::vector<std::string> repeatable = {"scasb", "scasw", "cmpsb", "cmpsw",
                                                        "stosb", "stosw", "movsb", "movsw"};
    static const std::vector<std::string> keeping = {"stosb", "stosw", "movsb",
                                                     "movsw", "lodsb", "lodsw"};
    const bool repeated = chance(50);
    const bool saveCx = repeated && ctx.cxReserved;
    const int words = saveCx ? 3 : 2;
    const int lines = 2 * words + 3 + (repeated ? 1 : 0);
    if (available < lines || !canPush(words)) {
        return 0;
    }
    std::string op;
    if (ctx.keepConditions) {
        op = pick(keeping);
        if (repeated && op.starts_with("lods")) {
            op = "movsb";  // a repeated LODS is refused
        }
    } else {
        op = pick(repeatable);
        if (!repeated && chance(25)) {
            op = chance(50) ? "lodsb" : "lodsw";
        }
    }
    emit("push si");
    emit("push di");
    if (saveCx) {
        emit("push cx");
    }
    deepest_ = std::max(deepest_, static_cast<int>(stack_.size()) + words);
    // At most 20H word elements either way, whatever DF holds.
    emit("mov " + operands("si", hex(between(kPointerFirst + 0x40, kStackFloor - 0x42))));
    emit("mov " + operands("di", hex(between(kPointerFirst + 0x40, kStackFloor - 0x42))));
    if (repeated) {
        emit("mov " + operands("cx", hex(between(0, 0x1F))));
        emit((chance(50) ? "repe " : "repne ") + op);
    } else {
        emit(op);
    }
    if (saveCx) {
        emit("pop cx");
    }
    emit("pop di");
    emit("pop si");
    return lines;
}

void Generator::push() {
    switch (below(4)) {
        case 0: {
            static const std::vector<std::string> regs = {"bx", "bp", "si", "di"};
            const std::string reg = pick(regs);
            emit("push " + reg);
            pushed(*roleOf(reg) == Role::Pointer ? Item::Pointer : Item::Index);
            return;
        }
        case 1:
            emit("push " + std::string(chance(50) ? "wptr " : "") + memory());
            pushed(Item::Any);
            return;
        default: {
            static const std::vector<std::string> regs = {"ax", "cx", "dx"};
            emit("push " + pick(regs));
            pushed(Item::Any);
            return;
        }
    }
}

void Generator::pop(const Context& ctx) {
    const Item item = stack_.back();
    stack_.pop_back();
    if (item == Item::Flags) {
        emit("popf");
        return;
    }
    std::vector<std::string> targets = writableWords(ctx);
    if (item == Item::Pointer || item == Item::Index) {
        const auto more = pointersOf(item == Item::Pointer ? Role::Pointer : Role::Index);
        targets.insert(targets.end(), more.begin(), more.end());
    }
    if (chance(20)) {
        emit("pop " + std::string(chance(50) ? "wptr " : "") + memory());
    } else {
        emit("pop " + pick(targets));
    }
}

// Jcc or JCXZ over a block, taken or not as the run has it.
int Generator::forwardJump(const Context& ctx, int available) {
    const std::string target = newLabel('Q');
    const std::string jump =
        chance(15) ? "jcxz" : std::string(kConditionalJumps[below(26)].mnemonic);
    emit(jump + " " + target);
    Context inner = ctx;
    ++inner.depth;
    const int used = genBlock(inner, 1 + static_cast<int>(below(4)), std::min(available - 1, 18));
    setLabel(target);
    return 1 + used;
}

// LOOP, LOOPE or LOOPNE over a block, CX from 0 to 4; a count of 0 is skipped with JCXZ.
int Generator::loop(const Context& ctx, int available) {
    const bool saveCx = ctx.cxReserved;
    const std::uint16_t count = between(0, 4);
    const bool guard = count == 0 || chance(25);
    const int overhead = 2 + (saveCx ? 2 : 0) + (guard ? 1 : 0);
    if (available < overhead + 1 || (saveCx && !canPush(1))) {
        return simple(ctx, available, stack_.size());
    }
    if (saveCx) {
        emit("push cx");
        pushed(Item::Owned);
    }
    emit("mov " + operands("cx", hex(count)));
    const std::string skip = newLabel('S');
    if (guard) {
        emit("jcxz " + skip);
    }
    const std::string top = newLabel('L');
    setLabel(top);
    Context inner = ctx;
    inner.cxReserved = true;
    ++inner.depth;
    const int used =
        genBlock(inner, 1 + static_cast<int>(below(4)), std::min(available - overhead, 16));
    static const std::vector<std::string> kinds = {"loop",  "loop",   "loope",
                                                   "loopz", "loopne", "loopnz"};
    emit(pick(kinds) + " " + top);
    if (guard) {
        setLabel(skip);
    }
    if (saveCx) {
        stack_.pop_back();
        emit("pop cx");
    }
    return overhead + used;
}

// A backward conditional jump run `rounds` times: each round POPF takes a prepared FLAGS word
// off the stack, the condition holds for all but the last one.
int Generator::popfLoop(const Context& ctx, int available) {
    // A MOV and a PUSH a round, then POPF and the jump: all within the lines available.
    const int rounds =
        1 + static_cast<int>(below(static_cast<std::uint64_t>(std::min(3, (available - 3) / 2))));
    const ConditionalJump& jump = kConditionalJumps[below(26)];
    std::vector<std::uint16_t> values;
    for (int i = 0; i < rounds; ++i) {
        const bool holds = i + 1 < rounds;
        std::uint16_t value = flagsWord();
        while (conditionHolds(jump, value) != holds) {
            value = flagsWord();
        }
        values.push_back(value);
    }
    const std::vector<std::string> words = writableWords(ctx);
    for (auto it = values.rbegin(); it != values.rend(); ++it) {  // the last round's first
        if (chance(70)) {
            const std::string reg = pick(words);
            emit("mov " + operands(reg, hex(*it)));
            emit("push " + reg);
        } else {
            const std::string mem = memory();
            emit("mov " + operands("wptr " + mem, hex(*it)));
            emit("push " + mem);
        }
        pushed(Item::Owned);
    }
    const std::string top = newLabel('P');
    setLabel(top);
    emit("popf");
    stack_.pop_back();
    Context inner = ctx;
    inner.keepConditions = true;
    ++inner.depth;
    const int budget = std::min(available - 2 * rounds - 2, 14);
    const int used = budget > 0 ? genBlock(inner, 1 + static_cast<int>(below(3)), budget) : 0;
    emit(std::string(jump.mnemonic) + " " + top);
    for (int i = 1; i < rounds; ++i) {
        stack_.pop_back();
    }
    return 2 * rounds + 2 + used;
}

int Generator::jumpOverData() {
    const std::string target = newLabel('J');
    emit("jmp " + target);
    std::string data;
    if (chance(60)) {
        data = "db ";
        for (std::uint64_t i = 0, n = 1 + below(6); i < n; ++i) {
            data += (i == 0 ? "" : ",") + hex(static_cast<unsigned>(below(0x100)));
        }
    } else {
        data = "dw ";
        for (std::uint64_t i = 0, n = 1 + below(3); i < n; ++i) {
            data += (i == 0 ? "" : ",") + hex(static_cast<unsigned>(below(0x10000)));
        }
    }
    if (!pendingLabel_.empty()) {
        lines_.push_back(pendingLabel_ + ":");
        pendingLabel_.clear();
    }
    lines_.push_back(chance(50) ? indent_ + data : newLabel('T') + ":\t" + data);
    setLabel(target);
    return 3;
}

// JMP over a block that never runs.
int Generator::deadCode(const Context& ctx, int available) {
    const std::string target = newLabel('X');
    emit("jmp " + target);
    Context inner = ctx;
    inner.depth = 2;  // no compound statements inside
    const int used = genBlock(inner, 1 + static_cast<int>(below(3)), std::min(available - 1, 10));
    setLabel(target);
    return 1 + used;
}

DifferentialCase Generator::generate(const GeneratorOptions& options) {
    caseStyle_ = static_cast<int>(below(3));
    commaSpace_ = static_cast<int>(below(3)) * 40;
    labelAlone_ = static_cast<int>(below(3)) * 30;
    comments_ = static_cast<int>(below(2)) * 10;
    indent_ = chance(50) ? "\t" : std::string(2 + below(7), ' ');
    siRole_ = chance(50) ? Role::Pointer : Role::Index;
    diRole_ = chance(50) ? Role::Pointer : Role::Index;

    // Procedures first, so that the main part and later procedures can call them; each calls
    // only earlier ones, and none writes CX, so a call inside a LOOP body is safe.
    std::vector<std::string> procedureLines;
    for (int i = 0; i < options.procedures; ++i) {
        Procedure p;
        p.name = formatText("proc%d", i + 1);
        p.keepsConditions = chance(50);
        stack_.clear();
        deepest_ = 0;
        stackLimit_ = 12;
        Context ctx;
        ctx.cxReserved = true;
        ctx.keepConditions = p.keepsConditions;
        lines_.clear();
        setLabel(p.name);
        genBlock(ctx, 2 + static_cast<int>(below(5)), 1000);
        emit("ret");
        p.stackWords = deepest_;
        procedureLines.insert(procedureLines.end(), lines_.begin(), lines_.end());
        procedures_.push_back(p);
    }

    stack_.clear();
    deepest_ = 0;
    stackLimit_ = kMaxStackWords;
    lines_.clear();
    // Base registers first: memory operands rely on them from the start.
    for (const char* reg : {"bx", "bp", "si", "di"}) {
        emit("mov " + operands(reg, hex(valueFor(reg))));
    }
    genBlock(Context{}, options.mainStatements, 1000);
    emit("hlt");
    lines_.insert(lines_.end(), procedureLines.begin(), procedureLines.end());

    DifferentialCase program;
    const std::string end = chance(30) ? "\r\n" : "\n";
    for (const std::string& line : lines_) {
        program.source += line + end;
    }
    MemoryBlock data;
    data.address = kDataFirst;
    for (unsigned a = kDataFirst; a < 0x2000; ++a) {
        data.bytes.push_back(static_cast<std::uint8_t>(below(0x100)));
    }
    program.memory.push_back(std::move(data));
    return program;
}

}  // namespace

DifferentialCase generateProgram(std::uint64_t seed, const GeneratorOptions& options) {
    Generator generator(seed);
    DifferentialCase program = generator.generate(options);
    program.name = formatText("seed %llu", static_cast<unsigned long long>(seed));
    return program;
}

}  // namespace tarvix::test
