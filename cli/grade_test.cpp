#include "cli/grade_test.h"

#include <nlohmann/json.hpp>

#include "cli/expectations.h"
#include "cli/json_text.h"

namespace tarvix {

TestOutcome runTest(const GradeTest& test, const std::string& path) {
    RunRequest request = test.run;
    request.path = path;
    request.started = std::chrono::steady_clock::now();
    const RunReport report = runHeadless(request);
    TestOutcome outcome;
    if (!report.refusal.empty()) {
        outcome.status = "refused";
        outcome.detail = report.refusal;
        return outcome;
    }
    outcome.status = report.status;
    outcome.detail = firstMiss(test.expect, report);
    outcome.passed = outcome.detail.empty();
    outcome.points = outcome.passed ? test.points : 0;
    return outcome;
}

std::string outcomeLine(const TestOutcome& outcome) {
    const nlohmann::json line = {{"passed", outcome.passed},
                                 {"points", outcome.points},
                                 {"status", outcome.status},
                                 {"detail", utf8Text(outcome.detail)}};
    return line.dump();
}

std::optional<TestOutcome> parseOutcomeLine(std::string_view line) {
    try {
        const nlohmann::json value = nlohmann::json::parse(line);
        TestOutcome outcome;
        outcome.passed = value.at("passed").get<bool>();
        outcome.points = value.at("points").get<double>();
        outcome.status = value.at("status").get<std::string>();
        outcome.detail = value.at("detail").get<std::string>();
        return outcome;
    } catch (const nlohmann::json::exception&) {
        return std::nullopt;
    }
}

}  // namespace tarvix
