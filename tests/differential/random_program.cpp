#include "tests/differential/instruction_cases.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "common/format.h"

namespace tarvix::test {

namespace {

// Every conditional jump the kit knows, synonyms included.
constexpr std::array<std::string_view, 26> kConditionalJumps{
    "je",  "jz",  "jne", "jnz", "ja",  "jae", "jnb", "jnc", "jb",  "jc", "jbe", "jna", "jg",
    "jge", "jnl", "jl",  "jle", "jng", "jo",  "jno", "js",  "jns", "jp", "jpe", "jnp", "jpo"};
constexpr std::array<std::string_view, 6> kLoops{"loop",  "loop",   "loope",
                                                 "loopz", "loopne", "loopnz"};
constexpr std::array<std::string_view, 8> kPushed{"ax", "cx", "dx", "bx", "sp", "bp", "si", "di"};
// Cases leave no register for later, so anything but SP may take a popped word.
constexpr std::array<std::string_view, 7> kPopped{"ax", "cx", "dx", "bx", "bp", "si", "di"};
// Blocks inside pushes nest; those a jump or a loop goes over hold no compound statements, so
// that every short jump reaches.
constexpr int kMaxDepth = 2;

class Generator {
public:
    explicit Generator(std::uint64_t seed) : cases_(seed), rng_(cases_.random()) {}

    DifferentialCase generate(int procedures) {
        // Procedures first, each calling only earlier ones, then the main part.
        std::vector<std::string> procedureLines;
        for (int p = 1; p <= procedures; ++p) {
            lines_.clear();
            setLabel(formatText("proc%d", p));
            block(2 + static_cast<int>(below(4)), 1);
            emit("ret");
            procedureLines.insert(procedureLines.end(), lines_.begin(), lines_.end());
            procedures_ = static_cast<std::uint64_t>(p);
        }
        lines_.clear();
        block(24, 0);
        emit("hlt");
        lines_.insert(lines_.end(), procedureLines.begin(), procedureLines.end());
        DifferentialCase program{{}, {}, kCaseFlags, cases_.data()};
        for (const std::string& line : lines_) {
            program.source += line + "\n";
        }
        return program;
    }

private:
    std::uint64_t below(std::uint64_t n) { return rng_() % n; }
    bool chance(int percent) { return below(100) < static_cast<std::uint64_t>(percent); }
    template <typename T, std::size_t n>
    T pick(const std::array<T, n>& items) {
        return items[below(n)];
    }
    std::string newLabel(char prefix) { return formatText("%c%d", prefix, ++labels_); }
    // A word in the string area, for PUSH and POP of memory.
    std::string scratch() {
        return formatText(chance(50) ? "[%X]" : "wptr [%x]",
                          static_cast<unsigned>(kStringFirst + 0x100 + 2 * below(0x80)));
    }

    void emit(const std::string& instruction) { lines_.push_back("\t" + instruction); }
    void setLabel(const std::string& name) { lines_.push_back(name + ":"); }

    void block(int statements, int depth) {
        for (int i = 0; i < statements; ++i) {
            statement(depth);
        }
    }

    void statement(int depth) {
        const bool compound = depth < kMaxDepth && chance(depth == 0 ? 40 : 20);
        const int inner = 1 + static_cast<int>(below(3));
        switch (compound ? below(6) : 6) {
            case 0: {  // a forward jump over a block, taken or not as the run has it
                const std::string target = newLabel('Q');
                emit((chance(15) ? "jcxz" : std::string(pick(kConditionalJumps))) + " " + target);
                block(inner, kMaxDepth);
                setLabel(target);
                return;
            }
            case 1:
                loop();
                return;
            case 2: {
                const std::string_view pushed = pick(kPushed);
                emit(chance(25) ? "push " + scratch() : "push " + std::string(pushed));
                block(inner, depth + 1);
                emit(chance(25) ? "pop " + scratch() : "pop " + std::string(pick(kPopped)));
                return;
            }
            case 3:
                emit("pushf");
                block(inner, depth + 1);
                emit("popf");
                return;
            case 4:
                if (procedures_ > 0) {
                    emit(formatText("call proc%u", 1 + static_cast<unsigned>(below(procedures_))));
                    return;
                }
                dataLines();
                return;
            case 5:
                dataLines();
                return;
            default:
                oneCase();
                return;
        }
    }

    void oneCase() {
        if (nextCase_ == kMaxCasesPerProgram) {
            emit("nop");
            return;
        }
        const auto& forms = formFamilies()[below(formFamilies().size())].forms;
        for (const std::string& line : cases_.write(forms[below(forms.size())], nextCase_++)) {
            emit(line);
        }
    }

    // LOOP, LOOPE or LOOPNE over a block that keeps CX on the stack; a count of 0 is skipped
    // with JCXZ, which may also guard the others.
    void loop() {
        const auto count = static_cast<unsigned>(below(5));
        emit(formatText("mov cx,%u", count));
        const std::string skip = newLabel('S');
        const bool guard = count == 0 || chance(25);
        if (guard) {
            emit("jcxz " + skip);
        }
        const std::string top = newLabel('L');
        setLabel(top);
        emit("push cx");
        block(1 + static_cast<int>(below(3)), kMaxDepth);
        emit("pop cx");
        emit(std::string(pick(kLoops)) + " " + top);
        if (guard) {
            setLabel(skip);
        }
    }

    // DB or DW lines between the code, jumped over.
    void dataLines() {
        const std::string target = newLabel('J');
        emit("jmp " + target);
        const bool bytes = chance(60);
        std::string line = bytes ? "db " : "dw ";
        for (std::uint64_t i = 0, n = 1 + below(bytes ? 6 : 3); i < n; ++i) {
            line += formatText(i == 0 ? "%X" : ",%x",
                               static_cast<unsigned>(below(bytes ? 0x100 : 0x10000)));
        }
        emit(line);
        setLabel(target);
    }

    CaseWriter cases_;
    std::mt19937_64& rng_;
    std::vector<std::string> lines_;
    int labels_ = 0;
    int nextCase_ = 0;
    std::uint64_t procedures_ = 0;  // defined so far: proc1 .. procN
};

}  // namespace

DifferentialCase generateProgram(std::uint64_t seed, int procedures) {
    DifferentialCase program = Generator(seed).generate(procedures);
    program.name = formatText("seed %llu", static_cast<unsigned long long>(seed));
    return program;
}

}  // namespace tarvix::test
