#include <windows.h>

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

  private:
    HANDLE h_;
};

class Win32Worker final : public WorkerProcess {
  public:
    explicit Win32Worker(HANDLE process) : process_(process) {}
    ~Win32Worker() override {
        if (!waited_) {
            WaitForSingleObject(process_.get(), INFINITE);
        }
    }

    std::optional<int> Wait(std::string* how) override {
        waited_ = true;
        DWORD code = 0;
        if (WaitForSingleObject(process_.get(), INFINITE) != WAIT_OBJECT_0 ||
            GetExitCodeProcess(process_.get(), &code) == 0) {
            *how = "cannot wait for it (error " + std::to_string(GetLastError()) + ")";
            return std::nullopt;
        }
        // Exit codes of a crash (0xC0000005 and the like) are not a status.
        if (code > 0xFFU) {
            char text[16];
            wsprintfA(text, "0x%08lX", static_cast<unsigned long>(code));
            *how = std::string("ended with ") + text;
            return std::nullopt;
        }
        return static_cast<int>(code);
    }

  private:
    Handle process_;
    bool waited_ = false;
};

}  // namespace

std::unique_ptr<WorkerProcess> WorkerProcess::Start(const std::filesystem::path& program,
                                                    const std::vector<std::string>& arguments,
                                                    const std::filesystem::path& output,
                                                    std::string* error) {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    const Handle out(CreateFileW(output.wstring().c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                 CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    const Handle in(CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out.valid() || !in.valid()) {
        *error = "cannot prepare a worker process (error " + std::to_string(GetLastError()) + ")";
        return nullptr;
    }
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
                       CREATE_NO_WINDOW, nullptr, nullptr, &startup, &info) == 0) {
        *error = "cannot start a worker (error " + std::to_string(GetLastError()) + ")";
        return nullptr;
    }
    CloseHandle(info.hThread);
    return std::make_unique<Win32Worker>(info.hProcess);
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
