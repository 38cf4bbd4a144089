#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>  // strsignal too
#include <ctime>
#include <mutex>
#include <string_view>
#include <utility>

#include "worker_process.h"

// POSIX has the program declare it; glibc does too, under _GNU_SOURCE only.
extern char** environ;  // NOLINT(readability-redundant-declaration)

namespace program::detail {

namespace {

ProcessEnd EndOf(int status) {
    if (WIFEXITED(status)) {
        return {WEXITSTATUS(status), {}};
    }
    if (WIFSIGNALED(status)) {
        const int signal = WTERMSIG(status);
        return {std::nullopt,
                "was killed by signal " + std::to_string(signal) + " (" + strsignal(signal) + ")"};
    }
    return {std::nullopt, "ended abnormally"};
}

// Writes to a pipe whose reader may be gone without the SIGPIPE that would
// end this program: the signal is held for the write and taken if it came.
bool WriteToPipe(int fd, std::string_view bytes) {
    sigset_t pipe;
    sigset_t before;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe, &before);
    bool ok = true;
    while (!bytes.empty()) {
        const ssize_t n = write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            ok = false;
            break;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    if (!ok && errno == EPIPE && sigismember(&before, SIGPIPE) == 0) {
        const timespec now{};
        while (sigtimedwait(&pipe, nullptr, &now) < 0 && errno == EINTR) {
        }
    }
    pthread_sigmask(SIG_SETMASK, &before, nullptr);
    return ok;
}

class PosixWorker final : public WorkerProcess {
  public:
    PosixWorker(pid_t pid, int input) : pid_(pid), input_(input) {}
    ~PosixWorker() override {
        CloseInput();
        if (!Poll()) {
            End();
            Wait();
        }
    }

    [[nodiscard]] long Id() const override { return pid_; }

    bool Send(std::string_view line) override {
        const std::lock_guard lock(inputMutex_);
        return input_ >= 0 && WriteToPipe(input_, line);
    }

    void CloseInput() override {
        const std::lock_guard lock(inputMutex_);
        if (input_ >= 0) {
            close(input_);
            input_ = -1;
        }
    }

    void End() override {
        // Until it is reaped the id stays this process's, even once it has ended.
        const std::lock_guard lock(mutex_);
        if (!end_) {
            kill(pid_, SIGKILL);
        }
    }

    std::optional<ProcessEnd> Poll() override {
        const std::lock_guard lock(mutex_);
        if (!end_) {
            int status = 0;
            pid_t reaped = 0;
            do {
                reaped = waitpid(pid_, &status, WNOHANG);
            } while (reaped < 0 && errno == EINTR);
            if (reaped == pid_) {
                end_ = EndOf(status);
            } else if (reaped < 0) {
                end_ = ProcessEnd{std::nullopt,
                                  std::string("cannot be waited for: ") + std::strerror(errno)};
            }
        }
        return end_;
    }

    ProcessEnd Wait() override {
        for (;;) {
            if (std::optional<ProcessEnd> end = Poll()) {
                return *end;
            }
            // Waits without reaping, so that End never signals a reused id.
            siginfo_t info{};
            while (waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOWAIT) < 0 &&
                   errno == EINTR) {
            }
        }
    }

  private:
    const pid_t pid_;
    std::mutex inputMutex_;
    int input_;
    std::mutex mutex_;
    std::optional<ProcessEnd> end_;
};

// posix_spawn's file actions and attributes, released whatever happens.
class SpawnSetup {
  public:
    SpawnSetup() {
        ok_ = posix_spawn_file_actions_init(&actions_) == 0;
        ok_ = posix_spawnattr_init(&attributes_) == 0 && ok_;
    }
    ~SpawnSetup() {
        posix_spawn_file_actions_destroy(&actions_);
        posix_spawnattr_destroy(&attributes_);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;
    [[nodiscard]] bool ok() const { return ok_; }
    posix_spawn_file_actions_t* actions() { return &actions_; }
    posix_spawnattr_t* attributes() { return &attributes_; }

  private:
    posix_spawn_file_actions_t actions_{};
    posix_spawnattr_t attributes_{};
    bool ok_ = false;
};

// The words of KESTRIN_EMULATOR: the command line of an emulator that runs
// this program and does not follow into the processes it starts (qemu-user
// without binfmt), so that a worker starts through it too.
std::vector<std::string> EmulatorWords() {
    std::vector<std::string> words;
    const char* value = std::getenv("KESTRIN_EMULATOR");
    std::string_view rest = value != nullptr ? value : "";
    while (!rest.empty()) {
        const std::size_t start = rest.find_first_not_of(" \t");
        if (start == std::string_view::npos) {
            break;
        }
        rest.remove_prefix(start);
        const std::size_t end = std::min(rest.find_first_of(" \t"), rest.size());
        words.emplace_back(rest.substr(0, end));
        rest.remove_prefix(end);
    }
    return words;
}

// A pipe's two ends, closed unless taken.
struct Pipe {
    std::array<int, 2> fds{-1, -1};
    Pipe() {
        if (pipe2(fds.data(), O_CLOEXEC) != 0) {
            fds = {-1, -1};
        }
    }
    ~Pipe() {
        for (const int fd : fds) {
            if (fd >= 0) {
                close(fd);
            }
        }
    }
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;
};

}  // namespace

platform::Result<std::unique_ptr<WorkerProcess>> WorkerProcess::Start(
    const std::filesystem::path& program, const std::vector<std::string>& arguments,
    const std::filesystem::path& output, const std::filesystem::path& temp) {
    SpawnSetup setup;
    Pipe input;
    const std::string out = output.string();
    // The worker starts as a program does: no signal held or ignored (this
    // one holds those it takes on a thread of its own).
    sigset_t none;
    sigemptyset(&none);
    sigset_t defaults;
    sigemptyset(&defaults);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) {
        sigaddset(&defaults, signal);
    }
    if (!setup.ok() || input.fds[0] < 0 ||
        posix_spawn_file_actions_adddup2(setup.actions(), input.fds[0], STDIN_FILENO) != 0 ||
        posix_spawn_file_actions_addopen(setup.actions(), STDOUT_FILENO, out.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600) != 0 ||
        posix_spawn_file_actions_adddup2(setup.actions(), STDOUT_FILENO, STDERR_FILENO) != 0 ||
        posix_spawnattr_setflags(setup.attributes(),
                                 POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF) != 0 ||
        posix_spawnattr_setsigmask(setup.attributes(), &none) != 0 ||
        posix_spawnattr_setsigdefault(setup.attributes(), &defaults) != 0) {
        return platform::Fail("cannot prepare a worker process");
    }
    std::vector<std::string> words = EmulatorWords();
    const bool emulated = !words.empty();
    words.push_back(program.string());
    words.insert(words.end(), arguments.begin(), arguments.end());
    const std::string file = words.front();
    std::vector<char*> argv;
    argv.reserve(words.size() + 1);
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    // The environment with the worker's own temporary folder.
    std::string tmpdir = "TMPDIR=" + temp.string();
    std::vector<char*> envp;
    for (char** e = environ; *e != nullptr; ++e) {
        if (std::strncmp(*e, "TMPDIR=", 7) != 0) {
            envp.push_back(*e);
        }
    }
    if (!temp.empty()) {
        envp.push_back(tmpdir.data());
    }
    envp.push_back(nullptr);
    pid_t pid = 0;
    const int failed = emulated ? posix_spawnp(&pid, file.c_str(), setup.actions(),
                                               setup.attributes(), argv.data(), envp.data())
                                : posix_spawn(&pid, file.c_str(), setup.actions(),
                                              setup.attributes(), argv.data(), envp.data());
    if (failed != 0) {
        return platform::Fail(file + ": cannot start a worker: " + std::strerror(failed));
    }
    const int writeEnd = std::exchange(input.fds[1], -1);
    return std::unique_ptr<WorkerProcess>(std::make_unique<PosixWorker>(pid, writeEnd));
}

std::optional<std::filesystem::path> SelfPath() {
    std::error_code ec;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) {
        return std::nullopt;
    }
    return self;
}

}  // namespace program::detail
