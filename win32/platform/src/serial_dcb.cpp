#include "serial_dcb.h"

namespace win32 {

::DCB ToWin32Dcb(const platform::DCB& dcb) {
    ::DCB out{};
    out.DCBlength = sizeof out;
    out.BaudRate = dcb.BaudRate;
    // Win32 serial drivers take binary transfers only.
    out.fBinary = 1;
    out.fParity = (dcb.fParity & 1U);
    out.fOutxCtsFlow = (dcb.fOutxCtsFlow & 1U);
    out.fOutxDsrFlow = (dcb.fOutxDsrFlow & 1U);
    out.fDtrControl = (dcb.fDtrControl & 3U);
    out.fDsrSensitivity = (dcb.fDsrSensitivity & 1U);
    out.fTXContinueOnXoff = (dcb.fTXContinueOnXoff & 1U);
    out.fOutX = (dcb.fOutX & 1U);
    out.fInX = (dcb.fInX & 1U);
    out.fErrorChar = (dcb.fErrorChar & 1U);
    out.fNull = (dcb.fNull & 1U);
    out.fRtsControl = (dcb.fRtsControl & 3U);
    out.fAbortOnError = (dcb.fAbortOnError & 1U);
    out.XonLim = dcb.XonLim;
    out.XoffLim = dcb.XoffLim;
    out.ByteSize = dcb.ByteSize;
    out.Parity = dcb.Parity;
    out.StopBits = dcb.StopBits;
    out.XonChar = dcb.XonChar;
    out.XoffChar = dcb.XoffChar;
    out.ErrorChar = dcb.ErrorChar;
    out.EofChar = dcb.EofChar;
    out.EvtChar = dcb.EvtChar;
    return out;
}

platform::DCB FromWin32Dcb(const ::DCB& dcb) {
    platform::DCB out;
    out.BaudRate = dcb.BaudRate;
    out.fBinary = dcb.fBinary;
    out.fParity = dcb.fParity;
    out.fOutxCtsFlow = dcb.fOutxCtsFlow;
    out.fOutxDsrFlow = dcb.fOutxDsrFlow;
    out.fDtrControl = dcb.fDtrControl;
    out.fDsrSensitivity = dcb.fDsrSensitivity;
    out.fTXContinueOnXoff = dcb.fTXContinueOnXoff;
    out.fOutX = dcb.fOutX;
    out.fInX = dcb.fInX;
    out.fErrorChar = dcb.fErrorChar;
    out.fNull = dcb.fNull;
    out.fRtsControl = dcb.fRtsControl;
    out.fAbortOnError = dcb.fAbortOnError;
    out.XonLim = dcb.XonLim;
    out.XoffLim = dcb.XoffLim;
    out.ByteSize = dcb.ByteSize;
    out.Parity = dcb.Parity;
    out.StopBits = dcb.StopBits;
    out.XonChar = dcb.XonChar;
    out.XoffChar = dcb.XoffChar;
    out.ErrorChar = dcb.ErrorChar;
    out.EofChar = dcb.EofChar;
    out.EvtChar = dcb.EvtChar;
    return out;
}

::COMMTIMEOUTS ToWin32Timeouts(const platform::COMMTIMEOUTS& timeouts) {
    ::COMMTIMEOUTS out{};
    out.ReadIntervalTimeout = timeouts.ReadIntervalTimeout;
    out.ReadTotalTimeoutMultiplier = timeouts.ReadTotalTimeoutMultiplier;
    out.ReadTotalTimeoutConstant = timeouts.ReadTotalTimeoutConstant;
    out.WriteTotalTimeoutMultiplier = timeouts.WriteTotalTimeoutMultiplier;
    out.WriteTotalTimeoutConstant = timeouts.WriteTotalTimeoutConstant;
    return out;
}

platform::COMMTIMEOUTS FromWin32Timeouts(const ::COMMTIMEOUTS& timeouts) {
    platform::COMMTIMEOUTS out;
    out.ReadIntervalTimeout = timeouts.ReadIntervalTimeout;
    out.ReadTotalTimeoutMultiplier = timeouts.ReadTotalTimeoutMultiplier;
    out.ReadTotalTimeoutConstant = timeouts.ReadTotalTimeoutConstant;
    out.WriteTotalTimeoutMultiplier = timeouts.WriteTotalTimeoutMultiplier;
    out.WriteTotalTimeoutConstant = timeouts.WriteTotalTimeoutConstant;
    return out;
}

platform::COMSTAT FromWin32Comstat(const ::COMSTAT& status) {
    platform::COMSTAT out;
    out.cbInQue = status.cbInQue;
    out.cbOutQue = status.cbOutQue;
    return out;
}

}  // namespace win32
