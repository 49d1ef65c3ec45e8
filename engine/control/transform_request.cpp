// Reading and checking a run description (see transform_request.h).
#include "transform_request.h"

#include "files/catalogue_file.h"
#include "files/number_format.h"
#include "files/point_table.h"
#include "geodesy/parameter_set.h"
#include "geodesy/served_region.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <map>

namespace dezadiravevava::api {

namespace {

// An option the order accepts. A flag takes no value; an optional file takes
// "--name=VALUE", or "--name FILE" when the next argument ends in the
// extension ("--geoide x.gtx"), else no value.
struct OptionSpec {
    std::string_view name;
    enum { kValue, kFlag, kOptionalFile } form = kValue;
    std::string_view extension = {};
};

struct UsageError {
    std::string message;
};

// A number as the user would have typed it: 5.5, 2, 1e+300.
std::string ShortestText(double value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

bool EndsWithIgnoringCase(std::string_view text, std::string_view end) {
    if (text.size() < end.size()) {
        return false;
    }
    return std::equal(end.begin(), end.end(), text.end() - static_cast<std::ptrdiff_t>(end.size()),
                      [](char x, char y) {
                          return std::tolower(static_cast<unsigned char>(x)) ==
                                 std::tolower(static_cast<unsigned char>(y));
                      });
}

// Options "--name value" and operands, in order.
class Arguments {
public:
    Arguments(const std::vector<std::string>& args, const std::vector<OptionSpec>& known) {
        bool options_ended = false;
        for (std::size_t i = 0; i < args.size(); ++i) {
            const std::string& arg = args[i];
            if (arg == "--" && !options_ended) {
                options_ended = true; // everything after "--" is an operand
                continue;
            }
            if (options_ended || arg.size() <= 2 || arg.compare(0, 2, "--") != 0) {
                operands_.push_back(arg);
                continue;
            }
            std::string name = arg.substr(2);
            std::optional<std::string> inline_value;
            if (const auto eq = name.find('='); eq != std::string::npos) {
                inline_value = name.substr(eq + 1);
                name.resize(eq);
            }
            const auto spec = std::find_if(known.begin(), known.end(),
                                           [&](const OptionSpec& o) { return o.name == name; });
            if (spec == known.end()) {
                throw UsageError{"opción desconocida: --" + name};
            }
            if (values_.count(name) != 0) {
                throw UsageError{"opción repetida: --" + name};
            }
            if (spec->form == OptionSpec::kFlag) {
                if (inline_value) {
                    throw UsageError{"--" + name + " no lleva valor"};
                }
                values_[name] = "";
            } else if (spec->form == OptionSpec::kOptionalFile) {
                if (inline_value) {
                    values_[name] = *inline_value;
                } else if (i + 1 < args.size() && args[i + 1].compare(0, 2, "--") != 0 &&
                           EndsWithIgnoringCase(args[i + 1], spec->extension)) {
                    values_[name] = args[++i];
                } else {
                    values_[name] = "";
                }
            } else if (inline_value) {
                values_[name] = *inline_value;
            } else if (i + 1 < args.size()) {
                values_[name] = args[++i];
            } else {
                throw UsageError{"falta el valor de la opción --" + name};
            }
        }
    }

    std::optional<std::string> Get(std::string_view name) const {
        const auto it = values_.find(std::string(name));
        if (it == values_.end()) {
            return std::nullopt;
        }
        return it->second;
    }
    bool Has(std::string_view name) const { return values_.count(std::string(name)) != 0; }
    std::string Require(std::string_view name) const {
        auto value = Get(name);
        if (!value) {
            throw UsageError{"falta la opción obligatoria --" + std::string(name)};
        }
        return *value;
    }
    const std::vector<std::string>& operands() const { return operands_; }

private:
    std::map<std::string, std::string> values_;
    std::vector<std::string> operands_;
};

std::optional<double> Number(std::string_view text) {
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

// "x,y" or "x y": exactly `count` numbers.
std::vector<double> Numbers(std::string_view text, std::size_t count, std::string_view what) {
    std::vector<double> values;
    std::string field;
    const auto flush = [&] {
        if (field.empty()) {
            return;
        }
        const auto value = Number(field);
        if (!value) {
            throw UsageError{std::string(what) + ": valor no numérico: " + field};
        }
        values.push_back(*value);
        field.clear();
    };
    for (const char c : text) {
        if (c == ' ' || c == '\t' || c == ',') {
            flush();
        } else {
            field += c;
        }
    }
    flush();
    if (values.size() != count) {
        throw UsageError{std::string(what) +
                         ": número de valores incorrecto: " + std::string(text)};
    }
    return values;
}

Datum ParseDatum(std::string_view text) {
    std::string upper(text);
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    if (upper == "ED50") {
        return Datum::kEd50;
    }
    if (upper == "ETRS89") {
        return Datum::kEtrs89;
    }
    throw UsageError{"datum desconocido: " + std::string(text) + " (ED50 o ETRS89)"};
}

Kind ParseKind(std::string_view text) {
    if (text == "geocentricas") {
        return Kind::kGeocentric;
    }
    if (text == "geodesicas") {
        return Kind::kGeodetic;
    }
    if (text == "utm") {
        return Kind::kUtm;
    }
    throw UsageError{"tipo de coordenadas desconocido: " + std::string(text) +
                     " (geocentricas, geodesicas o utm)"};
}

Model ParseModel(std::string_view text) {
    if (text == "helmert") {
        return Model::kHelmert;
    }
    if (text == "molodensky") {
        return Model::kMolodensky;
    }
    if (text == "afin") {
        return Model::kAffine;
    }
    throw UsageError{"modelo desconocido: " + std::string(text) + " (helmert, molodensky o afin)"};
}

Method ParseMethod(std::string_view text) {
    constexpr std::pair<std::string_view, Method> kNames[] = {
        {"nacionales", Method::kNational}, {"regionales", Method::kRegional},
        {"distancia", Method::kDistance},  {"vecinos", Method::kNearest},
        {"rejilla", Method::kGrid},
    };
    for (const auto& [name, method] : kNames) {
        if (text == name) {
            return method;
        }
    }
    throw UsageError{"elección de parámetros desconocida: " + std::string(text) +
                     " (nacionales, regionales, distancia, vecinos o rejilla)"};
}

int ParseZone(const std::string& text, const std::string& option) {
    const auto value = Number(text);
    if (!value || *value != std::floor(*value) || *value < 1.0 || *value > 60.0) {
        throw UsageError{"huso fuera de 1..60 en " + option + ": " + text};
    }
    return static_cast<int>(*value);
}

// Side `s` ("a" or "b"): --sistema-s, or --datum-s with --tipo-s (the kind
// only when `with_kind`) and --huso-s.
Side ReadSide(const Arguments& args, const std::string& s, bool with_kind, bool& orthometric) {
    const std::string system = "sistema-" + s;
    if (const auto code = args.Get(system)) {
        for (const std::string other : {"datum-", "tipo-", "huso-"}) {
            if (args.Has(other + s)) {
                throw UsageError{"--" + system + " y --" + other + s + " no se dan juntas"};
            }
        }
        const auto epsg = SideOfEpsg(*code);
        if (!epsg) {
            throw UsageError{"código EPSG desconocido en --" + system + ": " + *code +
                             " (se admiten " + std::string(KnownEpsgCodes()) + ")"};
        }
        orthometric = orthometric || epsg->orthometric_heights;
        return epsg->side;
    }
    Side side;
    side.datum = ParseDatum(args.Require("datum-" + s));
    if (with_kind) {
        side.kind = ParseKind(args.Require("tipo-" + s));
        if (const auto zone = args.Get("huso-" + s)) {
            side.zone = ParseZone(*zone, "--huso-" + s);
        }
    }
    return side;
}

// --columnas ID,C1,C2[,C3[,HUSO]], or C1,C2: the five entries, names or
// 1-based numbers, "" for none.
std::vector<std::string> ParseColumns(std::string_view text) {
    std::vector<std::string> entries(1);
    for (const char c : text) {
        if (c == ',') {
            entries.emplace_back();
        } else {
            entries.back() += c;
        }
    }
    for (std::string& entry : entries) {
        const auto first = entry.find_first_not_of(" \t");
        entry = first == std::string::npos
                    ? std::string()
                    : entry.substr(first, entry.find_last_not_of(" \t") - first + 1);
    }
    if (entries.size() < 2 || entries.size() > 5) {
        throw UsageError{"--columnas espera ID,C1,C2[,C3[,HUSO]] o C1,C2: " + std::string(text)};
    }
    if (entries.size() == 2) {
        entries.insert(entries.begin(), std::string());
    }
    if (entries[1].empty() || entries[2].empty()) {
        throw UsageError{"--columnas: faltan las columnas de las coordenadas: " +
                         std::string(text)};
    }
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const std::string& entry = entries[i];
        const bool digits = !entry.empty() && std::all_of(entry.begin(), entry.end(), [](char c) {
            return c >= '0' && c <= '9';
        });
        if (digits && (entry.size() > 4 || std::stoi(entry) < 1)) {
            throw UsageError{"--columnas: número de columna no válido: " + entry};
        }
        for (std::size_t j = 0; j < i; ++j) {
            std::string a = entry, b = entries[j];
            for (std::string* name : {&a, &b}) {
                std::transform(name->begin(), name->end(), name->begin(),
                               [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
            }
            if (!a.empty() && a == b) {
                throw UsageError{"--columnas: columna repetida: " + entry};
            }
        }
    }
    return entries;
}

// --separador: a name or the character itself.
char ParseSeparator(std::string_view text) {
    constexpr std::pair<std::string_view, char> kNames[] = {
        {"tab", '\t'}, {"\t", '\t'}, {"punto-y-coma", ';'}, {";", ';'},
        {"coma", ','}, {",", ','},   {"espacios", ' '},     {" ", ' '},
    };
    for (const auto& [name, separator] : kNames) {
        if (text == name) {
            return separator;
        }
    }
    throw UsageError{"separador desconocido: " + std::string(text) +
                     " (tab, punto-y-coma, coma o espacios)"};
}

std::vector<OptionSpec> OptionsOf(Order order) {
    const std::vector<OptionSpec> side_a = {{"datum-a"}, {"tipo-a"}, {"huso-a"}, {"sistema-a"}};
    const std::vector<OptionSpec> side_b = {{"datum-b"}, {"tipo-b"}, {"huso-b"}, {"sistema-b"}};
    const OptionSpec region = {"fuera-de-region", OptionSpec::kFlag};
    const OptionSpec geoid = {"geoide", OptionSpec::kOptionalFile, ".gtx"};
    const OptionSpec uncertainty = {"incertidumbre", OptionSpec::kFlag};
    std::vector<OptionSpec> options;
    const auto add = [&](const std::vector<OptionSpec>& more) {
        options.insert(options.end(), more.begin(), more.end());
    };
    switch (order) {
    case Order::kPunto:
        add(side_a);
        add(side_b);
        add({{"parametros"}, {"rejilla"}, geoid, region, uncertainty});
        break;
    case Order::kTxt:
    case Order::kDxf:
    case Order::kTabla:
        if (order == Order::kTxt || order == Order::kTabla) {
            add({uncertainty});
        }
        if (order == Order::kTabla) {
            add({{"columnas"}, {"separador"}, {"sexagesimal", OptionSpec::kFlag}});
        }
        add(side_a);
        add(side_b);
        if (order == Order::kDxf) {
            add({{"estricto", OptionSpec::kFlag}});
        }
        add({{"modelo"},
             {"parametros"},
             {"seleccion"},
             {"origen"},
             {"rejilla"},
             geoid,
             {"log"},
             {"hilos"},
             {"carpeta-salida"},
             {"catalogo"},
             region});
        break;
    case Order::kCapa:
        // The layer's own system stands for side a when it has one: the host
        // reads it before the request and gives it as --sistema-a.
        add(side_a);
        add(side_b);
        add({{"modelo"},
             {"parametros"},
             {"seleccion"},
             {"origen"},
             {"rejilla"},
             geoid,
             {"log"},
             {"hilos"},
             {"catalogo"},
             region});
        break;
    case Order::kCentroide:
        add(side_a);
        add({{"hilos"}, region});
        break;
    case Order::kTxtToDxf:
        add({{"tipo"},
             {"sistema-a"},
             {"huso"},
             {"datum"},
             {"etiquetas", OptionSpec::kFlag},
             {"hilos"},
             region});
        break;
    case Order::kParametros:
        add(side_a);
        add(side_b);
        add({{"modelo"},
             {"parametros"},
             {"seleccion"},
             {"origen"},
             {"rejilla"},
             {"catalogo"},
             {"proj", OptionSpec::kFlag}});
        break;
    }
    return options;
}

bool IsLocal(Method method) {
    return method == Method::kDistance || method == Method::kNearest;
}

std::string_view MethodName(Method method) {
    switch (method) {
    case Method::kNational:
        return "nacionales";
    case Method::kRegional:
        return "regionales";
    case Method::kDistance:
        return "distancia";
    case Method::kNearest:
        return "vecinos";
    case Method::kGrid:
        return "rejilla";
    }
    return "";
}

// The message of a number of vertices outside least..most (most 0: the size
// of a catalogue not read yet).
std::string SelectionOutOfRange(const TransformRequest& request, int most) {
    const bool affine = request.model == Model::kAffine;
    return "--seleccion ha de ser un número entero de vértices de " +
           std::to_string(affine ? 4 : 3) + (most > 0 ? " a " + std::to_string(most) : " o más") +
           (affine ? " (el modelo afín necesita 4)" : "") + ": " + ShortestText(request.selection);
}

std::string ModelDoesNotApply(Method method) {
    return "--modelo no se aplica a --parametros " + std::string(MethodName(method));
}

std::string OnlyLocal(std::string_view option) {
    return std::string(option) + " solo se aplica a --parametros distancia o vecinos";
}

ParsedRequest Parse(Order order, const std::vector<std::string>& args) {
    const Arguments parsed(args, OptionsOf(order));
    ParsedRequest result;
    TransformRequest& request = result.request;
    bool orthometric = false;
    const bool two_sides = order != Order::kCentroide && order != Order::kTxtToDxf;
    // parametros describes the sides only for the pipeline: a side given by
    // its datum alone is UTM zone 30, the catalogue's system.
    const auto kinds = [&](std::string_view s) {
        const std::string side(s);
        return order != Order::kParametros || parsed.Has("tipo-" + side) ||
               parsed.Has("huso-" + side);
    };
    const auto read_side = [&](std::string_view s) {
        Side side = ReadSide(parsed, std::string(s), kinds(s), orthometric);
        if (!kinds(s) && !parsed.Has("sistema-" + std::string(s))) {
            side.zone = 30;
        }
        return side;
    };
    if (order == Order::kTxtToDxf) {
        if (parsed.Has("tipo") && parsed.Has("sistema-a")) {
            throw UsageError{"--sistema-a y --tipo no se dan juntas"};
        }
        if (parsed.Has("sistema-a")) {
            if (parsed.Has("datum")) {
                throw UsageError{"--sistema-a y --datum no se dan juntas"};
            }
            request.a = ReadSide(parsed, "a", true, orthometric);
            request.drawing_datum = request.a.datum;
            request.drawing_zone = request.a.zone;
        } else {
            request.a.kind = ParseKind(parsed.Require("tipo"));
            if (const auto datum = parsed.Get("datum")) {
                request.drawing_datum = ParseDatum(*datum);
            }
        }
        if (const auto zone = parsed.Get("huso")) {
            if (request.a.kind != Kind::kUtm) {
                throw UsageError{"--huso solo se aplica a puntos UTM"};
            }
            request.drawing_zone = ParseZone(*zone, "--huso");
        }
        request.drawing_labels = parsed.Has("etiquetas");
    } else {
        request.a = read_side("a");
    }
    if (two_sides) {
        request.b = read_side("b");
    } else {
        request.b = request.a;
    }
    if (const auto method = parsed.Get("parametros")) {
        request.method = ParseMethod(*method);
    } else if (order == Order::kParametros) {
        parsed.Require("parametros");
    }
    // What CheckRequest cannot tell from the values: an option given at the
    // value it would have anyway. (The national set is a Helmert set: naming
    // that model is no mistake; the grid has none.)
    if (const auto model = parsed.Get("modelo")) {
        request.model = ParseModel(*model);
        if (request.method == Method::kGrid) {
            throw UsageError{ModelDoesNotApply(request.method)};
        }
    }
    if (const auto selection = parsed.Get("seleccion")) {
        if (!IsLocal(request.method)) {
            throw UsageError{OnlyLocal("--seleccion")};
        }
        request.selection = Numbers(*selection, 1, "--seleccion")[0];
    } else if (IsLocal(request.method)) {
        parsed.Require("seleccion");
    }
    if (const auto origin = parsed.Get("origen")) {
        const auto xy = Numbers(*origin, 2, "--origen");
        request.origin = std::array<double, 2>{xy[0], xy[1]};
    } else if (order == Order::kParametros && IsLocal(request.method)) {
        parsed.Require("origen");
    }
    if (const auto grid = parsed.Get("rejilla")) {
        if (grid->empty()) {
            throw UsageError{"falta la ruta de --rejilla"};
        }
        request.grid_path = *grid;
    }
    if (const auto geoid = parsed.Get("geoide")) {
        orthometric = true;
        request.geoid_path = *geoid;
    }
    request.orthometric_heights = orthometric;
    if (const auto threads = parsed.Get("hilos")) {
        const auto value = Number(*threads);
        if (!value || *value != std::floor(*value) || *value < 0.0 || *value > 1024.0) {
            throw UsageError{"--hilos ha de ser un número entero de 0 a 1024: " + *threads};
        }
        request.threads = static_cast<int>(*value);
    }
    request.region_only = !parsed.Has("fuera-de-region");
    request.proj_pipeline = parsed.Has("proj");
    request.uncertainty = parsed.Has("incertidumbre");
    request.strict = parsed.Has("estricto");
    request.sexagesimal = parsed.Has("sexagesimal");
    if (const auto columns = parsed.Get("columnas")) {
        request.table_columns = ParseColumns(*columns);
    }
    if (const auto separator = parsed.Get("separador")) {
        request.table_separator = ParseSeparator(*separator);
    }
    if (const auto log = parsed.Get("log")) {
        if (log->empty()) {
            throw UsageError{"falta la ruta de --log"};
        }
        request.log_path = *log;
    }
    if (const auto folder = parsed.Get("carpeta-salida")) {
        if (folder->empty()) {
            throw UsageError{"falta la carpeta de --carpeta-salida"};
        }
        request.output_folder = *folder;
    }
    if (const auto catalogue = parsed.Get("catalogo")) {
        if (catalogue->empty()) {
            throw UsageError{"falta la ruta de --catalogo"};
        }
        request.catalogue_path = *catalogue;
    }
    if (std::string problem = CheckRequest(order, request); !problem.empty()) {
        throw UsageError{std::move(problem)};
    }
    if (std::string problem = CheckCatalogue(request); !problem.empty()) {
        problem.pop_back(); // the last line's end: the caller ends the message
        throw UsageError{std::move(problem)};
    }
    result.operands = parsed.operands();
    return result;
}

struct EpsgEntry {
    std::string_view code;
    Side side;
    bool orthometric;
};

const std::vector<EpsgEntry>& EpsgTable() {
    static const std::vector<EpsgEntry> table = {
        {"EPSG:23029", {Datum::kEd50, Kind::kUtm, 29, "EPSG:23029"}, false},
        {"EPSG:23030", {Datum::kEd50, Kind::kUtm, 30, "EPSG:23030"}, false},
        {"EPSG:23031", {Datum::kEd50, Kind::kUtm, 31, "EPSG:23031"}, false},
        {"EPSG:25829", {Datum::kEtrs89, Kind::kUtm, 29, "EPSG:25829"}, false},
        {"EPSG:25830", {Datum::kEtrs89, Kind::kUtm, 30, "EPSG:25830"}, false},
        {"EPSG:25831", {Datum::kEtrs89, Kind::kUtm, 31, "EPSG:25831"}, false},
        {"EPSG:4230", {Datum::kEd50, Kind::kGeodetic, 0, "EPSG:4230"}, false},
        {"EPSG:4258", {Datum::kEtrs89, Kind::kGeodetic, 0, "EPSG:4258"}, false},
        {"EPSG:4937", {Datum::kEtrs89, Kind::kGeodetic, 0, "EPSG:4937"}, false},
        {"EPSG:4936", {Datum::kEtrs89, Kind::kGeocentric, 0, "EPSG:4936"}, false},
        {"EPSG:25829+5782", {Datum::kEtrs89, Kind::kUtm, 29, "EPSG:25829+5782"}, true},
        {"EPSG:25830+5782", {Datum::kEtrs89, Kind::kUtm, 30, "EPSG:25830+5782"}, true},
        {"EPSG:25831+5782", {Datum::kEtrs89, Kind::kUtm, 31, "EPSG:25831+5782"}, true},
        {"EPSG:4258+5782", {Datum::kEtrs89, Kind::kGeodetic, 0, "EPSG:4258+5782"}, true},
    };
    return table;
}

} // namespace

std::optional<EpsgSide> SideOfEpsg(std::string_view code) {
    std::string upper(code);
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    if (upper.compare(0, 5, "EPSG:") != 0) {
        upper = "EPSG:" + upper;
    }
    for (const EpsgEntry& entry : EpsgTable()) {
        if (entry.code == upper) {
            EpsgSide side{entry.side, entry.orthometric};
            side.side.orthometric = entry.orthometric;
            return side;
        }
    }
    return std::nullopt;
}

std::string_view KnownEpsgCodes() {
    return "EPSG:23029, 23030, 23031 (ED50 UTM), 25829, 25830, 25831 (ETRS89 UTM), 4230 "
           "(ED50 geográficas), 4258, 4937 (ETRS89 geográficas), 4936 (ETRS89 geocéntricas), "
           "25829+5782, 25830+5782, 25831+5782, 4258+5782 (ETRS89 con altitudes ortométricas)";
}

std::string CheckRequest(Order order, const TransformRequest& request) {
    const bool two_sides = order != Order::kCentroide && order != Order::kTxtToDxf;
    for (const auto& [side, name] : {std::pair{&request.a, "a"}, std::pair{&request.b, "b"}}) {
        if (!two_sides && side == &request.b) {
            break;
        }
        if (side->zone < 0 || side->zone > 60) {
            return "huso fuera de 1..60 en --huso-" + std::string(name) + ": " +
                   std::to_string(side->zone);
        }
        if (side->zone != 0 && side->kind != Kind::kUtm) {
            return "--huso-" + std::string(name) + " solo se aplica a coordenadas utm";
        }
    }
    const bool changes_datum = request.a.datum != request.b.datum;
    if (two_sides && !changes_datum && request.method != Method::kNational) {
        return "--parametros " + std::string(MethodName(request.method)) +
               " no se aplica: los dos sistemas tienen el mismo datum";
    }
    if (order != Order::kTabla &&
        (!request.table_columns.empty() || request.table_separator != 0 || request.sexagesimal)) {
        return "--columnas, --separador y --sexagesimal solo se aplican a tabla";
    }
    if (request.sexagesimal && request.a.kind != Kind::kGeodetic &&
        request.b.kind != Kind::kGeodetic) {
        return "--sexagesimal no se aplica: ninguno de los dos sistemas es de coordenadas "
               "geográficas";
    }
    if (request.uncertainty && order != Order::kTxt && order != Order::kTabla &&
        order != Order::kPunto) {
        return "--incertidumbre solo se aplica a txt, tabla y punto";
    }
    if (order == Order::kPunto && request.method != Method::kNational &&
        request.method != Method::kGrid) {
        return "punto admite --parametros nacionales o rejilla";
    }
    if (request.model != Model::kHelmert &&
        (request.method == Method::kNational || request.method == Method::kGrid)) {
        return ModelDoesNotApply(request.method);
    }
    if (!IsLocal(request.method)) {
        if (request.selection != 0.0) {
            return OnlyLocal("--seleccion");
        }
        if (request.origin) {
            return OnlyLocal("--origen");
        }
    } else if (request.method == Method::kDistance) {
        if (!(request.selection > 0.0) || !std::isfinite(request.selection)) {
            return "--seleccion ha de ser una distancia en metros mayor que 0: " +
                   ShortestText(request.selection);
        }
    } else {
        // A catalogue file's size is only known once it is read (CheckCatalogue).
        const int most = request.catalogue_path.empty() ? kCatalogueSize : 0;
        if (request.selection != std::floor(request.selection) ||
            request.selection < (request.model == Model::kAffine ? 4 : 3) ||
            request.selection > (most > 0 ? most : 1e9)) {
            return SelectionOutOfRange(request, most);
        }
    }
    if (request.origin &&
        (!std::isfinite((*request.origin)[0]) || !std::isfinite((*request.origin)[1]))) {
        return "--origen no es un punto";
    }
    if (request.origin && request.origin_in_region &&
        !IsInServedRegion({(*request.origin)[0], (*request.origin)[1], 0.0}, kKindUtm, 30.0)) {
        return "--origen está fuera de la región en ED50 UTM huso 30: " +
               ShortestText((*request.origin)[0]) + "," + ShortestText((*request.origin)[1]);
    }
    if (!request.catalogue_path.empty() && request.method != Method::kRegional &&
        !IsLocal(request.method)) {
        return "--catalogo solo se aplica a --parametros regionales, distancia o vecinos";
    }
    if (!request.grid_path.empty() && request.method != Method::kGrid) {
        return "--rejilla solo tiene sentido con --parametros rejilla";
    }
    const auto orthometric_side = [](const Side& side) {
        return side.kind == Kind::kUtm || (side.kind == Kind::kGeodetic && side.orthometric);
    };
    if (request.orthometric_heights && two_sides && order != Order::kParametros &&
        !orthometric_side(request.a) && !orthometric_side(request.b)) {
        return "--geoide no se aplica: ninguno de los dos sistemas es UTM (las alturas "
               "geodésicas y geocéntricas son elipsoidales)";
    }
    if (!request.geoid_path.empty() && !request.orthometric_heights) {
        return "la ruta del geoide no se aplica sin alturas ortométricas";
    }
    if (request.proj_pipeline) {
        if (order != Order::kParametros) {
            return "--proj solo se aplica a parametros";
        }
        for (const auto& [side, name] : {std::pair{&request.a, "a"}, std::pair{&request.b, "b"}}) {
            if (side->kind == Kind::kUtm && side->zone == 0) {
                return "--proj necesita el huso de la UTM de " + std::string(name) + " (--huso-" +
                       name + " o --sistema-" + name + ")";
            }
        }
        if (request.orthometric_heights) {
            return "--proj no admite altitudes ortométricas: la tubería no lleva el geoide";
        }
    }
    if (request.threads < 0 || request.threads > 1024) {
        return "--hilos ha de ser un número entero de 0 a 1024: " + std::to_string(request.threads);
    }
    return {};
}

std::string CheckCatalogue(const TransformRequest& request, int* vertices) {
    if (request.catalogue_path.empty()) {
        if (vertices) {
            *vertices = static_cast<int>(BuiltInCatalogue().vertices.size());
        }
        return {};
    }
    std::string failure;
    const auto catalogue = LoadCatalogueFile(request.catalogue_path, failure);
    if (!catalogue) {
        return "catálogo de vértices no válido: " + request.catalogue_path + "\n" + failure;
    }
    const int size = static_cast<int>(catalogue->vertices.size());
    if (vertices) {
        *vertices = size;
    }
    if (request.method == Method::kNearest && request.selection > size) {
        return SelectionOutOfRange(request, size) + " (el catálogo " + request.catalogue_path +
               " tiene " + std::to_string(size) + ")\n";
    }
    return {};
}

std::optional<ParsedRequest> ParseRequest(Order order, const std::vector<std::string>& args,
                                          std::string& error) {
    try {
        return Parse(order, args);
    } catch (const UsageError& usage) {
        error = usage.message;
        return std::nullopt;
    }
}

std::optional<double> NumberOfField(std::string_view field) {
    return Number(field);
}

std::string FixedText(double value, int decimals) {
    return CFixed(value, decimals);
}

// --- Lines of point tables -----------------------------------------------------

char TableLineSeparator(std::string_view first) {
    return TableSeparatorOf(first);
}

bool CutTableFields(std::string_view line, char separator, std::vector<std::string>& fields) {
    fields.clear();
    std::vector<TableField> cut;
    if (!CutTableLine(line, separator, cut)) {
        return false;
    }
    fields.reserve(cut.size());
    for (const TableField& field : cut) {
        fields.push_back(TableFieldText(line, field));
    }
    return true;
}

bool IsTableHeaderLine(const std::vector<std::string>& fields, char separator) {
    return IsTableHeader(fields, separator);
}

PackedAngleReading ReadPackedAngle(std::string_view text, double& degrees) {
    switch (ReadPackedSexagesimal(text, degrees)) {
    case SexagesimalReading::kAngle:
        return PackedAngleReading::kAngle;
    case SexagesimalReading::kNotANumber:
        return PackedAngleReading::kNotANumber;
    case SexagesimalReading::kMinutesOver59:
        return PackedAngleReading::kMinutesOver59;
    case SexagesimalReading::kSecondsOver59:
        return PackedAngleReading::kSecondsOver59;
    }
    return PackedAngleReading::kNotANumber;
}

} // namespace dezadiravevava::api
