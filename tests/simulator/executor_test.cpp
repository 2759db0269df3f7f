// The executors' refusals and messages, the accesses they refuse without stopping, and the
// operand texts they ignore. Results and flags of every form are held to a processor by the
// differential tests; these rows are what a processor cannot say.
#include "tests/kit_fixture.h"

namespace tarvix {
namespace {

constexpr const char* kFormat = "Error in instruction format";
constexpr const char* kPrefix = "Specify 'BPTR'  or 'WPTR' for pointer to byte or word resptly";
constexpr const char* kWindow = "Bytes can be placed only between 1000H and 1FFFH";
constexpr const char* kOpcode = "Cannot replace opcode";
constexpr const char* kFull = "Out of stack space";
constexpr const char* kEmpty = "Stack empty for 'Pop' to function";
constexpr const char* kCount = "Use SHL reg,1 ,or SHL reg, CL. (CL='count')";
constexpr const char* kByZero = "type-0 interrupt (Divide by zero)";
constexpr const char* kOverflow = "type-0 interrupt (result overflow)";

class ExecutorTest : public KitFixture {
protected:
    ExecutorTest() { loadTestProgram(); }
};

TEST_F(ExecutorTest, Arithmetic) {
    const ExecutorCase cases[] = {
        {"add AX,BL", "AX=1234", false, kFormat, "AX=1234"},
        {"add [BX],5", "BX=1100", false, kPrefix, "[1100]=5678"},
        {"add BPTR [BX],AX", "BX=1100 AX=1", true, "", "[1100]=5679"},  // AX decides
        {"add [SI],[DI]", "SI=1100 DI=1102", false, kFormat, "[1100]=5678"},
        {"add DS,AX", "", false, kFormat, ""},
        {"add AX", "AX=1", false, kFormat, "AX=1"},
        {"add AX,[0FFF]", "AX=1234", false, kWindow, "AX=1234"},
        {"inc AX,5", "AX=1", true, "", "AX=2"},  // INC's second operand is ignored
        {"inc [BX]", "BX=1100", false, kPrefix, "[1100]=5678"},
        {"inc 5", "", false, kFormat, ""},
        // Refused accesses that do not stop the instruction: a read yields 0.
        {"add AX,[1FFF]", "AX=1234", true, kWindow, "AX=1234 ZF=0"},
        {"add BPTR [100E],1", "", true, kOpcode, "[100E]=0C08A SF=1"},
        {"cmp BPTR [100E],8A", "", true, "", "ZF=1"},  // reading the program is fine
        // The flag image: TF, IF, DF and bit 14 kept; bit 1 set; 3, 5, 12, 13 and 15 cleared.
        {"add AL,1", "FLAGS=0FFFF", true, "", "AX=1 FLAGS=4702"},
        {"cmp AL,1", "FLAGS=0BD28", true, "", "FLAGS=0597"},
    };
    runAll(cases);
}

TEST_F(ExecutorTest, LogicShiftAndRotate) {
    const ExecutorCase cases[] = {
        {"not AX", "AX=0F0F FLAGS=08D5", true, "", "AX=0F0F0 FLAGS=08D7"},
        {"not 5", "", false, kFormat, ""},
        // With a second operand that fits a two-operand form NOT and NEG do nothing.
        {"neg AX,BX", "AX=1 BX=2", true, "", "AX=1 BX=2 FLAGS=0"},
        {"neg [BX],AX", "BX=1100", true, "", "[1100]=5678 FLAGS=0"},
        {"neg [BX],5", "BX=1100", false, kPrefix, "[1100]=5678"},
        {"not AX,BL", "AX=1", false, kFormat, "AX=1"},
        {"shl AX,0001", "AX=8001", true, "", "AX=2 CF=1 OF=1"},
        {"shl AX,2", "AX=8001", false, kCount, "AX=8001"},
        {"ror AX", "AX=8001", false, kCount, "AX=8001"},
        // Memory without a size prefix is a format error here, not the prefix message.
        {"shl [SI],1", "SI=1100", false, kFormat, "[1100]=5678"},
        {"shl 5,1", "", false, kFormat, ""},
        {"shl WPTR [0FFF],1", "", false, kWindow, ""},
        {"rol BPTR [100E],1", "", true, kOpcode, "[100E]=0C08A CF=1"},
        {"shl WPTR [1FFF],1", "", true, kWindow, "b[1FFF]=0A5 ZF=1"},
    };
    runAll(cases);
}

TEST_F(ExecutorTest, MultiplyDivideAndAdjust) {
    const ExecutorCase cases[] = {
        {"mul AX,BX", "AX=2", false, kFormat, "AX=2"},
        {"mul [SI]", "AX=2 SI=1100", false, kFormat, "AX=2"},
        {"mul WPTR [0FFF]", "AX=2", false, kWindow, "AX=2"},
        // A division that would fault changes nothing, flags included.
        {"div BL", "AX=1234 BX=0 FLAGS=08D5", false, kByZero, "AX=1234 FLAGS=08D5"},
        {"div BL", "AX=1234 BX=100", false, kByZero, "AX=1234"},  // BH is no divisor
        {"div BL", "AX=400 BX=2", false, kOverflow, "AX=400"},
        {"div BL", "AX=1FE BX=2", true, "", "AX=0FF"},
        {"div BX", "DX=1 AX=0 BX=1", false, kOverflow, "AX=0 DX=1"},
        {"idiv BL", "AX=80 BX=1", false, kOverflow, "AX=80"},
        {"idiv BL", "AX=0FF81 BX=1", true, "", "AX=81"},
        {"idiv BX", "DX=8000 AX=0 BX=0FFFF", false, kOverflow, "AX=0 DX=8000"},
        // The refused read yields 0, whose division is refused in turn; the pane keeps the
        // first message.
        {"div WPTR [1FFF]", "AX=5 DX=0", false, kWindow, "AX=5 DX=0"},
        {"aam 5", "AX=3F", true, "", "AX=603"},  // always base ten
        {"aad AX,BX", "AX=603", true, "", "AX=3F"},
        // The sign extensions leave FLAGS alone, reserved bits included.
        {"cbw", "AX=80 FLAGS=0F02A", true, "", "AX=0FF80 FLAGS=0F02A"},
        {"cwd", "AX=8000 FLAGS=0F02A", true, "", "DX=0FFFF FLAGS=0F02A"},
    };
    runAll(cases);
}

TEST_F(ExecutorTest, StringsAndRepetitions) {
    const ExecutorCase cases[] = {
        {"stosb", "DI=0 AX=41", false, kWindow, "DI=0"},
        // The word's high byte would lie outside: refused, yet DI steps and the run goes on.
        {"stosw", "DI=1FFF AX=4142", true, kWindow, "[1FFE]=0A5A5 DI=2001"},
        {"stosb", "DI=100E AX=41", true, kOpcode, "[100E]=0C08A DI=100F"},
        {"movsb", "SI=0FFF DI=1200 b[1200]=0", false, kWindow, "b[1200]=0 SI=0FFF DI=1200"},
        {"cmpsw", "SI=2000 DI=1100", false, kWindow, "SI=2000 DI=1100 FLAGS=0"},
        {"lodsw", "SI=1FFF AX=1", true, kWindow, "AX=0 SI=2001"},
        {"repe CMPSB", "SI=1100 DI=1200 CX=0 FLAGS=0F8D5", true, "",
         "SI=1100 DI=1200 CX=0 FLAGS=0F8D5"},
        {"repe lodsb", "SI=1100 CX=2", false, kFormat, "CX=2 SI=1100"},
        {"repe", "CX=2", false, kFormat, "CX=2"},
        {"repe movsx", "CX=2", false, kFormat, "CX=2"},
        // A pass that fails ends nothing; the first pass decides the outcome.
        {"repe movsb", "SI=1FFE DI=1200 CX=4", true, kWindow, "CX=0 SI=2000 DI=1202 [1200]=0A5A5"},
        {"repne stosb", "DI=0 CX=3", false, kWindow, "CX=0 DI=0"},
    };
    runAll(cases);
}

// Rows start from AX=1234 BX=1100 DX=ABCD SI=1102, an empty stack and 5AH at 1FFFH.
constexpr const char* kTransferState = "AX=1234 BX=1100 DX=0ABCD SI=1102 [1FFC]=0 [1FFE]=5A00";

TEST_F(ExecutorTest, DataTransfers) {
    const ExecutorCase cases[] = {
        {"mov AL,0ABCD", "", true, "", "AX=12CD"},  // cut to the byte
        {"mov AX,BL", "", false, kFormat, "AX=1234"},
        {"mov DS,AX", "", false, kFormat, ""},
        {"mov AX,table", "", false, kFormat, "AX=1234"},
        {"mov CL,WORD PTR [BX]", "", true, "", "CX=78"},  // the register decides
        {"mov AX,[1FFF]", "", true, kWindow, "AX=0"},     // refused read, run goes on
        {"mov AX,[0FFF]", "", false, kWindow, "AX=1234"},
        {"mov BYTE PTR [BX],AX", "", true, "", "[1100]=1234"},
        {"mov [BX],5", "", false, kPrefix, "[1100]=5678"},
        {"mov BPTR [BX],1234", "", true, "", "[1100]=5634"},
        {"mov WPTR [1FFF],1", "", false, kWindow, "b[1FFF]=5A"},
        {"mov [1FFF],AL", "", true, "", "b[1FFF]=34"},
        {"mov [100E],AX", "", false, kOpcode, "[100E]=0C08A"},  // into the program
        {"mov [BX],table", "", false, kFormat, "[1100]=5678"},
        {"mov [BX+SI-2],AX", "", false, kFormat, ""},
        {"xchg AL,BX", "", false, kFormat, "AX=1234 BX=1100"},
        {"xchg [SI],[BX]", "", false, kFormat, "[1100]=5678"},
        // A refused write still counts as done; the register takes the old memory value.
        {"xchg [100E],AL", "", true, kOpcode, "AX=128A [100E]=0C08A"},
        {"xchg AX,[1FFF]", "", true, kWindow, "AX=0 b[1FFF]=5A"},
        {"xlat", "BX=1FF0 AL=0F", true, "", "AX=125A"},
        {"xlat", "BX=1FF0 AL=10", false, kWindow, "AX=1210"},
        {"xlat", "BX=0F80 AL=80", true, "", "AX=128A"},  // AL counts unsigned
        {"xlat", "BX=0FFFF AL=2", false, kWindow, "AX=1202"},
        {"push SP", "", true, "", "SP=1FFE [1FFE]=2000"},  // the value before the push
        {"push AX", "SP=1000", false, kFull, "SP=1000"},
        {"push AX", "SP=1010", false, kOpcode, "SP=100E [100E]=0C08A"},  // SP stays lowered
        {"push AL", "", false, kFormat, "SP=2000"},
        {"push BYTE PTR [BX]", "", false, kFormat, "SP=2000"},
        {"push [0FFF]", "", false, kWindow, "SP=2000"},
        {"pop BX", "", false, kEmpty, "SP=2000 BX=1100"},
        {"pop AL", "SP=1FFE", false, kEmpty, "SP=2000 AX=1234"},
        {"pop BYTE PTR [BX]", "SP=1FFE [1FFE]=0ABC", false, kEmpty, "SP=2000 [1100]=5678"},
        {"pop [0FFF]", "SP=1FFE", false, kWindow, "SP=1FFE"},
        {"pop [100E]", "SP=1FFE", false, kOpcode, "SP=2000"},
        {"pushf", "SP=1000", false, kFull, "SP=1000"},
        {"popf", "", false, kEmpty, "SP=2000 FLAGS=0"},
        {"popf", "SP=1FFE [1FFE]=0200", true, "", "FLAGS=0200"},
    };
    runAll(cases, kTransferState);
}

}  // namespace
}  // namespace tarvix
