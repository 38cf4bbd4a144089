// RAII owners for the platform's handles and mappings, for code that holds
// them across calls. The raw values stay available where a caller needs the
// Win32 semantics (invalid value versus 0).
#pragma once

#include <utility>

#include "platform/api.h"

namespace platform {

// Owns a handle from CreateFile (invalid = INVALID_HANDLE_VALUE).
class UniqueHandle {
  public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE h) : h_(h) {}
    UniqueHandle(UniqueHandle&& other) noexcept : h_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            reset(other.release());
        }
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { reset(); }

    [[nodiscard]] HANDLE get() const { return h_; }
    [[nodiscard]] bool valid() const { return h_ != INVALID_HANDLE_VALUE && h_ != 0; }
    HANDLE release() { return std::exchange(h_, INVALID_HANDLE_VALUE); }
    // Closes the held handle; returns the CloseHandle result (TRUE when none).
    BOOL reset(HANDLE h = INVALID_HANDLE_VALUE) {
        BOOL ok = TRUE;
        if (valid()) {
            ok = CloseHandle(h_);
        }
        h_ = h;
        return ok;
    }

  private:
    HANDLE h_ = INVALID_HANDLE_VALUE;
};

// Owns a directory search from FindFirstFile.
class UniqueFind {
  public:
    explicit UniqueFind(HANDLE h) : h_(h) {}
    UniqueFind(const UniqueFind&) = delete;
    UniqueFind& operator=(const UniqueFind&) = delete;
    ~UniqueFind() {
        if (valid()) {
            FindClose(h_);
        }
    }
    [[nodiscard]] HANDLE get() const { return h_; }
    [[nodiscard]] bool valid() const { return h_ != INVALID_HANDLE_VALUE; }

  private:
    HANDLE h_;
};

// Owns a block from LocalAlloc.
class UniqueLocal {
  public:
    explicit UniqueLocal(void* p) : p_(p) {}
    UniqueLocal(const UniqueLocal&) = delete;
    UniqueLocal& operator=(const UniqueLocal&) = delete;
    ~UniqueLocal() {
        if (p_ != nullptr) {
            LocalFree(p_);
        }
    }
    [[nodiscard]] void* get() const { return p_; }

  private:
    void* p_;
};

}  // namespace platform
