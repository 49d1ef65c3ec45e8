// Reads the coordinate pairs of a DXF drawing the way any DXF reader does:
// as (group code, value) tags, codes stripped of their padding, so the check
// does not depend on how the engine lays out the lines it rewrites.
#pragma once

#include <string>
#include <vector>

namespace quillon_test {

struct DxfPair {
    std::string entity; // TEXT, LINE, ...; VERTEX for a polyline's vertices
    int code = 0;       // 10 (first point) or 11 (second point)
    double x = 0, y = 0;
};

inline std::string TrimDxfLine(std::string s) {
    while (!s.empty() && (s.back() == '\r' || s.back() == ' ')) {
        s.pop_back();
    }
    const std::size_t first = s.find_first_not_of(' ');
    return first == std::string::npos ? std::string() : s.substr(first);
}

// Every 10/20 and 11/21 pair of the ENTITIES section, in drawing order.
inline std::vector<DxfPair> ReadDxfPairs(const std::string& drawing) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < drawing.size()) {
        std::size_t end = drawing.find('\n', start);
        if (end == std::string::npos) {
            end = drawing.size();
        }
        lines.push_back(TrimDxfLine(drawing.substr(start, end - start)));
        start = end + 1;
    }
    std::vector<DxfPair> out;
    std::string entity;
    bool in_entities = false;
    for (std::size_t i = 0; i + 1 < lines.size(); i += 2) {
        const int code = std::stoi(lines[i]);
        const std::string& value = lines[i + 1];
        if (code == 2 && value == "ENTITIES") {
            in_entities = true;
        } else if (code == 0) {
            entity = value;
            if (value == "ENDSEC") {
                in_entities = false;
            }
        } else if (in_entities && (code == 10 || code == 11)) {
            out.push_back({entity, code, std::stod(value), 0.0});
        } else if (in_entities && (code == 20 || code == 21) && !out.empty() &&
                   out.back().code == code - 10) {
            out.back().y = std::stod(value);
        }
    }
    return out;
}

// A drawing of the given entities (each its group lines, from the 0 code that
// starts it), in the right-justified layout DXF writers use, CR LF ended.
inline std::string
DxfDrawing(const std::vector<std::vector<std::pair<int, std::string>>>& entities) {
    std::string out = "  0\r\nSECTION\r\n  2\r\nENTITIES\r\n";
    for (const auto& entity : entities) {
        for (const auto& [code, value] : entity) {
            std::string c = std::to_string(code);
            out += std::string(c.size() < 3 ? 3 - c.size() : 0, ' ') + c + "\r\n" + value + "\r\n";
        }
    }
    return out + "  0\r\nENDSEC\r\n  0\r\nEOF\r\n";
}

} // namespace quillon_test
