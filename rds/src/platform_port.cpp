#include "devices/com7.h"
#include "platform/api.h"
#include "rds/serial_port.h"

platform::HANDLE RdsPlatformPort::Open() {
    return platform::CreateFile(kRdsPortName, platform::GENERIC_READ | platform::GENERIC_WRITE, 0,
                                platform::OPEN_EXISTING, 0);
}

void RdsPlatformPort::ConfigureLine(platform::HANDLE h) {
    platform::DCB dcb;
    platform::GetCommState(h, &dcb);
    dcb.BaudRate = kRdsBaudRate;
    dcb.ByteSize = kRdsByteSize;
    dcb.Parity = kRdsParity;
    dcb.StopBits = kRdsStopBits;
    platform::SetCommState(h, dcb);
}

void RdsPlatformPort::SetReadTimeouts(platform::HANDLE h) {
    platform::COMMTIMEOUTS timeouts;
    platform::GetCommTimeouts(h, &timeouts);
    timeouts.ReadIntervalTimeout = 100;
    timeouts.ReadTotalTimeoutMultiplier = 100;
    timeouts.ReadTotalTimeoutConstant = 10;
    platform::SetCommTimeouts(h, timeouts);
}

platform::BOOL RdsPlatformPort::SetEventMask(platform::HANDLE h, platform::DWORD mask) {
    return platform::SetCommMask(h, mask);
}

platform::BOOL RdsPlatformPort::WaitEvent(platform::HANDLE h, platform::DWORD* events) {
    return platform::WaitCommEvent(h, events);
}

platform::BOOL RdsPlatformPort::QueuedBytes(platform::HANDLE h, platform::DWORD* count) {
    platform::DWORD errors = 0;
    platform::COMSTAT status;
    const platform::BOOL ok = platform::ClearCommError(h, &errors, &status);
    *count = ok ? status.cbInQue : 0;
    return ok;
}

platform::BOOL RdsPlatformPort::Read(platform::HANDLE h, void* buffer, platform::DWORD toRead,
                                     platform::DWORD* read) {
    return platform::ReadFile(h, buffer, toRead, read);
}

platform::BOOL RdsPlatformPort::Write(platform::HANDLE h, const void* data, platform::DWORD toWrite,
                                      platform::DWORD* written) {
    return platform::WriteFile(h, data, toWrite, written);
}

platform::BOOL RdsPlatformPort::Close(platform::HANDLE h) {
    return platform::CloseHandle(h);
}

platform::DWORD RdsPlatformPort::LastError() {
    return platform::GetLastError();
}

platform::DWORD RdsPlatformPort::Now() {
    return platform::timeGetTime();
}

RdsSerialPort& TheRdsSerialPort() {
    static RdsPlatformPort port;
    return port;
}
