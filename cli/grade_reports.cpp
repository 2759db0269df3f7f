#include "cli/grade_reports.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include <nlohmann/json.hpp>

#include "cli/json_text.h"
#include "common/format.h"

namespace tarvix {

namespace {

// The first test the submission missed, with its name.
std::string firstMissText(const GradeTask& task, const SubmissionGrade& grade) {
    for (std::size_t t = 0; t < grade.tests.size(); ++t) {
        if (!grade.tests[t].passed) {
            return task.tests[t].name + ": " + grade.tests[t].detail;
        }
    }
    return {};
}

std::string csvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) {
        return text;
    }
    std::string quoted = "\"";
    for (const char c : text) {
        quoted += c == '"' ? "\"\"" : std::string(1, c);
    }
    return quoted + "\"";
}

// XML 1.0 allows no control characters but tab and the line ends.
std::string xmlText(const std::string& text) {
    std::string out;
    for (const char c : utf8Text(text)) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                if (static_cast<unsigned char>(c) >= 0x20 || c == '\t' || c == '\n' || c == '\r') {
                    out += c;
                }
        }
    }
    return out;
}

// Columns are counted in characters: a UTF-8 character's continuation bytes take no room.
std::size_t displayWidth(std::string_view text) {
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

double seconds(const SubmissionGrade& grade) {
    double sum = 0;
    for (const TestOutcome& outcome : grade.tests) {
        sum += outcome.seconds;
    }
    return sum;
}

std::size_t failures(const SubmissionGrade& grade) {
    return static_cast<std::size_t>(std::count_if(grade.tests.begin(), grade.tests.end(),
                                                  [](const TestOutcome& t) { return !t.passed; }));
}

}  // namespace

std::string pointsText(double points) {
    std::string text = formatText("%.2f", points);
    text.erase(text.find_last_not_of('0') + 1);
    if (text.back() == '.') {
        text.pop_back();
    }
    return text;
}

std::string gradeTable(const GradeTask& task, const std::vector<SubmissionGrade>& grades) {
    std::size_t width = 4;
    for (const SubmissionGrade& grade : grades) {
        width = std::max(width, displayWidth(utf8Text(grade.file)));
    }
    const std::string maximum = pointsText(task.maxPoints());
    std::string table = "file" + std::string(width - 4, ' ');
    table += "  points     max  first failed expectation\n";
    double total = 0;
    std::size_t full = 0;
    for (const SubmissionGrade& grade : grades) {
        const std::string file = utf8Text(grade.file);
        table += file + std::string(width - displayWidth(file), ' ') + "  ";
        appendRightAligned(table, pointsText(grade.points()), 6);
        table += "  ";
        appendRightAligned(table, maximum, 6);
        const std::string miss = firstMissText(task, grade);
        table += (miss.empty() ? "" : "  " + utf8Text(miss)) + "\n";
        total += grade.points();
        full += failures(grade) == 0 ? 1U : 0U;
    }
    const double mean = grades.empty() ? 0 : total / static_cast<double>(grades.size());
    return table + formatText("%zu submission%s, mean %s of %s points, %zu with full marks\n",
                              grades.size(), grades.size() == 1 ? "" : "s",
                              pointsText(mean).c_str(), maximum.c_str(), full);
}

std::string gradeJson(const GradeTask& task, const std::vector<SubmissionGrade>& grades) {
    using Json = nlohmann::ordered_json;
    // Whole points as whole numbers, as the teacher wrote them.
    const auto points = [](double value) {
        return value == std::floor(value) && value < 1e15 ? Json(static_cast<std::int64_t>(value))
                                                          : Json(value);
    };
    Json submissions = Json::array();
    for (const SubmissionGrade& grade : grades) {
        Json tests = Json::array();
        for (std::size_t t = 0; t < grade.tests.size(); ++t) {
            const TestOutcome& outcome = grade.tests[t];
            tests.push_back({{"name", task.tests[t].name},
                             {"passed", outcome.passed},
                             {"points", points(outcome.points)},
                             {"status", outcome.status},
                             {"detail", utf8Text(outcome.detail)}});
        }
        submissions.push_back({{"file", utf8Text(grade.file)},
                               {"points", points(grade.points())},
                               {"maxPoints", points(task.maxPoints())},
                               {"tests", tests}});
    }
    const Json report = {{"task", task.title}, {"submissions", submissions}};
    return report.dump(2) + "\n";
}

std::string gradeCsv(const GradeTask& task, const std::vector<SubmissionGrade>& grades) {
    std::string csv = "file,points,maxPoints";
    for (const GradeTest& test : task.tests) {
        csv += "," + csvField(test.name);
    }
    csv += "\r\n";
    for (const SubmissionGrade& grade : grades) {
        csv += csvField(utf8Text(grade.file)) + "," + pointsText(grade.points()) + "," +
               pointsText(task.maxPoints());
        for (const TestOutcome& outcome : grade.tests) {
            csv += "," + pointsText(outcome.points);
        }
        csv += "\r\n";
    }
    return csv;
}

std::string gradeJunit(const GradeTask& task, const std::vector<SubmissionGrade>& grades) {
    std::size_t tests = 0;
    std::size_t failed = 0;
    double time = 0;
    std::string suites;
    for (const SubmissionGrade& grade : grades) {
        const std::string file = xmlText(grade.file);
        tests += grade.tests.size();
        failed += failures(grade);
        time += seconds(grade);
        suites +=
            formatText("  <testsuite name=\"%s\" tests=\"%zu\" failures=\"%zu\" time=\"%.3f\">\n",
                       file.c_str(), grade.tests.size(), failures(grade), seconds(grade));
        for (std::size_t t = 0; t < grade.tests.size(); ++t) {
            const TestOutcome& outcome = grade.tests[t];
            suites +=
                formatText("    <testcase classname=\"%s\" name=\"%s\" time=\"%.3f\"", file.c_str(),
                           xmlText(task.tests[t].name).c_str(), outcome.seconds);
            suites += outcome.passed ? "/>\n"
                                     : ">\n      <failure type=\"" + xmlText(outcome.status) +
                                           "\" message=\"" + xmlText(outcome.detail) +
                                           "\"/>\n    </testcase>\n";
        }
        suites += "  </testsuite>\n";
    }
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" +
           formatText("<testsuites name=\"%s\" tests=\"%zu\" failures=\"%zu\" time=\"%.3f\">\n",
                      xmlText(task.title).c_str(), tests, failed, time) +
           suites + "</testsuites>\n";
}

}  // namespace tarvix
