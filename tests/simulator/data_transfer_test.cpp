#include <string>

#include "tests/simulator/cpu_fixture.h"

namespace tarvix::test {
namespace {

using Exec = bool (*)(Cpu8086&);
constexpr Exec kMov = [](Cpu8086& c) { return c.execMov(); };
constexpr Exec kXchg = [](Cpu8086& c) { return c.execXchg(); };
constexpr Exec kXlat = [](Cpu8086& c) { return c.execXlat(); };
constexpr Exec kPush = [](Cpu8086& c) { return c.execPushPop(true); };
constexpr Exec kPop = [](Cpu8086& c) { return c.execPushPop(false); };
constexpr Exec kPushf = [](Cpu8086& c) { return c.execPushfPopf(true); };
constexpr Exec kPopf = [](Cpu8086& c) { return c.execPushfPopf(false); };

constexpr const char* kFormat = "Error in instruction format";
constexpr const char* kWindow = "Bytes can be placed only between 1000H and 1FFFH";
constexpr const char* kOpcode = "Cannot replace opcode";
constexpr const char* kFull = "Out of stack space";
constexpr const char* kEmpty = "Stack empty for 'Pop' to function";

struct Case {
    Exec exec;
    const char* dest;
    const char* source;
    const char* setup;  // applied over the common state
    bool ok;
    const char* error;  // "" for none
    const char* expect;
};

class DataTransferTest : public CpuFixture {
protected:
    void runAll(const Case* first, const Case* last) {
        for (const Case* c = first; c != last; ++c) {
            cpu.regs.reset();
            // The stack words first: [1FFE] would overwrite the byte at 1FFFH.
            apply("AX=1234 BX=1100 DX=0ABCD SI=1102 [1100]=5678 [1102]=9ABC [1FFC]=0 [1FFE]=0");
            apply("b[1FFF]=5A");
            apply(c->setup);
            at(7, c->dest, c->source);
            SCOPED_TRACE(std::string(c->dest) + "," + c->source + " | " + c->setup);
            EXPECT_EQ(c->exec(cpu), c->ok);
            EXPECT_EQ(sink.text, *c->error ? lineError(7, c->error) : "");
            check(c->expect);
        }
    }
};

TEST_F(DataTransferTest, Mov) {
    const Case cases[] = {
        {kMov, "AL", "0ABCD", "", true, "", "AX=12CD"},  // cut to the byte
        {kMov, "cx", "0FFFF", "", true, "", "CX=0FFFF"},
        {kMov, "CX", "AX", "", true, "", "CX=1234"},
        {kMov, "DH", "al", "", true, "", "DX=34CD"},
        {kMov, "AX", "BL", "", false, kFormat, "AX=1234"},
        {kMov, "DS", "AX", "", false, kFormat, ""},
        {kMov, "AX", "DS", "", false, kFormat, "AX=1234"},
        {kMov, "AX", "table", "", false, kFormat, "AX=1234"},
        {kMov, "1234", "AX", "", false, kFormat, ""},
        {kMov, "AX", "[BX]", "", true, "", "AX=5678"},
        {kMov, "AL", "[BX+1]", "", true, "", "AX=1256"},
        {kMov, "CL", "WORD PTR [BX]", "", true, "", "CX=78"},  // the register decides
        {kMov, "AX", "[1FFF]", "", true, kWindow, "AX=0"},     // refused read, run goes on
        {kMov, "AX", "[0FFF]", "", false, kWindow, "AX=1234"},
        {kMov, "[BX]", "AX", "", true, "", "b[1100]=34 b[1101]=12"},
        {kMov, "[BX]", "DL", "", true, "", "[1100]=56CD"},
        {kMov, "BYTE PTR [BX]", "AX", "", true, "", "[1100]=1234"},
        {kMov, "[BX]", "5", "", false,
         "Specify 'BPTR'  or 'WPTR' for pointer to byte or word resptly", "[1100]=5678"},
        {kMov, "BPTR [BX]", "1234", "", true, "", "[1100]=5634"},
        {kMov, "WORD PTR [BX]", "7", "", true, "", "[1100]=7"},
        {kMov, "WPTR [1FFF]", "1", "", false, kWindow, "b[1FFF]=5A"},
        {kMov, "[1FFF]", "AX", "", false, kWindow, "b[1FFF]=5A"},
        {kMov, "[1FFF]", "AL", "", true, "", "b[1FFF]=34"},
        {kMov, "[100E]", "AX", "", false, kOpcode, "[100E]=9090"},  // into the program
        {kMov, "[0FFF]", "5", "", false, kWindow, ""},
        {kMov, "[BX]", "table", "", false, kFormat, "[1100]=5678"},
        {kMov, "[BX+SI-2]", "AX", "", false, kFormat, ""},
    };
    runAll(std::begin(cases), std::end(cases));
}

TEST_F(DataTransferTest, XchgAndXlat) {
    const Case cases[] = {
        {kXchg, "AX", "BX", "", true, "", "AX=1100 BX=1234"},
        {kXchg, "AH", "al", "", true, "", "AX=3412"},
        {kXchg, "AL", "BX", "", false, kFormat, "AX=1234 BX=1100"},
        {kXchg, "[SI]", "AL", "", true, "", "AX=12BC [1102]=9A34"},
        {kXchg, "DX", "[SI]", "", true, "", "DX=9ABC [1102]=0ABCD"},
        {kXchg, "AX", "1234", "", false, kFormat, "AX=1234"},
        {kXchg, "[SI]", "[BX]", "", false, kFormat, "[1100]=5678"},
        // A refused write still counts as done; the register takes the old memory value.
        {kXchg, "[100E]", "AL", "", true, kOpcode, "AX=1290 [100E]=9090"},
        {kXchg, "AX", "[1FFF]", "", true, kWindow, "AX=0 b[1FFF]=5A"},
        {kXchg, "AX", "[0FFF]", "", false, kWindow, "AX=1234"},
        {kXlat, "", "", "BX=1FF0 AL=20", false, kWindow, "AX=1220"},
        {kXlat, "", "", "BX=1FF0 AL=0F", true, "", "AX=125A"},
        {kXlat, "", "", "BX=1FF0 AL=10", false, kWindow, "AX=1210"},
        {kXlat, "", "", "BX=0F80 AL=80", true, "", "AX=1290"},  // AL counts unsigned
        {kXlat, "", "", "BX=0FFF AL=0", false, kWindow, "AX=1200"},
        {kXlat, "", "", "BX=0FFFF AL=2", false, kWindow, "AX=1202"},
    };
    runAll(std::begin(cases), std::end(cases));
}

TEST_F(DataTransferTest, StackTransfers) {
    const Case cases[] = {
        {kPush, "AX", "", "", true, "", "SP=1FFE [1FFE]=1234"},
        {kPush, "SP", "", "", true, "", "SP=1FFE [1FFE]=2000"},  // the value before the push
        {kPush, "WPTR [BX]", "", "", true, "", "SP=1FFE [1FFE]=5678"},
        {kPush, "AX", "", "SP=1000", false, kFull, "SP=1000"},
        {kPush, "AX", "", "SP=1010", false, kOpcode, "SP=100E [100E]=9090"},  // SP stays lowered
        {kPush, "AL", "", "", false, kFormat, "SP=2000"},
        {kPush, "1234", "", "", false, kFormat, "SP=2000"},
        {kPush, "BYTE PTR [BX]", "", "", false, kFormat, "SP=2000"},
        {kPush, "[0FFF]", "", "", false, kWindow, "SP=2000"},
        {kPop, "BX", "", "", false, kEmpty, "SP=2000 BX=1100"},
        {kPop, "BX", "", "SP=1FFE [1FFE]=0ABC", true, "", "SP=2000 BX=0ABC"},
        {kPop, "AL", "", "SP=1FFE", false, kEmpty, "SP=2000 AX=1234"},
        {kPop, "[BX]", "", "SP=1FFE [1FFE]=0ABC", true, "", "SP=2000 [1100]=0ABC"},
        {kPop, "BYTE PTR [BX]", "", "SP=1FFE [1FFE]=0ABC", false, kEmpty, "SP=2000 [1100]=5678"},
        {kPop, "[0FFF]", "", "SP=1FFE", false, kWindow, "SP=1FFE"},
        {kPop, "[100E]", "", "SP=1FFE", false, kOpcode, "SP=2000"},
        {kPop, "1234", "", "SP=1FFE", false, kFormat, "SP=1FFE"},
        {kPushf, "", "", "FLAGS=0ED7", true, "", "SP=1FFE [1FFE]=0ED7"},
        {kPushf, "", "", "SP=1000", false, kFull, "SP=1000"},
        {kPopf, "", "", "", false, kEmpty, "SP=2000 FLAGS=0"},
        {kPopf, "", "", "SP=1FFE [1FFE]=0DD5 FLAGS=0200", true, "", "SP=2000 FLAGS=0DD5"},
        {kPopf, "", "", "SP=1FFE [1FFE]=0200", true, "", "FLAGS=0200"},
    };
    runAll(std::begin(cases), std::end(cases));
}

}  // namespace
}  // namespace tarvix::test
