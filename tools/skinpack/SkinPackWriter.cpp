#include "tools/skinpack/SkinPackWriter.h"

#include <algorithm>
#include <limits>

namespace skinpack {

namespace {

// The lookup's comparison: A-Z equal to a-z, every other byte compared unchanged.
bool SameIgnoringCase(const std::string& a, const std::string& b) {
    auto fold = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return fold(x) == fold(y); });
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<std::uint8_t>(v >> shift));
}

}  // namespace

std::string SkinPackWriter::Add(const std::string& name, std::vector<std::uint8_t> bytes) {
    const std::string quoted = "\"" + name + "\"";
    if (name.empty())
        return "an entry name is empty";
    if (name.find('\0') != std::string::npos)
        return "entry name " + quoted + " holds a NUL byte";
    if (name.size() > kNameFieldSize - 1)
        return "entry name " + quoted + " is " + std::to_string(name.size()) + " bytes long; at most " +
               std::to_string(kNameFieldSize - 1) + " fit";
    for (const Entry& entry : entries_)
        if (SameIgnoringCase(entry.name, name))
            return "entry names \"" + entry.name + "\" and " + quoted +
                   " differ at most in case; the second could never be found";

    // The whole package, directory included, must stay addressable by 32-bit offsets and sizes.
    const std::uint64_t directory = 4 + kRecordSize * (entries_.size() + 1);
    if (directory + dataSize_ + bytes.size() > std::numeric_limits<std::uint32_t>::max())
        return "entry " + quoted + " would make the package larger than 4 GiB";
    dataSize_ += bytes.size();
    entries_.push_back(Entry{name, std::move(bytes)});
    return {};
}

std::vector<std::uint8_t> SkinPackWriter::Build() const {
    std::vector<std::uint8_t> out;
    out.reserve(4 + kRecordSize * entries_.size() + dataSize_);
    Put32(out, static_cast<std::uint32_t>(entries_.size()));
    std::uint32_t offset = 0;
    for (const Entry& entry : entries_) {
        std::uint8_t field[kNameFieldSize] = {};
        std::copy(entry.name.begin(), entry.name.end(), field);
        out.insert(out.end(), field, field + kNameFieldSize);
        Put32(out, offset);
        Put32(out, static_cast<std::uint32_t>(entry.bytes.size()));
        offset += static_cast<std::uint32_t>(entry.bytes.size());
    }
    for (const Entry& entry : entries_)
        out.insert(out.end(), entry.bytes.begin(), entry.bytes.end());
    return out;
}

}  // namespace skinpack
