// Conversions between this platform's UTF-8 and the Windows-1252 code page of
// the engine's files and catalogue names.
#pragma once

#include <string>
#include <string_view>

namespace dezadiravevava {

// UTF-8 to Windows-1252. Characters the code page lacks become '?'. Bytes that
// are not valid UTF-8 are taken as Windows-1252 already and copied unchanged,
// so a path in a legacy encoding survives.
std::string Utf8ToCp1252(std::string_view text);

// Windows-1252 to UTF-8. The five bytes the code page leaves undefined are
// mapped to the C1 control characters of the same value, as Windows does.
std::string Cp1252ToUtf8(std::string_view text);

// True when the bytes form valid UTF-8.
bool IsValidUtf8(std::string_view text);

} // namespace dezadiravevava
