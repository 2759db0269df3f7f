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

namespace tarvix {

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// A worker that has not answered this long after its own limit has hung: it is ended.
constexpr double kGraceSeconds = 5;
constexpr std::array kEndingSignals{SIGTERM, SIGINT, SIGHUP};

struct Job {
    std::size_t submission;
    std::size_t test;
};

struct Worker {
    pid_t pid;
    int output;  // the read end of its pipe
    Job job;
    fs::path folder;
    Clock::time_point started;
    Clock::time_point deadline;
    std::string answer;
};

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

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
    void workerMain(const Job& job, const fs::path& source, int answer);
    void wait();
    void finish(Worker& worker, bool hung);
    void record(const Job& job, TestOutcome outcome);
    [[noreturn]] void endBySignal(int signalNumber);

    const GradeTask& task_;
    const std::vector<Submission>& submissions_;
    std::size_t jobs_;
    const GradeProgress& progress_;
    std::vector<SubmissionGrade>& grades_;
    std::vector<Job> pending_;
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
    for (std::size_t s = 0; s < submissions_.size(); ++s) {
        const Submission& submission = submissions_[s];
        grades_.push_back({submission.file, std::vector<TestOutcome>(task_.tests.size())});
        for (std::size_t t = 0; t < task_.tests.size(); ++t) {
            if (submission.refusal.empty()) {
                pending_.push_back({s, t});
            } else {
                grades_[s].tests[t] = {false, 0, "not run", submission.refusal, 0};
            }
        }
    }
    total_ = submissions_.size() * task_.tests.size();
    done_ = total_ - pending_.size();
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

void Batch::start(const Job& job) {
    const fs::path folder = root_ / std::to_string(started_++);
    const fs::path source = folder / copyName(submissions_[job.submission].file);
    std::error_code error;
    int pipe[2] = {-1, -1};
    if (!fs::create_directory(folder, error) ||
        !writeCopy(source, submissions_[job.submission].source) || ::pipe2(pipe, O_CLOEXEC) != 0) {
        record(job, {false, 0, "not run", "the grader could not copy the file to run it", 0});
        fs::remove_all(folder, error);
        return;
    }
    std::cout.flush();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(pipe[0]);
        workerMain(job, source, pipe[1]);
    }
    ::close(pipe[1]);
    if (pid < 0) {
        ::close(pipe[0]);
        record(job,
               {false, 0, "not run",
                std::string("the grader could not start the run: ") + std::strerror(errno), 0});
        fs::remove_all(folder, error);
        return;
    }
    ::fcntl(pipe[0], F_SETFL, O_NONBLOCK);
    const double limit = task_.tests[job.test].run.timeoutSeconds + kGraceSeconds;
    const Clock::time_point now = Clock::now();
    workers_.push_back(
        {pid,
         pipe[0],
         job,
         folder,
         now,
         now + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(limit)),
         {}});
}

// The worker: its temporary files in its own folder, nothing on standard output, gone with the
// grader; it answers with one line.
void Batch::workerMain(const Job& job, const fs::path& source, int answer) {
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
    const std::string line = outcomeLine(runTest(task_.tests[job.test], source.string())) + "\n";
    std::size_t written = 0;
    while (written < line.size()) {
        const ssize_t n = ::write(answer, line.data() + written, line.size() - written);
        if (n <= 0) {
            break;
        }
        written += static_cast<std::size_t>(n);
    }
    ::_exit(written == line.size() ? 0 : 1);
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
            if (n > 0) {
                worker.answer.append(chunk.data(), static_cast<std::size_t>(n));
                continue;
            }
            ended = n == 0;
            break;
        }
        const bool hung = !ended && Clock::now() >= worker.deadline;
        if (ended || hung) {
            finish(worker, hung);
            workers_.erase(workers_.begin() + static_cast<std::ptrdiff_t>(i));
        }
    }
}

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

    const double seconds = secondsSince(worker.started);
    std::optional<TestOutcome> outcome = parseOutcomeLine(worker.answer);
    if (hung) {
        outcome = TestOutcome{false, 0, "limit",
                              formatText("no answer within %.0f s: the run was ended", seconds), 0};
    } else if (WIFSIGNALED(status)) {
        outcome = TestOutcome{false, 0, "crashed",
                              formatText("the run crashed (%s)", ::strsignal(WTERMSIG(status))), 0};
    } else if (!outcome || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        outcome = TestOutcome{false, 0, "crashed", "the run ended without an answer", 0};
    }
    outcome->seconds = seconds;
    record(worker.job, std::move(*outcome));
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
