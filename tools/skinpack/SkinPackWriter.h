// Builds a skin package (.SKN) in memory: a signed 32-bit entry count, one 40-byte directory
// record per entry (32-byte NUL-filled name, then offset and size, both counted in bytes and
// little-endian, the offset from the start of the data area), then the entries' bytes back
// to back in directory order. The bar finds entries by name without regard to the case of
// A-Z, taking the first match, so the writer refuses names that such a lookup cannot tell
// apart and names that do not fit the field.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace skinpack {

class SkinPackWriter {
public:
    // Adds an entry with an 8-bit (ANSI code page) name. Returns an empty string, or why the
    // entry cannot be added; a refused entry leaves the package as it was.
    std::string Add(const std::string& name, std::vector<std::uint8_t> bytes);

    std::vector<std::uint8_t> Build() const;

private:
    struct Entry {
        std::string name;
        std::vector<std::uint8_t> bytes;
    };

    std::vector<Entry> entries_;
    std::uint64_t dataSize_ = 0;
};

}  // namespace skinpack
