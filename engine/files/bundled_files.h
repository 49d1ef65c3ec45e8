// The data files that ship with the engine: the IGN grid SPED2ETV2 and the
// geoid EGM08-REDNAP, found where the engine's own module (the shared library,
// or the program it is linked into) lies.
#pragma once

#include <string>
#include <vector>

namespace dezadiravevava {

inline constexpr const char* kBundledGridName = "SPED2ETV2.gsb";
inline constexpr const char* kBundledGeoidName = "EGM08_REDNAP.gtx";

// The folders searched, in order:
//   <module folder>/../share/dezadiravevava   (bin/ and lib/ of an installation)
//   <module folder>/../../share/dezadiravevava (a multiarch lib/<triplet>/)
//   the source tree's data/ign, when the build names one (a build tree)
std::vector<std::string> BundledDataFolders();

// Full path of a bundled file, or empty when no folder holds it.
std::string FindBundledFile(const std::string& name);

// "SPED2ETV2.gsb no está en: A, B, C", for the log when a file is missing.
std::string MissingBundledFile(const std::string& name);

} // namespace dezadiravevava
