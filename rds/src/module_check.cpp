#include "rds/module_check.h"

#include <algorithm>
#include <array>
#include <optional>
#include <span>

#include "platform/text.h"
#include "rds/command_frame.h"
#include "rds/frame_reassembler.h"
#include "rds/replies.h"

std::string RunRdsModuleCheck(RdsSerialPort& port, const std::atomic<platform::HANDLE>& hPort) {
    port.ConfigureLine(hPort.load());
    port.SetReadTimeouts(hPort.load());

    platform::DWORD written = 0;
    if (port.Write(hPort.load(), kRdsVersionQuery.data(),
                   static_cast<platform::DWORD>(kRdsVersionQuery.size()),
                   &written) == platform::FALSE) {
        return platform::Format("RDS write Error! (%04x)", port.LastError());
    }

    RdsFrameReassembler reassembler;
    for (;;) {
        std::array<std::uint8_t, kRdsFrameSize + 1> buffer{};
        platform::DWORD read = 0;
        if (port.Read(hPort.load(), buffer.data(), kRdsFrameSize, &read) == platform::FALSE) {
            return platform::Format("RDS read Error! (%04x)", port.LastError());
        }
        if (read == 0) {
            return "RDS port NG!";
        }
        read = std::min<platform::DWORD>(read, kRdsFrameSize);
        std::optional<RdsVersionReply> version;
        reassembler.Feed(std::span(buffer.data(), read), [&version](const RdsFrame& frame) {
            if (!version) {
                version = DecodeVersionReply(frame);
            }
        });
        if (version) {
            return platform::Format("RDS test OK.\r\nVersion=%d-%d-%d", version->first,
                                    version->second, version->third);
        }
    }
}
