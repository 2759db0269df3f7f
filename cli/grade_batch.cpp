#include "cli/grade_batch.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/signalfd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "common/format.h"
#include "common/text_file.h"

namespace tarvix {

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// A worker that has not answered this long after its test's own limit has hung: it is ended.
constexpr double kGraceSeconds = 5;
constexpr std::array kEndingSignals{SIGTERM, SIGINT, SIGHUP};

// The tests of one submission from `test` on, in one worker: a worker for each test would
// spend more on starting and ending processes than on running most programs.
struct Job {
    std::size_t submission;
    std::size_t test;
};

struct Worker {
    pid_t pid;
    int output;  // the read end of its pipe
    Job next;    // the test it runs now
    fs::path folder;
    Clock::time_point started;  // the test it runs now
    Clock::time_point deadline;
    std::string answers;  // what has come of the next line
};

// The copy of a submission a worker runs: its own name with the .asm extension, so that its list
// file is written beside it.
fs::path copyName(const std::string& file) {
    fs::path name = fs::path(file).filename();
    name.replace_extension(".asm");
    return name;
}

bool writeCopy(const fs::path& path, const std::string& source) {
    std::ofstream out(path, std::ios::binary);
    out << source;
    out.close();
    return static_cast<bool>(out);
}

class Batch {
public:
    Batch(const GradeTask& task, const std::vector<Submission>& submissions, int jobs,
          const GradeProgress& progress, std::vector<SubmissionGrade>& grades)
        : task_(task),
          submissions_(submissions),
          jobs_(static_cast<std::size_t>(std::max(jobs, 1))),
          progress_(progress),
          grades_(grades) {}

    std::string run();

private:
    std::string prepare();
    void start(const Job& job);
    [[noreturn]] void workerMain(const Job& job, const fs::path& source, int answers);
    void wait();
    void take(Worker& worker);
    void finish(Worker& worker, bool hung);
    Clock::time_point deadline(const Job& job) const;
    void record(const Job& job, TestOutcome outcome);
    [[noreturn]] void endBySignal(int signalNumber);

    const GradeTask& task_;
    const std::vector<Submission>& submissions_;
    std::size_t jobs_;
    const GradeProgress& progress_;
    std::vector<SubmissionGrade>& grades_;
    std::vector<Job> pending_;  // the next at the back
    std::vector<Worker> workers_;
    fs::path root_;
    std::size_t started_ = 0;
    std::size_t done_ = 0;
    std::size_t total_ = 0;
    int signals_ = -1;
    sigset_t previousMask_{};
    pid_t grader_ = ::getpid();
};

std::string Batch::prepare() {
    total_ = submissions_.size() * task_.tests.size();
    for (std::size_t s = 0; s < submissions_.size(); ++s) {
        const Submission& submission = submissions_[s];
        grades_.push_back({submission.file, std::vector<TestOutcome>(task_.tests.size())});
        if (submission.refusal.empty()) {
            pending_.push_back({s, 0});
            continue;
        }
        for (TestOutcome& outcome : grades_[s].tests) {
            outcome = {false, 0, "not run", submission.refusal, 0};
            ++done_;
        }
    }
    std::reverse(pending_.begin(), pending_.end());

    std::error_code error;
    std::string pattern = (fs::temp_directory_path(error) / "tarvix-grade-XXXXXX").string();
    if (error || ::mkdtemp(pattern.data()) == nullptr) {
        return "cannot make a temporary folder for the runs";
    }
    root_ = pattern;
    // An ending signal is read between two waits, so that the workers and their folders go
    // with the grader.
    sigset_t ending;
    sigemptyset(&ending);
    for (const int signalNumber : kEndingSignals) {
        sigaddset(&ending, signalNumber);
    }
    ::sigprocmask(SIG_BLOCK, &ending, &previousMask_);
    signals_ = ::signalfd(-1, &ending, SFD_CLOEXEC | SFD_NONBLOCK);
    return {};
}

std::string Batch::run() {
    if (std::string problem = prepare(); !problem.empty()) {
        return problem;
    }
    if (progress_) {
        progress_(done_, total_);
    }
    while (!pending_.empty() || !workers_.empty()) {
        while (!pending_.empty() && workers_.size() < jobs_) {
            const Job job = pending_.back();
            pending_.pop_back();
            start(job);
        }
        wait();
    }
    ::close(signals_);
    ::sigprocmask(SIG_SETMASK, &previousMask_, nullptr);
    std::error_code ignored;
    fs::remove_all(root_, ignored);
    return {};
}

Clock::time_point Batch::deadline(const Job& job) const {
    const double limit = task_.tests[job.test].run.timeoutSeconds + kGraceSeconds;
    return Clock::now() +
           std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(limit));
}

void Batch::start(const Job& job) {
    const fs::path folder = root_ / std::to_string(started_++);
    const fs::path source = folder / copyName(submissions_[job.submission].file);
    std::error_code error;
    int pipe[2] = {-1, -1};
    if (!fs::create_directory(folder, error) ||
        !writeCopy(source, submissions_[job.submission].source) || ::pipe2(pipe, O_CLOEXEC) != 0) {
        fs::remove_all(folder, error);
        for (Job test = job; test.test < task_.tests.size(); ++test.test) {
            record(test, {false, 0, "not run", "the grader could not copy the file to run it", 0});
        }
        return;
    }
    std::cout.flush();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(pipe[0]);
        workerMain(job, source, pipe[1]);
    }
    const int forkError = errno;
    ::close(pipe[1]);
    if (pid < 0) {
        ::close(pipe[0]);
        fs::remove_all(folder, error);
        const std::string why =
            std::string("the grader could not start the run: ") + std::strerror(forkError);
        for (Job test = job; test.test < task_.tests.size(); ++test.test) {
            record(test, {false, 0, "not run", why, 0});
        }
        return;
    }
    ::fcntl(pipe[0], F_SETFL, O_NONBLOCK);
    workers_.push_back({pid, pipe[0], job, folder, Clock::now(), deadline(job), {}});
}

// The worker: its temporary files in its own folder, nothing on standard output, gone with the
// grader; it answers with a line for each test.
void Batch::workerMain(const Job& job, const fs::path& source, int answers) {
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != grader_) {
        ::_exit(1);  // the grader ended before this could follow it
    }
    for (const int signalNumber : kEndingSignals) {
        ::signal(signalNumber, SIG_DFL);
    }
    ::sigprocmask(SIG_SETMASK, &previousMask_, nullptr);
    const int null = ::open("/dev/null", O_RDWR);
    ::dup2(null, STDIN_FILENO);
    ::dup2(null, STDOUT_FILENO);
    ::setenv("TMPDIR", source.parent_path().c_str(), 1);
    for (std::size_t test = job.test; test < task_.tests.size(); ++test) {
        const TestOutcome outcome = runTest(task_.tests[test], source.string());
        if (!writeAll(answers, outcomeLine(outcome) + "\n")) {
            ::_exit(1);
        }
    }
    ::_exit(0);
}

void Batch::wait() {
    std::vector<pollfd> fds;
    Clock::time_point next = Clock::time_point::max();
    for (const Worker& worker : workers_) {
        fds.push_back({worker.output, POLLIN, 0});
        next = std::min(next, worker.deadline);
    }
    fds.push_back({signals_, POLLIN, 0});
    const auto untilNext = std::chrono::ceil<std::chrono::milliseconds>(next - Clock::now());
    const int timeout = static_cast<int>(std::clamp<std::int64_t>(untilNext.count(), 0, 1000));
    ::poll(fds.data(), fds.size(), timeout);
    if ((fds.back().revents & POLLIN) != 0) {
        signalfd_siginfo info{};
        if (::read(signals_, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
            endBySignal(static_cast<int>(info.ssi_signo));
        }
    }
    for (std::size_t i = workers_.size(); i-- > 0;) {
        Worker& worker = workers_[i];
        bool ended = false;
        std::array<char, 4096> chunk{};
        for (;;) {
            const ssize_t n = ::read(worker.output, chunk.data(), chunk.size());
            if (n <= 0) {
                ended = n == 0;
                break;
            }
            worker.answers.append(chunk.data(), static_cast<std::size_t>(n));
        }
        take(worker);
        const bool hung = !ended && Clock::now() >= worker.deadline;
        if (ended || hung) {
            finish(worker, hung);
            workers_.erase(workers_.begin() + static_cast<std::ptrdiff_t>(i));
        }
    }
}

// Each whole line is the next test's outcome; the test after it starts its own time.
void Batch::take(Worker& worker) {
    for (std::size_t end = worker.answers.find('\n'); end != std::string::npos;
         end = worker.answers.find('\n')) {
        std::optional<TestOutcome> outcome = parseOutcomeLine(worker.answers.substr(0, end));
        worker.answers.erase(0, end + 1);
        if (!outcome || worker.next.test >= task_.tests.size()) {
            continue;  // the worker's end tells what became of its test
        }
        outcome->seconds = std::chrono::duration<double>(Clock::now() - worker.started).count();
        record(worker.next, std::move(*outcome));
        ++worker.next.test;
        worker.started = Clock::now();
        worker.deadline = worker.next.test < task_.tests.size() ? deadline(worker.next)
                                                                : Clock::time_point::max();
    }
}

// A worker that ended or hung before its last answer: its test scores nothing with the reason,
// and a new worker takes the tests after it.
void Batch::finish(Worker& worker, bool hung) {
    if (hung) {
        ::kill(worker.pid, SIGKILL);
    }
    int status = 0;
    while (::waitpid(worker.pid, &status, 0) < 0 && errno == EINTR) {
    }
    ::close(worker.output);
    std::error_code ignored;
    fs::remove_all(worker.folder, ignored);
    if (worker.next.test >= task_.tests.size()) {
        return;
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - worker.started).count();
    std::string why = "the run ended without an answer";
    if (hung) {
        why = formatText("no answer within %.0f s: the run was ended", seconds);
    } else if (WIFSIGNALED(status)) {
        why = formatText("the run crashed (%s)", ::strsignal(WTERMSIG(status)));
    }
    record(worker.next, {false, 0, hung ? "limit" : "crashed", why, seconds});
    if (worker.next.test + 1 < task_.tests.size()) {
        pending_.push_back({worker.next.submission, worker.next.test + 1});
    }
}

void Batch::record(const Job& job, TestOutcome outcome) {
    grades_[job.submission].tests[job.test] = std::move(outcome);
    ++done_;
    if (progress_) {
        progress_(done_, total_);
    }
}

// The workers and every file of theirs go first; then the signal ends the grader as it would
// have.
void Batch::endBySignal(int signalNumber) {
    for (const Worker& worker : workers_) {
        ::kill(worker.pid, SIGKILL);
    }
    for (const Worker& worker : workers_) {
        ::waitpid(worker.pid, nullptr, 0);
    }
    std::error_code ignored;
    fs::remove_all(root_, ignored);
    ::signal(signalNumber, SIG_DFL);
    ::sigprocmask(SIG_SETMASK, &previousMask_, nullptr);
    ::raise(signalNumber);
    ::_exit(128 + signalNumber);
}

}  // namespace

double SubmissionGrade::points() const {
    double sum = 0;
    for (const TestOutcome& outcome : tests) {
        sum += outcome.points;
    }
    return sum;
}

std::vector<SubmissionGrade> gradeAll(const GradeTask& task,
                                      const std::vector<Submission>& submissions, int jobs,
                                      const GradeProgress& progress, std::string& problem) {
    std::vector<SubmissionGrade> grades;
    Batch batch(task, submissions, jobs, progress, grades);
    problem = batch.run();
    return grades;
}

}  // namespace tarvix
