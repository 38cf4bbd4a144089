// Serial ports, on a handle from CreateFile("COMn:") (files.h).
#pragma once

#include "platform/win_types.h"

namespace platform {

class SerialPorts {
  public:
    SerialPorts() = default;
    SerialPorts(const SerialPorts&) = delete;
    SerialPorts& operator=(const SerialPorts&) = delete;
    virtual ~SerialPorts() = default;

    virtual BOOL GetCommState(HANDLE h, DCB* dcb) = 0;
    virtual BOOL SetCommState(HANDLE h, const DCB& dcb) = 0;
    virtual BOOL GetCommTimeouts(HANDLE h, COMMTIMEOUTS* timeouts) = 0;
    virtual BOOL SetCommTimeouts(HANDLE h, const COMMTIMEOUTS& timeouts) = 0;
    virtual BOOL SetCommMask(HANDLE h, DWORD mask) = 0;
    virtual BOOL WaitCommEvent(HANDLE h, DWORD* eventMask) = 0;
    virtual BOOL ClearCommError(HANDLE h, DWORD* errors, COMSTAT* status) = 0;
};

}  // namespace platform
