#include "simulator/dispatcher.h"

#include <string_view>
#include <unordered_map>

#include "common/text.h"

namespace tarvix {

namespace {

constexpr int kRefreshInterval = 1501;

std::string normalised(std::string_view line) {
    std::string text(trim(line.substr(0, line.find(';'))));
    // Line ends and other control blanks count as white space at the ends.
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) {
        text.pop_back();
    }
    text = trim(text);
    replaceAll(text, "\t", " ");
    while (contains(text, "  ")) {
        replaceAll(text, "  ", " ");
    }
    replaceAll(text, "+ ", "+");
    replaceAll(text, " +", "+");
    replaceAll(text, "- ", "-");
    replaceAll(text, " -", "-");
    return text;
}

bool isRegisterOrMemory(std::string_view operand) {
    return contains(operand, "[") || registerRef(operand).size != 0;
}

template <JumpKind kind>
Outcome jump(Kit& kit) {
    return kit.cpu.execJump(kind) ? Outcome::Executed : Outcome::Failed;
}

Outcome outcome(bool ok) {
    return ok ? Outcome::Executed : Outcome::Failed;
}

Outcome setFlag(Kit& kit, std::uint16_t mask, bool on) {
    kit.cpu.regs.setFlag(mask, on);
    return Outcome::Executed;
}

// An executor method called with fixed arguments, its selector.
template <auto method, auto... selector>
Outcome call(Kit& kit) {
    return outcome((kit.cpu.*method)(selector...));
}

// One row per mnemonic: a table, however long.
// NOLINTNEXTLINE(readability-function-size)
const std::unordered_map<std::string_view, Executor>& executors() {
    static const std::unordered_map<std::string_view, Executor> table = {
        {"mov", [](Kit& k) { return outcome(k.cpu.execMov()); }},
        {"in", [](Kit& k) { return outcome(k.ports.execInOut(true, k.cpu.dest, k.cpu.source)); }},
        {"out", [](Kit& k) { return outcome(k.ports.execInOut(false, k.cpu.dest, k.cpu.source)); }},
        {"connect",
         [](Kit& k) {
             k.ports.connect(k.cpu.dest);
             return Outcome::ExecutedQuietly;  // changes no register, so nothing to refresh
         }},
        {"loop", jump<JumpKind::Loop>},
        {"call",
         [](Kit& k) {
             return outcome(k.cpu.execCallRet(isRegisterOrMemory(k.cpu.dest) ? CallKind::Indirect
                                                                             : CallKind::Direct));
         }},
        {"jmp",
         [](Kit& k) {
             return outcome(k.cpu.execJump(isRegisterOrMemory(k.cpu.dest) ? JumpKind::JmpIndirect
                                                                          : JumpKind::JmpDirect));
         }},
        {"jne", jump<JumpKind::Jne>},
        {"jnz", jump<JumpKind::Jne>},
        {"je", jump<JumpKind::Je>},
        {"jz", jump<JumpKind::Je>},
        {"ja", jump<JumpKind::Ja>},
        {"jae", jump<JumpKind::Jae>},
        {"jnb", jump<JumpKind::Jae>},
        {"jnc", jump<JumpKind::Jae>},
        {"jb", jump<JumpKind::Jb>},
        {"jc", jump<JumpKind::Jb>},
        {"jbe", jump<JumpKind::Jbe>},
        {"jna", jump<JumpKind::Jbe>},
        {"jg", jump<JumpKind::Jg>},
        {"jge", jump<JumpKind::Jge>},
        {"jnl", jump<JumpKind::Jge>},
        {"jl", jump<JumpKind::Jl>},
        {"jle", jump<JumpKind::Jle>},
        {"jng", jump<JumpKind::Jle>},
        {"jo", jump<JumpKind::Jo>},
        {"jno", jump<JumpKind::Jno>},
        {"js", jump<JumpKind::Js>},
        {"jns", jump<JumpKind::Jns>},
        {"jp", jump<JumpKind::Jp>},
        {"jpe", jump<JumpKind::Jp>},
        {"jnp", jump<JumpKind::Jnp>},
        {"jpo", jump<JumpKind::Jnp>},
        {"jcxz", jump<JumpKind::Jcxz>},
        {"xchg", [](Kit& k) { return outcome(k.cpu.execXchg()); }},
        {"xlat", [](Kit& k) { return outcome(k.cpu.execXlat()); }},
        {"ret", [](Kit& k) { return outcome(k.cpu.execCallRet(CallKind::Ret)); }},
        {"int", [](Kit& k) { return outcome(k.cpu.execInt(true, k.cpu.dest)); }},
        {"iret", [](Kit& k) { return outcome(k.cpu.execInt(false, "")); }},
        {"push", [](Kit& k) { return outcome(k.cpu.execPushPop(true)); }},
        {"pop", [](Kit& k) { return outcome(k.cpu.execPushPop(false)); }},
        {"hlt", [](Kit&) { return Outcome::Halted; }},
        {"loope", jump<JumpKind::LoopE>},
        {"loopz", jump<JumpKind::LoopE>},
        {"loopne", jump<JumpKind::LoopNE>},
        {"loopnz", jump<JumpKind::LoopNE>},
        {"sti", [](Kit& k) { return setFlag(k, kInterruptFlag, true); }},
        {"cli", [](Kit& k) { return setFlag(k, kInterruptFlag, false); }},
        {"lea", [](Kit& k) { return outcome(k.cpu.execLea()); }},
        {"nop", [](Kit&) { return Outcome::Executed; }},
        {"clc", [](Kit& k) { return setFlag(k, kCarryFlag, false); }},
        {"cmc", [](Kit& k) { return setFlag(k, kCarryFlag, !k.cpu.regs.testFlag(kCarryFlag)); }},
        {"stc", [](Kit& k) { return setFlag(k, kCarryFlag, true); }},
        {"cld", [](Kit& k) { return setFlag(k, kDirectionFlag, false); }},
        {"std", [](Kit& k) { return setFlag(k, kDirectionFlag, true); }},
        {"popf", [](Kit& k) { return outcome(k.cpu.execPushfPopf(false)); }},
        {"pushf", [](Kit& k) { return outcome(k.cpu.execPushfPopf(true)); }},
        {"into",
         [](Kit& k) {
             if (!k.cpu.regs.testFlag(kOverflowFlag)) {
                 return Outcome::ExecutedQuietly;
             }
             return outcome(k.cpu.execInt(true, "4"));
         }},
        {"inc", call<&Cpu8086::execIncDec, true>},
        {"dec", call<&Cpu8086::execIncDec, false>},
        {"cmp", call<&Cpu8086::execSub, false>},
        {"add", call<&Cpu8086::execAdd>},
        {"sub", call<&Cpu8086::execSub, true>},
        {"adc", call<&Cpu8086::execAdcSbb, true>},
        {"sbb", call<&Cpu8086::execAdcSbb, false>},
        {"and", call<&Cpu8086::execLogic, Cpu8086::LogicOp::And>},
        {"or", call<&Cpu8086::execLogic, Cpu8086::LogicOp::Or>},
        {"xor", call<&Cpu8086::execLogic, Cpu8086::LogicOp::Xor>},
        {"not", call<&Cpu8086::execLogic, Cpu8086::LogicOp::Not>},
        {"neg", call<&Cpu8086::execLogic, Cpu8086::LogicOp::Neg>},
        {"test", call<&Cpu8086::execLogic, Cpu8086::LogicOp::Test>},
        {"mul", call<&Cpu8086::execMulDiv, Cpu8086::MulDivKind::Mul>},
        {"div", call<&Cpu8086::execMulDiv, Cpu8086::MulDivKind::Div>},
        {"imul", call<&Cpu8086::execMulDiv, Cpu8086::MulDivKind::Imul>},
        {"idiv", call<&Cpu8086::execMulDiv, Cpu8086::MulDivKind::Idiv>},
        {"shl", call<&Cpu8086::execShiftRotate, Cpu8086::ShiftKind::Shl>},
        {"sal", call<&Cpu8086::execShiftRotate, Cpu8086::ShiftKind::Shl>},
        {"shr", call<&Cpu8086::execShiftRotate, Cpu8086::ShiftKind::Shr>},
        {"rol", call<&Cpu8086::execShiftRotate, Cpu8086::ShiftKind::Rol>},
        {"ror", call<&Cpu8086::execShiftRotate, Cpu8086::ShiftKind::Ror>},
        {"rcl", call<&Cpu8086::execShiftRotate, Cpu8086::ShiftKind::Rcl>},
        {"rcr", call<&Cpu8086::execShiftRotate, Cpu8086::ShiftKind::Rcr>},
        {"sar", call<&Cpu8086::execShiftRotate, Cpu8086::ShiftKind::Sar>},
        {"scasb", call<&Cpu8086::execScas, false>},
        {"scasw", call<&Cpu8086::execScas, true>},
        {"stosw", call<&Cpu8086::execStos, true>},
        {"stosb", call<&Cpu8086::execStos, false>},
        {"lodsw", call<&Cpu8086::execLods, true>},
        {"lodsb", call<&Cpu8086::execLods, false>},
        {"cmpsb", call<&Cpu8086::execCmps, false>},
        {"cmpsw", call<&Cpu8086::execCmps, true>},
        {"movsw", call<&Cpu8086::execMovs, true>},
        {"movsb", call<&Cpu8086::execMovs, false>},
        {"repe", call<&Cpu8086::execRepeat, false>},
        {"repne", call<&Cpu8086::execRepeat, true>},
        {"aaa", call<&Cpu8086::execAdjust, Cpu8086::AdjustKind::Aaa>},
        {"daa", call<&Cpu8086::execAdjust, Cpu8086::AdjustKind::Daa>},
        {"das", call<&Cpu8086::execAdjust, Cpu8086::AdjustKind::Das>},
        {"aad", call<&Cpu8086::execAdjust, Cpu8086::AdjustKind::Aad>},
        {"aam", call<&Cpu8086::execAdjust, Cpu8086::AdjustKind::Aam>},
        {"aas", call<&Cpu8086::execAdjust, Cpu8086::AdjustKind::Aas>},
        {"cbw", call<&Cpu8086::execAdjust, Cpu8086::AdjustKind::Cbw>},
        {"cwd", call<&Cpu8086::execAdjust, Cpu8086::AdjustKind::Cwd>},
    };
    return table;
}

}  // namespace

Executor findExecutor(std::string_view mnemonic) {
    const auto& table = executors();
    const auto found = table.find(toLower(mnemonic));
    return found == table.end() ? nullptr : found->second;
}

DecodedLine decodeLine(std::string_view line) {
    DecodedLine decoded;
    decoded.text = normalised(line);
    std::string_view rest = decoded.text;
    if (rest.empty()) {
        return decoded;
    }
    if (const std::size_t colon = rest.find(':'); colon != std::string_view::npos) {
        rest = rest.substr(colon + 1);
        rest.remove_prefix(std::min(rest.find_first_not_of(" \t"), rest.size()));
        if (rest.empty()) {
            return decoded;  // a label alone
        }
    }
    const std::size_t blank = rest.find(' ');
    decoded.mnemonic = rest.substr(0, blank);
    rest = blank == std::string_view::npos ? std::string_view() : rest.substr(blank + 1);

    const std::size_t comma = rest.find(',');
    decoded.dest = trimRight(rest.substr(0, comma));
    if (comma != std::string_view::npos) {
        std::string_view source = rest.substr(comma + 1);
        source.remove_prefix(std::min(source.find_first_not_of(" \t"), source.size()));
        decoded.source = source;
    }
    decoded.hasInstruction = true;
    decoded.executor = findExecutor(decoded.mnemonic);
    return decoded;
}

void Dispatcher::startRun() {
    lines_.clear();
    lines_.resize(static_cast<std::size_t>(buffer_.lineCount()));
}

const DecodedLine& Dispatcher::decoded(int line) {
    auto& slot = lines_[static_cast<std::size_t>(line)];
    if (!slot) {
        slot = decodeLine(buffer_.line(line));
    }
    return *slot;
}

Dispatcher::Result Dispatcher::executeNextLine(bool refreshEachInstruction) {
    int& current = kit_.currentLine;
    Cpu8086& cpu = kit_.cpu;
    if (current < 0 || current >= buffer_.lineCount()) {
        kit_.pane.reportError("Execution beyond valid opcode (No Hlt)", WithLine::No);
        return Stop;
    }
    if (lines_.size() != static_cast<std::size_t>(buffer_.lineCount())) {
        startRun();
    }
    const DecodedLine& line = decoded(current);
    ++current;
    if (!line.hasInstruction) {
        cpu.mnemonic.clear();
        cpu.dest.clear();
        cpu.source.clear();
        return NoInstruction;
    }
    cpu.mnemonic = line.mnemonic;
    cpu.dest = line.dest;
    cpu.source = line.source;

    Outcome result = Outcome::Failed;
    if (line.executor == nullptr) {
        kit_.pane.reportError(MessageId::UnsupportedInstruction, WithLine::Yes);
    } else {
        result = line.executor(kit_);
    }
    switch (result) {
        case Outcome::Failed:
            markError_(current - 1);
            current = 0;
            return Stop;
        case Outcome::Halted:
            return Stop;
        case Outcome::ExecutedQuietly:
            return Executed;
        case Outcome::Executed:
            break;
    }

    if (refreshEachInstruction) {
        host_.refreshRegisters();
    } else {
        if (++kit_.refreshCounter < kRefreshInterval) {
            return Executed;
        }
        host_.setStatusText(line.text);
        host_.refreshRegisters();
        kit_.refreshCounter = 0;
    }
    if (cpu.memory.modified) {
        host_.invalidateMemory();
        cpu.memory.modified = false;
    }
    return Executed;
}

}  // namespace tarvix
