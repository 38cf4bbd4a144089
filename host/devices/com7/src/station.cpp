#include "host/com7/station.h"

namespace host::com7 {

namespace {

// Block B: group type (4 bits), version B flag, traffic programme, programme
// type (5 bits), then five bits that depend on the group type.
constexpr std::uint16_t kTypeShift = 12;
constexpr std::uint16_t kProgrammeType = 10;  // pop music
constexpr std::uint16_t kPtyShift = 5;
constexpr std::uint16_t kMusicFlag = 0x0008;       // 0A: M/S
constexpr std::uint16_t kStereoFlag = 0x0004;      // 0A: DI bit, sent with segment 3
constexpr std::uint16_t kNoAlternatives = 0xE0CD;  // 0A block C: no AF, filler
constexpr std::uint16_t kSlowLabelling = 0x00E2;   // 1A block C: variant 0, ECC E2

enum class Kind { Name, Radiotext, Labelling };

struct CycleEntry {
    Kind kind;
    std::uint16_t segment;
};

constexpr std::array<CycleEntry, kGroupCycle> kCycle = {{
    {Kind::Name, 0},
    {Kind::Radiotext, 0},
    {Kind::Name, 1},
    {Kind::Name, 2},
    {Kind::Labelling, 0},
    {Kind::Name, 3},
    {Kind::Radiotext, 1},
    {Kind::Radiotext, 2},
}};

std::uint16_t BlockB(std::uint16_t type, std::uint16_t low) {
    return static_cast<std::uint16_t>((type << kTypeShift) | (kProgrammeType << kPtyShift) | low);
}

std::uint16_t Pair(std::uint8_t high, std::uint8_t low) {
    return static_cast<std::uint16_t>((high << 8) | low);
}

// The radiotext: the name, a carriage return, spaces up to 12 characters.
std::uint8_t RadiotextAt(const Station& station, std::size_t index) {
    if (index < station.ps.size()) {
        return station.ps[index];
    }
    return index == station.ps.size() ? std::uint8_t{'\r'} : std::uint8_t{' '};
}

}  // namespace

RdsGroup StationIdentity::Apply(RdsGroup group) const {
    constexpr std::uint16_t kVersionB = 0x0800;
    if (pi) {
        group.a = *pi;
        if ((group.b & kVersionB) != 0) {
            group.c = *pi;
        }
    }
    if (ps && (group.b >> kTypeShift) == 0) {
        const std::size_t at = std::size_t{2} * (group.b & 0x03U);
        group.d = Pair((*ps)[at], (*ps)[at + 1]);
    }
    return group;
}

RdsGroup StationGroup(const Station& station, std::uint64_t n) {
    const CycleEntry entry = kCycle[n % kGroupCycle];
    RdsGroup group;
    group.a = station.pi;
    switch (entry.kind) {
        case Kind::Name: {
            const std::uint16_t di = entry.segment == 3 ? kStereoFlag : 0;
            group.b = BlockB(0, static_cast<std::uint16_t>(kMusicFlag | di | entry.segment));
            group.c = kNoAlternatives;
            const std::size_t at = std::size_t{2} * entry.segment;
            group.d = Pair(station.ps[at], station.ps[at + 1]);
            break;
        }
        case Kind::Radiotext: {
            const std::size_t segment = entry.segment;
            group.b = BlockB(2, entry.segment);
            const std::size_t at = 4 * segment;
            group.c = Pair(RadiotextAt(station, at), RadiotextAt(station, at + 1));
            group.d = Pair(RadiotextAt(station, at + 2), RadiotextAt(station, at + 3));
            break;
        }
        case Kind::Labelling:
            group.b = BlockB(1, 0);
            group.c = kSlowLabelling;
            group.d = 0;
            break;
    }
    return group;
}

std::optional<PsBytes> EncodePsName(std::string_view utf8) {
    PsBytes out;
    out.fill(' ');
    std::size_t count = 0;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        unsigned code = 0;
        if (lead < 0x80) {
            code = lead;
            i += 1;
        } else if ((lead & 0xE0U) == 0xC0U && i + 1 < utf8.size() &&
                   (static_cast<unsigned char>(utf8[i + 1]) & 0xC0U) == 0x80U) {
            code = ((lead & 0x1FU) << 6) | (static_cast<unsigned char>(utf8[i + 1]) & 0x3FU);
            i += 2;
        } else {
            return std::nullopt;  // longer sequences lie outside the single-byte range
        }
        const bool printable = (code >= 0x20 && code <= 0x7E) || (code >= 0xA0 && code <= 0xFF);
        if (!printable || count == out.size()) {
            return std::nullopt;
        }
        out[count++] = static_cast<std::uint8_t>(code);
    }
    return out;
}

}  // namespace host::com7
