#include "options.h"

#include "files/number_format.h"
#include "geodesy/ellipsoid.h"
#include "geodesy/least_squares.h"
#include "geodesy/parameter_set.h"

#include <algorithm>
#include <cmath>

namespace quillon_cli {

using namespace dezadiravevava;

namespace {

bool EndsWithIgnoringCase(std::string_view text, std::string_view end) {
    if (text.size() < end.size()) {
        return false;
    }
    for (std::size_t i = 0; i < end.size(); ++i) {
        const auto lower = [](char c) {
            return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        };
        if (lower(text[text.size() - end.size() + i]) != lower(end[i])) {
            return false;
        }
    }
    return true;
}

} // namespace

Arguments::Arguments(const std::vector<std::string>& args,
                     const std::vector<std::string_view>& known,
                     const std::vector<std::string_view>& flags,
                     const std::vector<OptionalFile>& optional_files) {
    bool options_ended = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--" && !options_ended) {
            options_ended = true; // everything after "--" is positional
            continue;
        }
        if (!options_ended && arg.size() > 2 && arg.compare(0, 2, "--") == 0) {
            std::string name = arg.substr(2);
            std::optional<std::string> inline_value;
            if (const auto eq = name.find('='); eq != std::string::npos) {
                inline_value = name.substr(eq + 1);
                name.resize(eq);
            }
            if (std::find(flags.begin(), flags.end(), name) != flags.end()) {
                values_[name] = "";
                continue;
            }
            const auto optional =
                std::find_if(optional_files.begin(), optional_files.end(),
                             [&](const OptionalFile& o) { return o.name == name; });
            if (optional != optional_files.end()) {
                if (inline_value) {
                    values_[name] = *inline_value;
                } else if (i + 1 < args.size() && args[i + 1].compare(0, 2, "--") != 0 &&
                           EndsWithIgnoringCase(args[i + 1], optional->extension)) {
                    values_[name] = args[++i];
                } else {
                    values_[name] = "";
                }
                continue;
            }
            if (std::find(known.begin(), known.end(), name) == known.end()) {
                throw UsageError{"opción desconocida: --" + name};
            }
            if (inline_value) {
                values_[name] = *inline_value;
            } else if (i + 1 < args.size()) {
                values_[name] = args[++i];
            } else {
                throw UsageError{"falta el valor de la opción --" + name};
            }
        } else {
            positional_.push_back(arg);
        }
    }
}

std::optional<std::string> Arguments::Get(std::string_view name) const {
    const auto it = values_.find(std::string(name));
    if (it == values_.end()) {
        return std::nullopt;
    }
    return it->second;
}

std::string Arguments::Require(std::string_view name) const {
    auto value = Get(name);
    if (!value) {
        throw UsageError{"falta la opción obligatoria --" + std::string(name)};
    }
    return *value;
}

int ParseDatum(std::string_view text) {
    std::string upper(text);
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    if (upper == "ED50") {
        return kDatumEd50;
    }
    if (upper == "ETRS89") {
        return kDatumEtrs89;
    }
    throw UsageError{"datum desconocido: " + std::string(text) + " (ED50 o ETRS89)"};
}

int ParseKind(std::string_view text) {
    if (text == "geocentricas") {
        return kKindGeocentric;
    }
    if (text == "geodesicas") {
        return kKindGeodetic;
    }
    if (text == "utm") {
        return kKindUtm;
    }
    throw UsageError{"tipo de coordenadas desconocido: " + std::string(text) +
                     " (geocentricas, geodesicas o utm)"};
}

std::string_view KindName(int kind) {
    switch (kind) {
    case kKindGeocentric:
        return "geocentricas";
    case kKindGeodetic:
        return "geodesicas";
    case kKindUtm:
        return "utm";
    default:
        return "plana";
    }
}

int ParseModel(std::string_view text) {
    if (text == "helmert") {
        return kModelHelmert;
    }
    if (text == "molodensky") {
        return kModelMolodensky;
    }
    if (text == "afin") {
        return kModelAffine2D;
    }
    throw UsageError{"modelo desconocido: " + std::string(text) + " (helmert, molodensky o afin)"};
}

int ParseChoice(std::string_view text) {
    constexpr std::string_view kNames[] = {"nacionales", "regionales", "distancia", "vecinos",
                                           "rejilla"};
    for (int i = 0; i < 5; ++i) {
        if (text == kNames[i]) {
            return i;
        }
    }
    throw UsageError{"elección de parámetros desconocida: " + std::string(text) +
                     " (nacionales, regionales, distancia, vecinos o rejilla)"};
}

GridOptions ReadGridOptions(const Arguments& args, int choice) {
    GridOptions options;
    if (const auto grid = args.Get(kGridOption)) {
        if (choice != kParametersGrid) {
            throw UsageError{"--rejilla solo tiene sentido con --parametros rejilla"};
        }
        if (grid->empty()) {
            throw UsageError{"falta la ruta de --rejilla"};
        }
        options.grid_path = *grid;
    }
    if (const auto geoid = args.Get(kGeoidOption.name)) {
        options.orthometric_heights = true;
        options.geoid_path = *geoid;
    }
    return options;
}

int ReadThreads(const Arguments& args) {
    const auto text = args.Get(kThreadsOption);
    if (!text) {
        return 0;
    }
    const auto value = ParseNumber(*text);
    if (!value || *value != std::floor(*value) || *value < 0.0 || *value > 1024.0) {
        throw UsageError{"--hilos ha de ser un número entero de 0 a 1024: " + *text};
    }
    return static_cast<int>(*value);
}

std::vector<double> ParseNumbers(std::string_view text, std::size_t min_count,
                                 std::size_t max_count, std::string_view what) {
    const auto fields = SplitFields(text);
    if (fields.size() < min_count || fields.size() > max_count) {
        throw UsageError{std::string(what) +
                         ": número de valores incorrecto: " + std::string(text)};
    }
    std::vector<double> values;
    for (const auto& field : fields) {
        const auto value = ParseNumber(field);
        if (!value) {
            throw UsageError{std::string(what) + ": valor no numérico: " + field};
        }
        values.push_back(*value);
    }
    return values;
}

std::optional<double> ParseNumber(std::string_view text) {
    const std::size_t length = DecimalPrefixLength(text);
    if (length == 0 || length != text.size() || text.front() == ' ') {
        return std::nullopt;
    }
    const double value = ReadDecimal(text);
    if (!std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::optional<double> ParseZone(std::string_view text) {
    const auto value = ParseNumber(text);
    if (!value || *value != std::floor(*value) || *value < 1.0 || *value > 60.0) {
        return std::nullopt;
    }
    return value;
}

Side ReadSide(const Arguments& args, std::string_view suffix) {
    const std::string s(suffix);
    Side side;
    side.datum = ParseDatum(args.Require("datum-" + s));
    side.kind = ParseKind(args.Require("tipo-" + s));
    if (const auto zone = args.Get("huso-" + s)) {
        const auto value = ParseZone(*zone);
        if (!value) {
            throw UsageError{"huso fuera de 1..60 en --huso-" + s + ": " + *zone};
        }
        side.zone = *value;
        side.has_zone = true;
    }
    return side;
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
