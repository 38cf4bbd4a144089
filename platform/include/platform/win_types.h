// Win32-shaped basic types, constants and records shared by every platform
// interface. The system's code is written against these so that a Windows CE
// backend is a pass-through.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using BOOL = int;
using UINT = std::uint32_t;
using MMRESULT = std::uint32_t;

inline constexpr BOOL TRUE = 1;
inline constexpr BOOL FALSE = 0;

// Handles are opaque integers. As on Win32, a failed CreateFile gives
// INVALID_HANDLE_VALUE while other calls (threads, device activation) give 0.
using HANDLE = std::intptr_t;
inline constexpr HANDLE INVALID_HANDLE_VALUE = -1;

inline constexpr std::size_t MAX_PATH = 260;

// Every Win32 error code the project uses, named once: the last-error codes
// and the registry's results. The Win32 backend checks each against
// <windows.h>, so the list is a macro that can be expanded there too.
#define PLATFORM_WIN32_ERROR_CODES(X)   \
    X(ERROR_SUCCESS, 0)                 \
    X(ERROR_INVALID_FUNCTION, 1)        \
    X(ERROR_FILE_NOT_FOUND, 2)          \
    X(ERROR_PATH_NOT_FOUND, 3)          \
    X(ERROR_ACCESS_DENIED, 5)           \
    X(ERROR_INVALID_HANDLE, 6)          \
    X(ERROR_NOT_ENOUGH_MEMORY, 8)       \
    X(ERROR_NO_MORE_FILES, 18)          \
    X(ERROR_GEN_FAILURE, 31)            \
    X(ERROR_SHARING_VIOLATION, 32)      \
    X(ERROR_LOCK_VIOLATION, 33)         \
    X(ERROR_NOT_SUPPORTED, 50)          \
    X(ERROR_FILE_EXISTS, 80)            \
    X(ERROR_INVALID_PARAMETER, 87)      \
    X(ERROR_DISK_FULL, 112)             \
    X(ERROR_CALL_NOT_IMPLEMENTED, 120)  \
    X(ERROR_INSUFFICIENT_BUFFER, 122)   \
    X(ERROR_ALREADY_EXISTS, 183)        \
    X(ERROR_MORE_DATA, 234)             \
    X(ERROR_OPERATION_ABORTED, 995)     \
    X(ERROR_IO_PENDING, 997)            \
    X(ERROR_KEY_DELETED, 1018)          \
    X(ERROR_CLASS_ALREADY_EXISTS, 1410) \
    X(ERROR_TIMEOUT, 1460)              \
    X(ERROR_DEVICE_IN_USE, 2404)        \
    X(ERROR_DEVICE_NOT_AVAILABLE, 4319)

#define PLATFORM_DEFINE_ERROR_CODE(name, value) inline constexpr DWORD name = value;
PLATFORM_WIN32_ERROR_CODES(PLATFORM_DEFINE_ERROR_CODE)
#undef PLATFORM_DEFINE_ERROR_CODE

// CreateFile.
inline constexpr DWORD GENERIC_READ = 0x80000000U;
inline constexpr DWORD GENERIC_WRITE = 0x40000000U;
inline constexpr DWORD FILE_SHARE_READ = 0x1;
inline constexpr DWORD FILE_SHARE_WRITE = 0x2;
inline constexpr DWORD CREATE_NEW = 1;
inline constexpr DWORD CREATE_ALWAYS = 2;
inline constexpr DWORD OPEN_EXISTING = 3;
inline constexpr DWORD OPEN_ALWAYS = 4;
inline constexpr DWORD TRUNCATE_EXISTING = 5;
inline constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x1;
inline constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
inline constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;

// Address space.
inline constexpr DWORD MEM_COMMIT = 0x1000;
inline constexpr DWORD MEM_RESERVE = 0x2000;
inline constexpr DWORD MEM_RELEASE = 0x8000;
inline constexpr DWORD PAGE_NOACCESS = 0x01;
inline constexpr DWORD PAGE_READONLY = 0x02;
inline constexpr DWORD PAGE_READWRITE = 0x04;
inline constexpr DWORD PAGE_NOCACHE = 0x200;

// LocalAlloc.
inline constexpr DWORD LMEM_FIXED = 0x0;
inline constexpr DWORD LMEM_ZEROINIT = 0x40;
inline constexpr DWORD LPTR = LMEM_FIXED | LMEM_ZEROINIT;

// Wait results.
inline constexpr DWORD INFINITE = 0xFFFFFFFFU;
inline constexpr DWORD WAIT_OBJECT_0 = 0;
inline constexpr DWORD WAIT_TIMEOUT = 258;
inline constexpr DWORD WAIT_FAILED = 0xFFFFFFFFU;

struct FILETIME {
    DWORD dwLowDateTime = 0;
    DWORD dwHighDateTime = 0;
};

struct SYSTEMTIME {
    WORD wYear = 0;
    WORD wMonth = 0;
    WORD wDayOfWeek = 0;
    WORD wDay = 0;
    WORD wHour = 0;
    WORD wMinute = 0;
    WORD wSecond = 0;
    WORD wMilliseconds = 0;
};

// One directory entry. The name is UTF-8 here; on the target it is a wide
// string of at most MAX_PATH - 1 characters.
struct WIN32_FIND_DATA {
    DWORD dwFileAttributes = 0;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh = 0;
    DWORD nFileSizeLow = 0;
    DWORD dwOID = 0;
    std::string cFileName;
};

// Serial ports.
inline constexpr DWORD CBR_9600 = 9600;
inline constexpr DWORD CBR_38400 = 38400;
inline constexpr DWORD CBR_115200 = 115200;
inline constexpr BYTE NOPARITY = 0;
inline constexpr BYTE ODDPARITY = 1;
inline constexpr BYTE EVENPARITY = 2;
inline constexpr BYTE ONESTOPBIT = 0;
inline constexpr BYTE TWOSTOPBITS = 2;
inline constexpr DWORD EV_RXCHAR = 0x0001;
inline constexpr DWORD DTR_CONTROL_ENABLE = 1;
inline constexpr DWORD RTS_CONTROL_ENABLE = 1;

// Device control block. The one-bit flags of the Win32 record are whole
// words here; their meaning is the same.
struct DCB {
    DWORD DCBlength = sizeof(DCB);
    DWORD BaudRate = 0;
    DWORD fBinary = 1;
    DWORD fParity = 0;
    DWORD fOutxCtsFlow = 0;
    DWORD fOutxDsrFlow = 0;
    DWORD fDtrControl = 0;
    DWORD fDsrSensitivity = 0;
    DWORD fTXContinueOnXoff = 0;
    DWORD fOutX = 0;
    DWORD fInX = 0;
    DWORD fErrorChar = 0;
    DWORD fNull = 0;
    DWORD fRtsControl = 0;
    DWORD fAbortOnError = 0;
    WORD XonLim = 0;
    WORD XoffLim = 0;
    BYTE ByteSize = 8;
    BYTE Parity = NOPARITY;
    BYTE StopBits = ONESTOPBIT;
    char XonChar = 0x11;
    char XoffChar = 0x13;
    char ErrorChar = 0;
    char EofChar = 0;
    char EvtChar = 0;
};

struct COMMTIMEOUTS {
    DWORD ReadIntervalTimeout = 0;
    DWORD ReadTotalTimeoutMultiplier = 0;
    DWORD ReadTotalTimeoutConstant = 0;
    DWORD WriteTotalTimeoutMultiplier = 0;
    DWORD WriteTotalTimeoutConstant = 0;
};

struct COMSTAT {
    DWORD cbInQue = 0;
    DWORD cbOutQue = 0;
};

}  // namespace platform
