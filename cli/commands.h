// Sub-commands of quillon-cli. Each takes the arguments after its own name and
// returns the process exit status; a UsageError escapes to main.
#pragma once

#include <string>
#include <vector>

namespace quillon_cli {

int RunPunto(const std::vector<std::string>& args);
int RunBuscar(const std::vector<std::string>& args);
int RunParametros(const std::vector<std::string>& args);
int RunTxt(const std::vector<std::string>& args);
int RunTabla(const std::vector<std::string>& args);
int RunDxf(const std::vector<std::string>& args);
int RunCentroide(const std::vector<std::string>& args);
int RunTxtToDxf(const std::vector<std::string>& args);
// GIS layers through GDAL; only in a build with them (QUILLON_BUILD_LAYERS).
int RunCapa(const std::vector<std::string>& args);

// True when the arguments ask for the sub-command's help.
bool WantsHelp(const std::vector<std::string>& args);

} // namespace quillon_cli
