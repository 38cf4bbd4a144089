#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "worker_process.h"

// POSIX has the program declare it; glibc does too, under _GNU_SOURCE only.
extern char** environ;  // NOLINT(readability-redundant-declaration)

namespace program::detail {

namespace {

class PosixWorker final : public WorkerProcess {
  public:
    explicit PosixWorker(pid_t pid) : pid_(pid) {}
    ~PosixWorker() override {
        if (pid_ > 0) {
            std::string how;
            Wait(&how);
        }
    }

    std::optional<int> Wait(std::string* how) override {
        int status = 0;
        pid_t ended = 0;
        do {
            ended = waitpid(pid_, &status, 0);
        } while (ended < 0 && errno == EINTR);
        pid_ = -1;
        if (ended < 0) {
            *how = std::string("cannot wait for it: ") + std::strerror(errno);
            return std::nullopt;
        }
        if (WIFEXITED(status)) {
            return WEXITSTATUS(status);
        }
        *how = WIFSIGNALED(status) ? "killed by signal " + std::to_string(WTERMSIG(status))
                                   : std::string("ended abnormally");
        return std::nullopt;
    }

  private:
    pid_t pid_;
};

// posix_spawn's file actions, released whatever happens.
class FileActions {
  public:
    FileActions() { ok_ = posix_spawn_file_actions_init(&actions_) == 0; }
    ~FileActions() {
        if (ok_) {
            posix_spawn_file_actions_destroy(&actions_);
        }
    }
    FileActions(const FileActions&) = delete;
    FileActions& operator=(const FileActions&) = delete;
    [[nodiscard]] bool ok() const { return ok_; }
    posix_spawn_file_actions_t* get() { return &actions_; }

  private:
    posix_spawn_file_actions_t actions_{};
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

}  // namespace

std::unique_ptr<WorkerProcess> WorkerProcess::Start(const std::filesystem::path& program,
                                                    const std::vector<std::string>& arguments,
                                                    const std::filesystem::path& output,
                                                    std::string* error) {
    FileActions actions;
    const std::string out = output.string();
    if (!actions.ok() ||
        posix_spawn_file_actions_addopen(actions.get(), STDIN_FILENO, "/dev/null", O_RDONLY, 0) !=
            0 ||
        posix_spawn_file_actions_addopen(actions.get(), STDOUT_FILENO, out.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600) != 0 ||
        posix_spawn_file_actions_adddup2(actions.get(), STDOUT_FILENO, STDERR_FILENO) != 0) {
        *error = "cannot prepare a worker process";
        return nullptr;
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
    pid_t pid = 0;
    const int failed =
        emulated ? posix_spawnp(&pid, file.c_str(), actions.get(), nullptr, argv.data(), environ)
                 : posix_spawn(&pid, file.c_str(), actions.get(), nullptr, argv.data(), environ);
    if (failed != 0) {
        *error = file + ": cannot start a worker: " + std::strerror(failed);
        return nullptr;
    }
    return std::make_unique<PosixWorker>(pid);
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
