// Numbers as the machine's profiles and tamsilctl write them: decimal or 0x hex.
#pragma once

#include <cstdint>
#include <string>

namespace tamsil {

// Decimal digits, or 0x / 0X and hex digits; nothing else, no sign, at most `max`.
bool ParseUnsigned(const std::string& text, uint32_t max, uint32_t* value);

// As ParseUnsigned with an optional leading '-', within the range of int32_t.
bool ParseSigned(const std::string& text, int32_t* value);

}  // namespace tamsil
