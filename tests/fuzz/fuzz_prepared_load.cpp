// Prepared runs read back from any text (dzv_prepared_load): a text is either
// refused with a message and no handle, or it makes a handle whose saved text
// loads again into a handle that saves to the same text, with parameters and
// vertices that can be read whole. Nothing reads outside the input.
#include "dezadiravevava.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

std::string Save(const dzv_prepared* prepared) {
    std::size_t length = 0;
    if (dzv_prepared_save(prepared, nullptr, 0, &length) != DZV_OK) {
        std::abort();
    }
    std::string text(length, '\0');
    if (dzv_prepared_save(prepared, text.data(), text.size(), &length) != DZV_OK ||
        length != text.size()) {
        std::abort();
    }
    return text;
}

// A saved set names its grid and geoid files, which loading reads; the
// fuzzer is kept to the bundled ones ("0:", an empty path), so that no input
// makes it read /dev/zero or a folder of the machine.
bool NamesOwnFiles(const std::string& text) {
    for (const char* key : {"grid", "geoid"}) {
        for (std::size_t at = text.find(key); at != std::string::npos;
             at = text.find(key, at + 1)) {
            std::size_t value = at + std::strlen(key);
            while (value < text.size() && text[value] == ' ') {
                ++value;
            }
            if (text.compare(value, 2, "0:") != 0) {
                return true;
            }
        }
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (NamesOwnFiles(std::string(reinterpret_cast<const char*>(data), size))) {
        return 0;
    }
    // The text is copied into a buffer of its own size, so that ASan sees any
    // read past its end.
    char* text = static_cast<char*>(std::malloc(size ? size : 1));
    if (size) {
        std::memcpy(text, data, size);
    }
    dzv_prepared* prepared = reinterpret_cast<dzv_prepared*>(&size); // must be overwritten
    char message[128] = {};
    const std::int32_t code = dzv_prepared_load(text, size, &prepared, message, sizeof message);
    std::free(text);
    if (code != DZV_OK) {
        if (prepared != nullptr || message[0] == '\0') {
            std::abort(); // a refusal leaves no handle and says why
        }
        return 0;
    }
    const std::string saved = Save(prepared);
    dzv_prepared* again = nullptr;
    if (dzv_prepared_load(saved.data(), saved.size(), &again, message, sizeof message) != DZV_OK ||
        Save(again) != saved) {
        std::abort(); // what the library saves, it loads, to the same text
    }
    dzv_parameters parameters{};
    parameters.size = sizeof parameters;
    if (dzv_prepared_parameters(again, &parameters) != DZV_OK || !parameters.report ||
        parameters.used_count > parameters.vertex_count) {
        std::abort();
    }
    for (std::int32_t i = 0; i < parameters.vertex_count; ++i) {
        dzv_vertex vertex{};
        vertex.size = sizeof vertex;
        if (dzv_prepared_vertex(again, i, &vertex) != DZV_OK || !vertex.name ||
            std::strlen(vertex.name) > 4096) {
            std::abort();
        }
    }
    dzv_release_prepared(again);
    dzv_release_prepared(prepared);
    return 0;
}
