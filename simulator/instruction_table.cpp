// The mnemonics the kit executes, each with its operation and executor, and how a source line
// becomes the record the dispatcher runs.
#include <algorithm>
#include <string_view>
#include <unordered_map>

#include "common/text.h"
#include "simulator/kit.h"

namespace tarvix {

namespace {

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

bool isRegisterOrMemory(const OperandForm& operand) {
    return operand.isMemory || operand.registerSize != 0;
}

Outcome outcome(bool ok) {
    return ok ? Outcome::Executed : Outcome::Failed;
}

template <JumpKind kind>
Outcome jump(Kit& kit, const DecodedInstruction& ins) {
    return outcome(kit.cpu.execJump(ins, kind));
}

template <std::uint16_t mask, bool on>
Outcome setFlag(Kit& kit, const DecodedInstruction&) {
    kit.cpu.regs.setFlag(mask, on);
    return Outcome::Executed;
}

// An executor method that takes the instruction, called with fixed arguments after it.
template <auto method, auto... selector>
Outcome call(Kit& kit, const DecodedInstruction& ins) {
    return outcome((kit.cpu.*method)(ins, selector...));
}

// An executor method that needs nothing of the line but its fixed arguments.
template <auto method, auto... selector>
Outcome fixed(Kit& kit, const DecodedInstruction&) {
    return outcome((kit.cpu.*method)(selector...));
}

struct Mnemonic {
    Operation operation;
    Executor executor;
};

// One row per mnemonic: a table, however long.
// NOLINTNEXTLINE(readability-function-size)
const std::unordered_map<std::string_view, Mnemonic>& mnemonics() {
    using Op = Operation;
    using Cpu = Cpu8086;
    static const std::unordered_map<std::string_view, Mnemonic> table = {
        {"mov", {Op::Mov, call<&Cpu::execMov>}},
        {"in",
         {Op::In,
          [](Kit& k, const DecodedInstruction& i) {
              return outcome(k.ports.execInOut(true, i.dest, i.source));
          }}},
        {"out",
         {Op::Out,
          [](Kit& k, const DecodedInstruction& i) {
              return outcome(k.ports.execInOut(false, i.dest, i.source));
          }}},
        {"connect",
         {Op::Connect,
          [](Kit& k, const DecodedInstruction& i) {
              k.ports.connect(i.variant);
              return Outcome::ExecutedQuietly;  // changes no register
          }}},
        {"loop", {Op::Loop, jump<JumpKind::Loop>}},
        {"call",
         {Op::Call,
          [](Kit& k, const DecodedInstruction& i) {
              return outcome(k.cpu.execCallRet(
                  i, isRegisterOrMemory(i.dest) ? CallKind::Indirect : CallKind::Direct));
          }}},
        {"jmp",
         {Op::Jmp,
          [](Kit& k, const DecodedInstruction& i) {
              return outcome(k.cpu.execJump(
                  i, isRegisterOrMemory(i.dest) ? JumpKind::JmpIndirect : JumpKind::JmpDirect));
          }}},
        {"jne", {Op::Jne, jump<JumpKind::Jne>}},
        {"jnz", {Op::Jne, jump<JumpKind::Jne>}},
        {"je", {Op::Je, jump<JumpKind::Je>}},
        {"jz", {Op::Je, jump<JumpKind::Je>}},
        {"ja", {Op::Ja, jump<JumpKind::Ja>}},
        {"jae", {Op::Jae, jump<JumpKind::Jae>}},
        {"jnb", {Op::Jae, jump<JumpKind::Jae>}},
        {"jnc", {Op::Jae, jump<JumpKind::Jae>}},
        {"jb", {Op::Jb, jump<JumpKind::Jb>}},
        {"jc", {Op::Jb, jump<JumpKind::Jb>}},
        {"jbe", {Op::Jbe, jump<JumpKind::Jbe>}},
        {"jna", {Op::Jbe, jump<JumpKind::Jbe>}},
        {"jg", {Op::Jg, jump<JumpKind::Jg>}},
        {"jge", {Op::Jge, jump<JumpKind::Jge>}},
        {"jnl", {Op::Jge, jump<JumpKind::Jge>}},
        {"jl", {Op::Jl, jump<JumpKind::Jl>}},
        {"jle", {Op::Jle, jump<JumpKind::Jle>}},
        {"jng", {Op::Jle, jump<JumpKind::Jle>}},
        {"jo", {Op::Jo, jump<JumpKind::Jo>}},
        {"jno", {Op::Jno, jump<JumpKind::Jno>}},
        {"js", {Op::Js, jump<JumpKind::Js>}},
        {"jns", {Op::Jns, jump<JumpKind::Jns>}},
        {"jp", {Op::Jp, jump<JumpKind::Jp>}},
        {"jpe", {Op::Jp, jump<JumpKind::Jp>}},
        {"jnp", {Op::Jnp, jump<JumpKind::Jnp>}},
        {"jpo", {Op::Jnp, jump<JumpKind::Jnp>}},
        {"jcxz", {Op::Jcxz, jump<JumpKind::Jcxz>}},
        {"xchg", {Op::Xchg, call<&Cpu::execXchg>}},
        {"xlat", {Op::Xlat, fixed<&Cpu::execXlat>}},
        {"ret", {Op::Ret, call<&Cpu::execCallRet, CallKind::Ret>}},
        {"int",
         {Op::Int,
          [](Kit& k, const DecodedInstruction& i) { return outcome(k.cpu.execInt(i.target)); }}},
        {"iret", {Op::Iret, fixed<&Cpu::execIret>}},
        {"push", {Op::Push, call<&Cpu::execPushPop, true>}},
        {"pop", {Op::Pop, call<&Cpu::execPushPop, false>}},
        {"hlt", {Op::Hlt, [](Kit&, const DecodedInstruction&) { return Outcome::Halted; }}},
        {"loope", {Op::LoopE, jump<JumpKind::LoopE>}},
        {"loopz", {Op::LoopE, jump<JumpKind::LoopE>}},
        {"loopne", {Op::LoopNE, jump<JumpKind::LoopNE>}},
        {"loopnz", {Op::LoopNE, jump<JumpKind::LoopNE>}},
        {"sti", {Op::Sti, setFlag<kInterruptFlag, true>}},
        {"cli", {Op::Cli, setFlag<kInterruptFlag, false>}},
        {"lea", {Op::Lea, call<&Cpu::execLea>}},
        {"nop", {Op::Nop, [](Kit&, const DecodedInstruction&) { return Outcome::Executed; }}},
        {"clc", {Op::Clc, setFlag<kCarryFlag, false>}},
        {"cmc",
         {Op::Cmc,
          [](Kit& k, const DecodedInstruction&) {
              k.cpu.regs.setFlag(kCarryFlag, !k.cpu.regs.testFlag(kCarryFlag));
              return Outcome::Executed;
          }}},
        {"stc", {Op::Stc, setFlag<kCarryFlag, true>}},
        {"cld", {Op::Cld, setFlag<kDirectionFlag, false>}},
        {"std", {Op::Std, setFlag<kDirectionFlag, true>}},
        {"popf", {Op::Popf, fixed<&Cpu::execPushfPopf, false>}},
        {"pushf", {Op::Pushf, fixed<&Cpu::execPushfPopf, true>}},
        {"into",
         {Op::Into,
          [](Kit& k, const DecodedInstruction& i) {
              if (!k.cpu.regs.testFlag(kOverflowFlag)) {
                  return Outcome::ExecutedQuietly;
              }
              k.cpu.cycles += i.clocks.extra;
              return outcome(k.cpu.execInt(i.target));
          }}},
        {"inc", {Op::Inc, call<&Cpu::execIncDec, true>}},
        {"dec", {Op::Dec, call<&Cpu::execIncDec, false>}},
        {"cmp", {Op::Cmp, call<&Cpu::execSub, false>}},
        {"add", {Op::Add, call<&Cpu::execAdd>}},
        {"sub", {Op::Sub, call<&Cpu::execSub, true>}},
        {"adc", {Op::Adc, call<&Cpu::execAdcSbb, true>}},
        {"sbb", {Op::Sbb, call<&Cpu::execAdcSbb, false>}},
        {"and", {Op::And, call<&Cpu::execLogic, Cpu::LogicOp::And>}},
        {"or", {Op::Or, call<&Cpu::execLogic, Cpu::LogicOp::Or>}},
        {"xor", {Op::Xor, call<&Cpu::execLogic, Cpu::LogicOp::Xor>}},
        {"not", {Op::Not, call<&Cpu::execLogic, Cpu::LogicOp::Not>}},
        {"neg", {Op::Neg, call<&Cpu::execLogic, Cpu::LogicOp::Neg>}},
        {"test", {Op::Test, call<&Cpu::execLogic, Cpu::LogicOp::Test>}},
        {"mul", {Op::Mul, call<&Cpu::execMulDiv, Cpu::MulDivKind::Mul>}},
        {"div", {Op::Div, call<&Cpu::execMulDiv, Cpu::MulDivKind::Div>}},
        {"imul", {Op::Imul, call<&Cpu::execMulDiv, Cpu::MulDivKind::Imul>}},
        {"idiv", {Op::Idiv, call<&Cpu::execMulDiv, Cpu::MulDivKind::Idiv>}},
        {"shl", {Op::Shl, call<&Cpu::execShiftRotate, Cpu::ShiftKind::Shl>}},
        {"sal", {Op::Shl, call<&Cpu::execShiftRotate, Cpu::ShiftKind::Shl>}},
        {"shr", {Op::Shr, call<&Cpu::execShiftRotate, Cpu::ShiftKind::Shr>}},
        {"rol", {Op::Rol, call<&Cpu::execShiftRotate, Cpu::ShiftKind::Rol>}},
        {"ror", {Op::Ror, call<&Cpu::execShiftRotate, Cpu::ShiftKind::Ror>}},
        {"rcl", {Op::Rcl, call<&Cpu::execShiftRotate, Cpu::ShiftKind::Rcl>}},
        {"rcr", {Op::Rcr, call<&Cpu::execShiftRotate, Cpu::ShiftKind::Rcr>}},
        {"sar", {Op::Sar, call<&Cpu::execShiftRotate, Cpu::ShiftKind::Sar>}},
        {"scasb", {Op::Scasb, fixed<&Cpu::execScas, false>}},
        {"scasw", {Op::Scasw, fixed<&Cpu::execScas, true>}},
        {"stosw", {Op::Stosw, fixed<&Cpu::execStos, true>}},
        {"stosb", {Op::Stosb, fixed<&Cpu::execStos, false>}},
        {"lodsw", {Op::Lodsw, fixed<&Cpu::execLods, true>}},
        {"lodsb", {Op::Lodsb, fixed<&Cpu::execLods, false>}},
        {"cmpsb", {Op::Cmpsb, fixed<&Cpu::execCmps, false>}},
        {"cmpsw", {Op::Cmpsw, fixed<&Cpu::execCmps, true>}},
        {"movsw", {Op::Movsw, fixed<&Cpu::execMovs, true>}},
        {"movsb", {Op::Movsb, fixed<&Cpu::execMovs, false>}},
        {"repe", {Op::Repe, call<&Cpu::execRepeat, false>}},
        {"repne", {Op::Repne, call<&Cpu::execRepeat, true>}},
        {"aaa", {Op::Aaa, fixed<&Cpu::execAdjust, Cpu::AdjustKind::Aaa>}},
        {"daa", {Op::Daa, fixed<&Cpu::execAdjust, Cpu::AdjustKind::Daa>}},
        {"das", {Op::Das, fixed<&Cpu::execAdjust, Cpu::AdjustKind::Das>}},
        {"aad", {Op::Aad, fixed<&Cpu::execAdjust, Cpu::AdjustKind::Aad>}},
        {"aam", {Op::Aam, fixed<&Cpu::execAdjust, Cpu::AdjustKind::Aam>}},
        {"aas", {Op::Aas, fixed<&Cpu::execAdjust, Cpu::AdjustKind::Aas>}},
        {"cbw", {Op::Cbw, fixed<&Cpu::execAdjust, Cpu::AdjustKind::Cbw>}},
        {"cwd", {Op::Cwd, fixed<&Cpu::execAdjust, Cpu::AdjustKind::Cwd>}},
    };
    return table;
}

// What an operation finds once, when its line is read, beyond its operand forms.
void resolve(DecodedInstruction& ins, const Cpu8086& cpu) {
    switch (ins.operation) {
        case Operation::Jmp:
        case Operation::Call:
            if (!isRegisterOrMemory(ins.dest)) {
                ins.target = cpu.findLine(ins.destText);
            }
            break;
        case Operation::Je:
        case Operation::Jne:
        case Operation::Ja:
        case Operation::Jae:
        case Operation::Jb:
        case Operation::Jbe:
        case Operation::Jg:
        case Operation::Jge:
        case Operation::Jl:
        case Operation::Jle:
        case Operation::Jo:
        case Operation::Jno:
        case Operation::Js:
        case Operation::Jns:
        case Operation::Jp:
        case Operation::Jnp:
        case Operation::Jcxz:
        case Operation::Loop:
        case Operation::LoopE:
        case Operation::LoopNE:
            ins.target = cpu.findLine(ins.destText);
            break;
        case Operation::Int:
            ins.target = cpu.findHandler(ins.destText);
            break;
        case Operation::Into:
            ins.target = cpu.findHandler("4");
            break;
        case Operation::Repe:
        case Operation::Repne:
            ins.variant = Cpu8086::repeatedOperation(ins.destText);
            break;
        case Operation::Connect:
            ins.variant = PortBus::deviceNamed(ins.destText);
            break;
        default:
            break;
    }
}

}  // namespace

DecodedInstruction decodeLine(std::string_view line, const Cpu8086& cpu) {
    DecodedInstruction ins;
    ins.text = normalised(line);
    std::string_view rest = ins.text;
    if (rest.empty()) {
        return ins;
    }
    if (const std::size_t colon = rest.find(':'); colon != std::string_view::npos) {
        rest = rest.substr(colon + 1);
        rest.remove_prefix(std::min(rest.find_first_not_of(" \t"), rest.size()));
        if (rest.empty()) {
            return ins;  // a label alone
        }
    }
    const std::size_t blank = rest.find(' ');
    ins.mnemonic = rest.substr(0, blank);
    rest = blank == std::string_view::npos ? std::string_view() : rest.substr(blank + 1);

    const std::size_t comma = rest.find(',');
    ins.destText = trimRight(rest.substr(0, comma));
    if (comma != std::string_view::npos) {
        std::string_view source = rest.substr(comma + 1);
        source.remove_prefix(std::min(source.find_first_not_of(" \t"), source.size()));
        ins.sourceText = source;
    }
    ins.dest = OperandForm::read(ins.destText);
    ins.source = OperandForm::read(ins.sourceText);

    const auto& table = mnemonics();
    const auto found = table.find(toLower(ins.mnemonic));
    if (found == table.end()) {
        ins.operation = Operation::Unknown;
        return ins;
    }
    ins.operation = found->second.operation;
    ins.executor = found->second.executor;
    resolve(ins, cpu);
    ins.clocks = clocksOf(ins);
    return ins;
}

}  // namespace tarvix
