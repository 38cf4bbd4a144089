// Threads. A thread's handle is released with CloseHandle (files.h).
#pragma once

#include <functional>

#include "platform/win_types.h"

namespace platform {

class Threads {
  public:
    Threads() = default;
    Threads(const Threads&) = delete;
    Threads& operator=(const Threads&) = delete;
    virtual ~Threads() = default;

    // Gives 0 and a last-error code when no thread can be started. priority
    // is the Windows CE scale (0 time-critical .. 7 idle, 3 normal).
    virtual HANDLE CreateThread(std::function<DWORD()> entry, int priority) = 0;
    virtual DWORD WaitForSingleObject(HANDLE h, DWORD milliseconds) = 0;
};

}  // namespace platform
