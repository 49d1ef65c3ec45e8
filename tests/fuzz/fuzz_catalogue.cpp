// The reader of a user's catalogue of common points (and the table reader
// under it). Properties:
//  - a catalogue is either read whole or refused with a reason on every line;
//  - a catalogue read has 3 to kCatalogueVertexLimit vertices, distinct
//    numbers above 0, finite coordinates, and a label ending in the SHA-256
//    of the bytes read;
//  - reading is deterministic: the same bytes give the same catalogue.
#include "files/catalogue_file.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>

namespace {

using namespace dezadiravevava;

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::string failure;
    const auto catalogue = ParseCatalogue(bytes, "propio.tsv", failure);
    if (!catalogue) {
        Require(!failure.empty() && failure.back() == '\n');
        return 0;
    }
    Require(failure.empty());
    const auto& vertices = catalogue->vertices;
    Require(vertices.size() >= 3 && vertices.size() <= kCatalogueVertexLimit);
    std::set<std::int32_t> numbers;
    for (const VertexRecord& v : vertices) {
        Require(v.number > 0 && numbers.insert(v.number).second);
        for (const double c : {v.etrs_x, v.etrs_y, v.etrs_h, v.ed50_x, v.ed50_y, v.ed50_h}) {
            Require(std::isfinite(c));
        }
    }
    const std::string& label = catalogue->label;
    Require(label.rfind("propio.tsv (SHA-256 ", 0) == 0 && label.size() == 20 + 64 + 1);
    std::string again_failure;
    const auto again = ParseCatalogue(bytes, "propio.tsv", again_failure);
    Require(again && again->label == label && again->vertices.size() == vertices.size());
    return 0;
}
