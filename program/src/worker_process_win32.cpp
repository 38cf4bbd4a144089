#include <windows.h>

#include <mutex>
#include <utility>

#include "worker_process.h"

namespace program::detail {

namespace {

std::wstring Wide(std::string_view utf8) {
    if (utf8.empty()) {
        return {};
    }
    const int length =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                        length);
    return wide;
}

// One argument as the C run-time's command-line parser reads it back.
void AppendQuoted(std::wstring* line, const std::wstring& arg) {
    if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
        *line += arg;
        return;
    }
    *line += L'"';
    std::size_t backslashes = 0;
    for (const wchar_t ch : arg) {
        if (ch == L'\\') {
            ++backslashes;
            continue;
        }
        // Backslashes before a quote are doubled, and the quote escaped.
        line->append(ch == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        *line += ch;
    }
    line->append(backslashes * 2, L'\\');
    *line += L'"';
}

class Handle {
  public:
    explicit Handle(HANDLE h = nullptr) : h_(h) {}
    ~Handle() {
        if (h_ != nullptr && h_ != INVALID_HANDLE_VALUE) {
            CloseHandle(h_);
        }
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    [[nodiscard]] HANDLE get() const { return h_; }
    [[nodiscard]] bool valid() const { return h_ != nullptr && h_ != INVALID_HANDLE_VALUE; }
    HANDLE Release() { return std::exchange(h_, nullptr); }

  private:
    HANDLE h_;
};

// The job every worker belongs to: when this program ends, however it ends,
// the system ends its workers with it.
HANDLE WorkersJob() {
    static const HANDLE job = [] {
        HANDLE made = CreateJobObjectW(nullptr, nullptr);
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        if (made != nullptr && SetInformationJobObject(made, JobObjectExtendedLimitInformation,
                                                       &limits, sizeof limits) == 0) {
            CloseHandle(made);
            made = nullptr;
        }
        return made;
    }();
    return job;
}

class Win32Worker final : public WorkerProcess {
  public:
    Win32Worker(HANDLE process, HANDLE input) : process_(process), input_(input) {}
    ~Win32Worker() override {
        CloseInput();
        if (!Poll()) {
            End();
            Wait();
        }
    }

    [[nodiscard]] long Id() const override {
        return static_cast<long>(GetProcessId(process_.get()));
    }

    bool Send(std::string_view line) override {
        const std::lock_guard lock(inputMutex_);
        while (input_ != nullptr && !line.empty()) {
            DWORD written = 0;
            if (WriteFile(input_, line.data(), static_cast<DWORD>(line.size()), &written,
                          nullptr) == 0) {
                return false;
            }
            line.remove_prefix(written);
        }
        return input_ != nullptr;
    }

    void CloseInput() override {
        const std::lock_guard lock(inputMutex_);
        if (input_ != nullptr) {
            CloseHandle(input_);
            input_ = nullptr;
        }
    }

    void End() override { TerminateProcess(process_.get(), 1); }

    std::optional<ProcessEnd> Poll() override {
        if (WaitForSingleObject(process_.get(), 0) != WAIT_OBJECT_0) {
            return std::nullopt;
        }
        return EndOf();
    }

    ProcessEnd Wait() override {
        if (WaitForSingleObject(process_.get(), INFINITE) != WAIT_OBJECT_0) {
            return {std::nullopt,
                    "cannot be waited for (error " + std::to_string(GetLastError()) + ")"};
        }
        return EndOf();
    }

  private:
    ProcessEnd EndOf() const {
        DWORD code = 0;
        if (GetExitCodeProcess(process_.get(), &code) == 0) {
            return {std::nullopt,
                    "ended, how is unknown (error " + std::to_string(GetLastError()) + ")"};
        }
        // Exit codes of a crash (0xC0000005 and the like) are not a status.
        if (code > 0xFFU) {
            char text[16];
            wsprintfA(text, "0x%08lX", static_cast<unsigned long>(code));
            return {std::nullopt, std::string("ended with ") + text};
        }
        return {static_cast<int>(code), {}};
    }

    Handle process_;
    std::mutex inputMutex_;
    HANDLE input_;
};

}  // namespace

platform::Result<std::unique_ptr<WorkerProcess>> WorkerProcess::Start(
    const std::filesystem::path& program, const std::vector<std::string>& arguments,
    const std::filesystem::path& output, const std::filesystem::path& /*temp*/) {
    // A PC's backend runs over its root folder and copies no unit: the
    // worker's temporary folder is the system's.
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    const Handle out(CreateFileW(output.wstring().c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                 CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!out.valid() || CreatePipe(&readEnd, &writeEnd, &inherit, 0) == 0) {
        return platform::Fail("cannot prepare a worker process (error " +
                              std::to_string(GetLastError()) + ")");
    }
    const Handle in(readEnd);
    Handle ours(writeEnd);
    // Only the worker's end is inherited.
    SetHandleInformation(writeEnd, HANDLE_FLAG_INHERIT, 0);
    std::wstring line;
    AppendQuoted(&line, program.wstring());
    for (const std::string& arg : arguments) {
        line += L' ';
        AppendQuoted(&line, Wide(arg));
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in.get();
    startup.hStdOutput = out.get();
    startup.hStdError = out.get();
    PROCESS_INFORMATION info{};
    if (CreateProcessW(program.wstring().c_str(), line.data(), nullptr, nullptr, TRUE,
                       CREATE_NO_WINDOW | CREATE_SUSPENDED, nullptr, nullptr, &startup,
                       &info) == 0) {
        return platform::Fail("cannot start a worker (error " + std::to_string(GetLastError()) +
                              ")");
    }
    // In the job before it runs a single instruction.
    if (HANDLE job = WorkersJob(); job != nullptr) {
        AssignProcessToJobObject(job, info.hProcess);
    }
    ResumeThread(info.hThread);
    CloseHandle(info.hThread);
    return std::unique_ptr<WorkerProcess>(
        std::make_unique<Win32Worker>(info.hProcess, ours.Release()));
}

std::optional<std::filesystem::path> SelfPath() {
    std::wstring file(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, file.data(), static_cast<DWORD>(file.size()));
        if (length == 0) {
            return std::nullopt;
        }
        if (length < file.size()) {
            file.resize(length);
            return std::filesystem::path(file);
        }
        file.resize(file.size() * 2);
    }
}

}  // namespace program::detail
