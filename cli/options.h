// Command-line options shared by the sub-commands of quillon-cli.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillon_cli {

// A failure to report on stderr as one line; the sub-command exits non-zero.
struct UsageError {
    std::string message;
};

// Options of the form "--name value" plus positional arguments, in order.
class Arguments {
public:
    // `known` lists the accepted option names (without "--"); `flags` those
    // that take no value; `optional_files` those whose value may be left out:
    // "--name=VALUE", or "--name FILE" when the next argument names a file of
    // that option's extension ("--geoide x.gtx"), else no value (""). Throws
    // UsageError on an unknown option or a missing value.
    struct OptionalFile {
        std::string_view name;
        std::string_view extension; // ".gtx"
    };
    Arguments(const std::vector<std::string>& args, const std::vector<std::string_view>& known,
              const std::vector<std::string_view>& flags = {},
              const std::vector<OptionalFile>& optional_files = {});

    std::optional<std::string> Get(std::string_view name) const;
    bool Has(std::string_view name) const { return values_.count(std::string(name)) != 0; }
    std::string Require(std::string_view name) const;
    const std::vector<std::string>& positional() const { return positional_; }

private:
    std::map<std::string, std::string> values_;
    std::vector<std::string> positional_;
};

// One side of a conversion: datum code, coordinate kind and zone (0 = per point).
struct Side {
    int datum = 0;
    int kind = 0;
    double zone = 0.0;
    bool has_zone = false;
};

// Reads --datum-<s>, --tipo-<s> and --huso-<s>; the datum and kind are required.
Side ReadSide(const Arguments& args, std::string_view suffix);

// Datum and kind names of the command line.
int ParseDatum(std::string_view text);
int ParseKind(std::string_view text);
std::string_view KindName(int kind);

// Model and parameter-choice names of the command line.
int ParseModel(std::string_view text);
int ParseChoice(std::string_view text);

// The options of the official method, shared by punto, txt and dxf:
//   --parametros ... rejilla   the IGN grid
//   --rejilla RUTA.gsb         another NTv2 grid (only with --parametros rejilla)
//   --geoide [RUTA.gtx]        orthometric heights, with the bundled geoid or another
inline constexpr std::string_view kGridOption = "rejilla";
inline constexpr Arguments::OptionalFile kGeoidOption = {"geoide", ".gtx"};
struct GridOptions {
    std::string grid_path;
    bool orthometric_heights = false;
    std::string geoid_path;
};
// Reads --rejilla and --geoide; `choice` is the parameter choice already read.
GridOptions ReadGridOptions(const Arguments& args, int choice);

// --hilos N of the file commands: the threads that transform the points, 1 for
// the calling thread alone; 0, or no option, the machine's cores.
inline constexpr std::string_view kThreadsOption = "hilos";
int ReadThreads(const Arguments& args);

// "x,y[,z]" as two or three numbers.
std::vector<double> ParseNumbers(std::string_view text, std::size_t min_count,
                                 std::size_t max_count, std::string_view what);

// A whole-field decimal number ("12,5" is not a number here).
std::optional<double> ParseNumber(std::string_view text);
// A UTM zone 1..60 written as a whole number.
std::optional<double> ParseZone(std::string_view text);

// Splits a point on blanks, tabs and commas (runs of separators count once).
std::vector<std::string> SplitFields(std::string_view line);

} // namespace quillon_cli
