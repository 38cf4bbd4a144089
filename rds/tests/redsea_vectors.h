// The captured-station vectors of testdata/rds: RDS groups (blocks A B C D)
// and the Programme Service name an independent decoder (redsea) gives
// after them, one section per station.
#pragma once

#include <array>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "kestrin_tree.h"

namespace rds_test {

struct RedseaSection {
    std::vector<std::array<std::uint16_t, 4>> groups;
    std::string ps;
};

inline std::vector<RedseaSection> LoadRedseaVectors() {
    std::ifstream file(KESTRIN_TESTDATA_DIR "/rds/redsea_ps_vectors.txt");
    std::vector<RedseaSection> sections(1);
    std::string line;
    while (std::getline(file, line)) {
        if (line.rfind("expect ps=\"", 0) == 0) {
            const auto begin = line.find('"') + 1;
            sections.back().ps = line.substr(begin, line.rfind('"') - begin);
            sections.emplace_back();
        } else if (!line.empty() && line[0] != '#') {
            std::istringstream words(line);
            unsigned a = 0;
            unsigned b = 0;
            unsigned c = 0;
            unsigned d = 0;
            words >> std::hex >> a >> b >> c >> d;
            sections.back().groups.push_back(
                {static_cast<std::uint16_t>(a), static_cast<std::uint16_t>(b),
                 static_cast<std::uint16_t>(c), static_cast<std::uint16_t>(d)});
        }
    }
    sections.pop_back();
    return sections;
}

}  // namespace rds_test
