#include "termios_dcb.h"

#include <algorithm>
#include <array>
#include <optional>
#include <utility>

#include "host/unit/termios_speed.h"

namespace host::com7 {

namespace {

constexpr std::array<std::pair<platform::BYTE, tcflag_t>, 4> kSizes = {{
    {5, CS5},
    {6, CS6},
    {7, CS7},
    {8, CS8},
}};

}  // namespace

bool ApplyDcb(const platform::DCB& dcb, termios* tio) {
    const std::optional<speed_t> baud = unit::TermiosSpeed(dcb.BaudRate);
    const auto* size = std::find_if(kSizes.begin(), kSizes.end(),
                                    [&](const auto& s) { return s.first == dcb.ByteSize; });
    if (!baud || size == kSizes.end()) {
        return false;
    }
    tcflag_t parity = 0;
    switch (dcb.Parity) {
        case platform::NOPARITY:
            break;
        case platform::ODDPARITY:
            parity = PARENB | PARODD;
            break;
        case platform::EVENPARITY:
            parity = PARENB;
            break;
        case MARKPARITY:
            parity = PARENB | PARODD | CMSPAR;
            break;
        case SPACEPARITY:
            parity = PARENB | CMSPAR;
            break;
        default:
            return false;
    }
    tcflag_t stop = 0;
    switch (dcb.StopBits) {
        case platform::ONESTOPBIT:
            break;
        case ONE5STOPBITS:
            // termios gives 1.5 stop bits only as CSTOPB with 5 data bits.
            if (dcb.ByteSize != 5) {
                return false;
            }
            stop = CSTOPB;
            break;
        case platform::TWOSTOPBITS:
            stop = CSTOPB;
            break;
        default:
            return false;
    }
    termios t = *tio;
    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    t.c_cflag |= size->second | parity | stop | CLOCAL | CREAD;
    if (dcb.fOutxCtsFlow != 0 || dcb.fRtsControl == RTS_CONTROL_HANDSHAKE) {
        t.c_cflag |= CRTSCTS;
    }
    t.c_iflag &= ~static_cast<tcflag_t>(INPCK | IXON | IXOFF);
    if (dcb.fParity != 0 && parity != 0) {
        t.c_iflag |= INPCK;
    }
    if (dcb.fOutX != 0) {
        t.c_iflag |= IXON;
    }
    if (dcb.fInX != 0) {
        t.c_iflag |= IXOFF;
    }
    t.c_cc[VSTART] = static_cast<cc_t>(dcb.XonChar);
    t.c_cc[VSTOP] = static_cast<cc_t>(dcb.XoffChar);
    if (cfsetispeed(&t, *baud) != 0 || cfsetospeed(&t, *baud) != 0) {
        return false;
    }
    *tio = t;
    return true;
}

platform::DCB ReadDcb(const termios& tio, const platform::DCB& base) {
    platform::DCB dcb = base;
    dcb.BaudRate = unit::BaudOfSpeed(cfgetospeed(&tio));
    for (const auto& [bits, flag] : kSizes) {
        if ((tio.c_cflag & CSIZE) == flag) {
            dcb.ByteSize = bits;
        }
    }
    const tcflag_t parity = tio.c_cflag & (PARENB | PARODD | CMSPAR);
    if ((parity & PARENB) == 0) {
        dcb.Parity = platform::NOPARITY;
    } else if ((parity & CMSPAR) != 0) {
        dcb.Parity = (parity & PARODD) != 0 ? MARKPARITY : SPACEPARITY;
    } else {
        dcb.Parity = (parity & PARODD) != 0 ? platform::ODDPARITY : platform::EVENPARITY;
    }
    if ((tio.c_cflag & CSTOPB) == 0) {
        dcb.StopBits = platform::ONESTOPBIT;
    } else {
        dcb.StopBits = dcb.ByteSize == 5 ? ONE5STOPBITS : platform::TWOSTOPBITS;
    }
    dcb.fParity = (tio.c_iflag & INPCK) != 0 ? 1U : 0U;
    dcb.fOutxCtsFlow = (tio.c_cflag & CRTSCTS) != 0 ? 1U : 0U;
    if (dcb.fOutxCtsFlow != 0) {
        dcb.fRtsControl = RTS_CONTROL_HANDSHAKE;
    } else if (dcb.fRtsControl == RTS_CONTROL_HANDSHAKE) {
        dcb.fRtsControl = platform::RTS_CONTROL_ENABLE;
    }
    dcb.fOutX = (tio.c_iflag & IXON) != 0 ? 1U : 0U;
    dcb.fInX = (tio.c_iflag & IXOFF) != 0 ? 1U : 0U;
    dcb.XonChar = static_cast<char>(tio.c_cc[VSTART]);
    dcb.XoffChar = static_cast<char>(tio.c_cc[VSTOP]);
    return dcb;
}

}  // namespace host::com7
