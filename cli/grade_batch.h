// The grading of a whole class: the tests of each submission run in a worker process, `jobs`
// workers at a time, so that a crash or an endless run never stops the batch. Each worker has a
// private folder in which its copy of the submission, its list file and its temporary files
// live, answers test by test, and is ended when it outlives its test's wall-time limit; the
// tests after one that crashed or hung run in a new worker.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "cli/grade_test.h"
#include "cli/submissions.h"
#include "cli/task_file.h"

namespace tarvix {

struct SubmissionGrade {
    std::string file;
    std::vector<TestOutcome> tests;  // one per test of the task, in its order
    double points() const;
};

// Called after each finished test with the count done and the count of all.
using GradeProgress = std::function<void(std::size_t done, std::size_t total)>;

// The grades in the submissions' order. `problem` tells why no batch could start (no
// temporary folder).
std::vector<SubmissionGrade> gradeAll(const GradeTask& task,
                                      const std::vector<Submission>& submissions, int jobs,
                                      const GradeProgress& progress, std::string& problem);

}  // namespace tarvix
