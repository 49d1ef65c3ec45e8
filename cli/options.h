// What the sub-commands of quillon-cli share: usage errors, the library's
// request parser behind them, and the fields of a point typed by hand.
#pragma once

#include <string>
#include <string_view>
#include <transform_request.h>
#include <vector>

namespace quillon_cli {

namespace api = dezadiravevava::api;

// A failure to report on stderr as one line; the sub-command exits 2.
struct UsageError {
    std::string message;
};

// The request and operands of `args` for `order`; throws UsageError.
api::ParsedRequest ReadRequest(api::Order order, const std::vector<std::string>& args);

// A whole-field decimal number; throws UsageError naming `what`.
double RequireNumber(std::string_view text, std::string_view what);

// Splits a point on blanks, tabs and commas (runs of separators count once).
std::vector<std::string> SplitFields(std::string_view line);

// A progress bar on a terminal, and the stop request of SIGINT, SIGTERM and
// SIGHUP (caught from the first call on).
api::Progress TerminalProgress();
// Whether one of those signals came.
bool StopRequested();

// After a failed run: what the system says of the files (the input that
// cannot be read, the folder that is missing or closed), one line each.
void ExplainFiles(const std::string& input, const std::string& output, const std::string& log);

} // namespace quillon_cli
