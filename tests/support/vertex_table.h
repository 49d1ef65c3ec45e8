// The vertex catalogue as the project ships it (data/vertex_catalogue.tsv),
// read independently of the engine's compiled copy.
#pragma once

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace quillon_test {

struct CatalogueVertex {
    int number = 0;
    std::string name; // UTF-8
    double etrs_x = 0, etrs_y = 0, ed50_x = 0, ed50_y = 0;
};

// The two published rows that are blunders (6 km and 115 m off).
inline bool IsCatalogueBlunder(int number) {
    return number == 96065 || number == 106899;
}

inline std::vector<CatalogueVertex> ReadVertexCatalogue() {
    const std::string path = std::string(QUILLON_DATA_DIR) + "/vertex_catalogue.tsv";
    std::ifstream in(path);
    if (!in) {
        throw std::runtime_error("cannot open " + path);
    }
    std::vector<CatalogueVertex> out;
    std::string line;
    std::getline(in, line); // column names
    while (std::getline(in, line)) {
        std::vector<std::string> f;
        std::istringstream fields(line);
        for (std::string field; std::getline(fields, field, '\t');) {
            f.push_back(field);
        }
        if (f.size() < 9) {
            continue;
        }
        out.push_back({std::stoi(f[0]), f[1], std::stod(f[3]), std::stod(f[4]), std::stod(f[6]),
                       std::stod(f[7])});
    }
    return out;
}

} // namespace quillon_test
