// Universal IDs of notes: 32 upper-case hex digits.
#pragma once

#include <string>
#include <string_view>

namespace store {

// A new universal ID: 32 upper-case hex digits.
std::u16string NewUnid();
bool IsValidUnid(std::u16string_view unid);

} // namespace store
