#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "gpsinfo/gps_line_assembler.h"

namespace {

using Lines = std::vector<std::string>;

Lines Assemble(const std::vector<std::string>& chunks) {
    CGpsLineAssembler assembler;
    Lines lines;
    for (const std::string& c : chunks) {
        assembler.Feed(reinterpret_cast<const std::uint8_t*>(c.data()), c.size(),
                       [&](const char* line, std::size_t n) { lines.emplace_back(line, n); });
    }
    return lines;
}

TEST(GpsLineAssembler, LinesOfOneChunk) {
    const std::string limit(255, 'a');
    struct Row {
        const char* name;
        std::string bytes;
        Lines lines;
    };
    const Row rows[] = {
        {"sentence with its line feed", "$GPGGA,1*00\r\n", {"$GPGGA,1*00\r"}},
        {"carriage return alone", "\r", {"\r"}},
        {"line feed gives up the line", "$GPG\n$GPRMC,2\r", {"$GPRMC,2\r"}},
        {"zero byte gives up the line", std::string("$GPG\0A,1\r", 9), {"A,1\r"}},
        {"no carriage return, no line", "$GPGGA,1*00", {}},
        {"carriage return in the 256th place", limit + "\r", {limit + "\r"}},
        {"over-long line dropped up to its return", limit + "bb\r$OK\r", {"$OK\r"}},
        {"line feed ends an over-long line", limit + "b" + "\n$OK\r", {"$OK\r"}},
        {"bytes above 0x7f are kept", "\x80\xff\xe9\r", {"\x80\xff\xe9\r"}},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(Assemble({r.bytes}), r.lines) << r.name;
    }
}

// Whatever the driver's chunk boundaries, the same lines come out.
TEST(GpsLineAssembler, SameLinesWhereverTheChunksAreCut) {
    const std::string stream =
        "$GPGGA,103100.000,4025.1988,N,00341.3220,W,1,10,1.06,656.9,M,51.6,M,,0000*7B\r\n"
        "$GPGSA,A,3,02,05,10*03\r\n" +
        std::string(300, 'x') + "\r\n" + "$GPGSV,3,1,12\n" + std::string("$PV\0SNS,A\r\n", 11) +
        "$GPRMC,103100.000,A*7F\r\n\r\n";
    const Lines whole = Assemble({stream});
    const Lines expected = {
        "$GPGGA,103100.000,4025.1988,N,00341.3220,W,1,10,1.06,656.9,M,51.6,M,,0000*7B\r",
        "$GPGSA,A,3,02,05,10*03\r",
        "SNS,A\r",
        "$GPRMC,103100.000,A*7F\r",
        "\r",
    };
    ASSERT_EQ(whole, expected);
    for (std::size_t cut = 0; cut <= stream.size(); ++cut) {
        EXPECT_EQ(Assemble({stream.substr(0, cut), stream.substr(cut)}), whole) << "cut at " << cut;
    }
    std::vector<std::string> bytes;
    for (char c : stream) {
        bytes.emplace_back(1, c);
    }
    EXPECT_EQ(Assemble(bytes), whole) << "one byte a chunk";
}

}  // namespace
