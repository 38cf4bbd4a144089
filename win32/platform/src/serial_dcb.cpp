#include "serial_dcb.h"

namespace win32::pc {
namespace {

// The fields both control blocks have, by name: Win32's are bit fields, so
// each flag is cut to its width on the way in.
template <class From, class To>
void CopyDcbFields(const From& in, To& out) {
    out.BaudRate = in.BaudRate;
    out.fParity = (in.fParity & 1U);
    out.fOutxCtsFlow = (in.fOutxCtsFlow & 1U);
    out.fOutxDsrFlow = (in.fOutxDsrFlow & 1U);
    out.fDtrControl = (in.fDtrControl & 3U);
    out.fDsrSensitivity = (in.fDsrSensitivity & 1U);
    out.fTXContinueOnXoff = (in.fTXContinueOnXoff & 1U);
    out.fOutX = (in.fOutX & 1U);
    out.fInX = (in.fInX & 1U);
    out.fErrorChar = (in.fErrorChar & 1U);
    out.fNull = (in.fNull & 1U);
    out.fRtsControl = (in.fRtsControl & 3U);
    out.fAbortOnError = (in.fAbortOnError & 1U);
    out.XonLim = in.XonLim;
    out.XoffLim = in.XoffLim;
    out.ByteSize = in.ByteSize;
    out.Parity = in.Parity;
    out.StopBits = in.StopBits;
    out.XonChar = in.XonChar;
    out.XoffChar = in.XoffChar;
    out.ErrorChar = in.ErrorChar;
    out.EofChar = in.EofChar;
    out.EvtChar = in.EvtChar;
}

template <class From, class To>
void CopyTimeouts(const From& in, To& out) {
    out.ReadIntervalTimeout = in.ReadIntervalTimeout;
    out.ReadTotalTimeoutMultiplier = in.ReadTotalTimeoutMultiplier;
    out.ReadTotalTimeoutConstant = in.ReadTotalTimeoutConstant;
    out.WriteTotalTimeoutMultiplier = in.WriteTotalTimeoutMultiplier;
    out.WriteTotalTimeoutConstant = in.WriteTotalTimeoutConstant;
}

}  // namespace

::DCB ToWin32Dcb(const platform::DCB& dcb) {
    ::DCB out{};
    out.DCBlength = sizeof out;
    CopyDcbFields(dcb, out);
    // Win32 serial drivers take binary transfers only.
    out.fBinary = 1;
    return out;
}

platform::DCB FromWin32Dcb(const ::DCB& dcb) {
    platform::DCB out;
    CopyDcbFields(dcb, out);
    out.fBinary = dcb.fBinary;
    return out;
}

::COMMTIMEOUTS ToWin32Timeouts(const platform::COMMTIMEOUTS& timeouts) {
    ::COMMTIMEOUTS out{};
    CopyTimeouts(timeouts, out);
    return out;
}

platform::COMMTIMEOUTS FromWin32Timeouts(const ::COMMTIMEOUTS& timeouts) {
    platform::COMMTIMEOUTS out;
    CopyTimeouts(timeouts, out);
    return out;
}

platform::COMSTAT FromWin32Comstat(const ::COMSTAT& status) {
    platform::COMSTAT out;
    out.cbInQue = status.cbInQue;
    out.cbOutQue = status.cbOutQue;
    return out;
}

}  // namespace win32::pc
