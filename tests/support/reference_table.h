// Reads the whitespace-separated numeric tables under tests/data.
#pragma once

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace quillon_test {

// A table whose first non-comment line names the columns.
class ReferenceTable {
public:
    explicit ReferenceTable(const std::string& file_name) {
        const std::string path = std::string(QUILLON_REFERENCE_DIR) + "/" + file_name;
        std::ifstream in(path);
        if (!in) {
            throw std::runtime_error("cannot open " + path);
        }
        std::string line;
        while (std::getline(in, line)) {
            if (line.empty() || line[0] == '#') {
                continue;
            }
            std::istringstream fields(line);
            if (columns_.empty()) {
                for (std::string name; fields >> name;) {
                    columns_.push_back(name);
                }
                continue;
            }
            std::vector<double> row;
            for (double value; fields >> value;) {
                row.push_back(value);
            }
            rows_.push_back(row);
        }
    }

    const std::vector<std::vector<double>>& rows() const { return rows_; }

    std::size_t Column(const std::string& name) const {
        for (std::size_t i = 0; i < columns_.size(); ++i) {
            if (columns_[i] == name) {
                return i;
            }
        }
        throw std::runtime_error("no column " + name);
    }

private:
    std::vector<std::string> columns_;
    std::vector<std::vector<double>> rows_;
};

} // namespace quillon_test
