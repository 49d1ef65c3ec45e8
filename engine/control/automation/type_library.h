// What the control's type library describes: the library, its interfaces,
// the classes and the members of the dispatch interface.
#pragma once

#include "control/dezadiravevava.h"

#include <cstdint>

namespace dezadiravevava {

// The member with a dispatch identifier, or nullptr.
const DzvMemberInfo* MemberOf(std::int32_t dispid);

} // namespace dezadiravevava
