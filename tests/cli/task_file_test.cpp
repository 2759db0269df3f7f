// The grader's task files: a bad one is refused before anything runs, and the refusal names
// the key's path, so that the teacher finds the mistake.
#include <gtest/gtest.h>

#include <string>

#include "cli/task_file.h"

namespace {

using tarvix::GradeTask;
using tarvix::parseTask;

// A task of one test around the test's own keys.
std::string oneTest(const std::string& keys) {
    return R"({"tests": [{"name": "t", )" + keys + "}]}";
}

TEST(TaskFile, RefusalsNameTheKeysPath) {
    struct Case {
        std::string text;
        std::string refusal;  // how it begins
    };
    const std::string expect = R"("expect": {})";
    const Case cases[] = {
        {"{\"tests\": [", "no JSON: "},
        {"{\"tests\": 1e999}", "no JSON: number overflow"},
        {"[]", "needs an object"},
        {R"({"title": "x"})", "tests: needs a list of at least one test"},
        {R"({"tests": []})", "tests: needs a list of at least one test"},
        {R"({"tests": [{"name": "t", "expect": {}}], "test": []})", "unknown key \"test\""},
        {R"({"tests": [{"expect": {}}]})", "tests[0]: needs a \"name\""},
        {oneTest(R"("points": 1)"), "tests[0]: needs an \"expect\""},
        {oneTest(expect + R"(, "regs": {})"), "tests[0]: unknown key \"regs\""},
        {R"({"tests": [{"name": "a", "expect": {}}, {"name": "a", "expect": {}}]})",
         "tests[1].name: \"a\" is the name of tests[0] too"},
        {R"({"tests": [{"name": "a", "expect": {}}, {"name": "b", "expect": {},
           "setup": {"memory": {"19000": "01"}}}]})",
         "tests[1].setup.memory: \"19000\""},
        {oneTest(expect + R"(, "setup": {"memory": {"0FFF": "01"}})"), "tests[0].setup.memory: "},
        {oneTest(expect + R"(, "setup": {"memory": {"1FFF": "01 02"}})"),
         "tests[0].setup.memory: "},
        {oneTest(expect + R"(, "setup": {"memory": {"1900": "1 2 345"}})"),
         "tests[0].setup.memory: "},
        {oneTest(expect + R"(, "setup": {"registers": {"AL": "01"}})"),
         "tests[0].setup.registers: \"AL\""},
        {oneTest(expect + R"(, "setup": {"registers": {"cx": "10000"}})"),
         "tests[0].setup.registers.cx: "},
        {oneTest(expect + R"(, "setup": {"registers": {"CX": 3}})"),
         "tests[0].setup.registers.CX: needs a text"},
        {oneTest(expect + R"(, "setup": {"flags": {}})"), "tests[0].setup: unknown key \"flags\""},
        {oneTest(expect + R"(, "clock": 100)"), "tests[0].clock: "},
        {oneTest(expect + R"(, "maxSteps": 0)"), "tests[0].maxSteps: "},
        {oneTest(expect + R"(, "maxSteps": 2.5)"), "tests[0].maxSteps: "},
        {oneTest(expect + R"(, "points": -1)"), "tests[0].points: "},
        {oneTest(expect + R"(, "timeout": 0)"), "tests[0].timeout: "},
        {oneTest(expect + R"(, "break": [0])"), "tests[0].break[0]: "},
        {oneTest(expect + R"(, "hwtimer": "yes")"), "tests[0].hwtimer: "},
        {R"({"defaults": {"name": "x"}, "tests": [{"name": "t", "expect": {}}]})",
         "defaults: unknown key \"name\""},
        {R"({"defaults": {"keys": 5}, "tests": [{"name": "t", "expect": {}}]})",
         "defaults.keys: needs a text"},
        {oneTest(R"("expect": {"status": "done"})"), "tests[0].expect.status: "},
        {oneTest(R"("expect": {"registers": {"AH": "01"}})"), "tests[0].expect.registers: "},
        {oneTest(R"("expect": {"flags": {"XF": 1}})"), "tests[0].expect.flags: \"XF\""},
        {oneTest(R"("expect": {"flags": {"CF": 2}})"), "tests[0].expect.flags.CF: "},
        {oneTest(R"("expect": {"memory": {"2000": "00"}})"), "tests[0].expect.memory: "},
        {oneTest(R"("expect": {"pane": "Done.("})"), "tests[0].expect.pane: "},
        {oneTest(R"("expect": {"maxCycles": 0})"), "tests[0].expect.maxCycles: "},
        {oneTest(R"("expect": {"devices": {"led8255": ["3F"]}})"),
         "tests[0].expect.devices.led8255: needs a list of 8 "},
        {oneTest(R"("expect": {"devices": {"led8255": [null, null, null, null, null, null,
           null, "3G"]}})"),
         "tests[0].expect.devices.led8255[7]: "},
        {oneTest(R"("expect": {"devices": {"connected": ["led56"]}})"),
         "tests[0].expect.devices.connected[0]: \"led56\""},
        {oneTest(R"("expect": {"devices": {"speakerHz": "1000"}})"),
         "tests[0].expect.devices.speakerHz: "},
        {oneTest(R"("expect": {"devices": {"printer": ""}})"),
         "tests[0].expect.devices: unknown key \"printer\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::string problem;
        EXPECT_FALSE(parseTask(c.text, "task", problem).has_value());
        EXPECT_EQ(problem.rfind(c.refusal, 0), 0u) << problem;
    }
}

// A test takes each key it does not give from the defaults, and the title stands in for none.
TEST(TaskFile, TestsTakeTheDefaultsTheyDoNotOverride) {
    std::string problem;
    const std::optional<GradeTask> task = parseTask(
        R"({"defaults": {"maxSteps": 50, "points": 2, "keys": "ab"},
            "tests": [{"name": "a", "expect": {}},
                      {"name": "b", "maxSteps": 7, "points": 0.5, "expect": {}}]})",
        "fallback", problem);
    ASSERT_TRUE(task.has_value()) << problem;
    EXPECT_EQ(task->title, "fallback");
    EXPECT_EQ(task->tests[0].run.maxSteps, 50u);
    EXPECT_EQ(task->tests[1].run.maxSteps, 7u);
    EXPECT_EQ(task->tests[1].run.keys, "ab");
    EXPECT_DOUBLE_EQ(task->maxPoints(), 2.5);
    EXPECT_DOUBLE_EQ(task->tests[0].run.timeoutSeconds, tarvix::kDefaultTimeoutSeconds);
}

}  // namespace
