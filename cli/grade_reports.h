// The marks of a grading run in the forms schools and CI systems read: the table on standard
// output, JSON, CSV and JUnit XML. All text in them is UTF-8, whatever bytes a file holds.
#pragma once

#include <string>
#include <vector>

#include "cli/grade_batch.h"
#include "cli/task_file.h"

namespace tarvix {

// One row a submission (file, points, maximum, the first miss with its test's name), then a
// summary line.
std::string gradeTable(const GradeTask& task, const std::vector<SubmissionGrade>& grades);

std::string gradeJson(const GradeTask& task, const std::vector<SubmissionGrade>& grades);

// One row a submission with a column per test.
std::string gradeCsv(const GradeTask& task, const std::vector<SubmissionGrade>& grades);

// One test case per submission and test, a test suite per submission.
std::string gradeJunit(const GradeTask& task, const std::vector<SubmissionGrade>& grades);

// Points as a teacher writes them: 2, 1.5, 0.25.
std::string pointsText(double points);

}  // namespace tarvix
