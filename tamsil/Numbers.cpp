#include "tamsil/Numbers.h"

namespace tamsil {

namespace {

int DigitValue(char c, int base) {
    int digit = -1;
    if (c >= '0' && c <= '9')
        digit = c - '0';
    else if (c >= 'a' && c <= 'f')
        digit = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        digit = c - 'A' + 10;
    return digit < base ? digit : -1;
}

// Parses into 64 bits so that any 32-bit overflow shows as a value above `max`.
bool ParseMagnitude(const std::string& text, uint64_t max, uint64_t* value) {
    int base = 10;
    size_t start = 0;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        start = 2;
    }
    if (start == text.size())
        return false;
    uint64_t result = 0;
    for (size_t i = start; i < text.size(); ++i) {
        const int digit = DigitValue(text[i], base);
        if (digit < 0)
            return false;
        result = result * base + digit;
        if (result > max)
            return false;
    }
    *value = result;
    return true;
}

}  // namespace

bool ParseUnsigned(const std::string& text, uint32_t max, uint32_t* value) {
    uint64_t result;
    if (!ParseMagnitude(text, max, &result))
        return false;
    *value = static_cast<uint32_t>(result);
    return true;
}

bool ParseSigned(const std::string& text, int32_t* value) {
    const bool negative = !text.empty() && text[0] == '-';
    const uint64_t max = negative ? uint64_t{INT32_MAX} + 1 : uint64_t{INT32_MAX};
    uint64_t magnitude;
    if (!ParseMagnitude(negative ? text.substr(1) : text, max, &magnitude))
        return false;
    *value = negative ? static_cast<int32_t>(-static_cast<int64_t>(magnitude)) : static_cast<int32_t>(magnitude);
    return true;
}

}  // namespace tamsil
