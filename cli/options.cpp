#include "options.h"

namespace quillon_cli {

api::ParsedRequest ReadRequest(api::Order order, const std::vector<std::string>& args) {
    std::string error;
    auto parsed = api::ParseRequest(order, args, error);
    if (!parsed) {
        throw UsageError{error};
    }
    return std::move(*parsed);
}

double RequireNumber(std::string_view text, std::string_view what) {
    const auto value = api::NumberOfField(text);
    if (!value) {
        throw UsageError{std::string(what) + ": valor no numérico: " + std::string(text)};
    }
    return *value;
}

std::vector<std::string> SplitFields(std::string_view line) {
    std::vector<std::string> fields;
    std::string current;
    bool in_field = false;
    for (const char c : line) {
        if (c == ' ' || c == '\t' || c == ',' || c == '\r') {
            if (in_field) {
                fields.push_back(current);
                current.clear();
                in_field = false;
            }
        } else {
            current += c;
            in_field = true;
        }
    }
    if (in_field) {
        fields.push_back(current);
    }
    return fields;
}

} // namespace quillon_cli
