#include "tools/skinpack/SkinPackWriter.h"

#include <algorithm>
#include <limits>

#include "skin/SkinBytes.h"
#include "skin/SkinPack.h"

namespace skinpack {

namespace {

constexpr size_t kLongestName = kSkinNameSize - 1;  // the field keeps its NUL

// The lookup's comparison: A-Z equal to a-z, every other byte compared unchanged.
bool SameIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return FoldAsciiCase(x) == FoldAsciiCase(y); });
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    std::uint8_t bytes[4];
    WriteLittleEndian32(bytes, v);
    out.insert(out.end(), bytes, bytes + 4);
}

}  // namespace

std::string SkinPackWriter::Add(const std::string& name, std::vector<std::uint8_t> bytes) {
    const std::string quoted = "\"" + name + "\"";
    if (name.empty())
        return "an entry name is empty";
    if (name.find('\0') != std::string::npos)
        return "entry name " + quoted + " holds a NUL byte";
    if (name.size() > kLongestName)
        return "entry name " + quoted + " is " + std::to_string(name.size()) + " bytes long; at most " +
               std::to_string(kLongestName) + " fit";
    for (const Entry& entry : entries_)
        if (SameIgnoringCase(entry.name, name))
            return "entry names \"" + entry.name + "\" and " + quoted +
                   " differ at most in case; the second could never be found";

    // The whole package, directory included, must stay addressable by 32-bit offsets and sizes.
    const std::uint64_t directory = kSkinPackCountSize + kSkinPackRecordSize * (entries_.size() + 1);
    if (directory + dataSize_ + bytes.size() > std::numeric_limits<std::uint32_t>::max())
        return "entry " + quoted + " would make the package larger than 4 GiB";
    dataSize_ += bytes.size();
    entries_.push_back(Entry{name, std::move(bytes)});
    return {};
}

std::vector<std::uint8_t> SkinPackWriter::Build() const {
    std::vector<std::uint8_t> out;
    out.reserve(kSkinPackCountSize + kSkinPackRecordSize * entries_.size() + dataSize_);
    Put32(out, static_cast<std::uint32_t>(entries_.size()));
    std::uint32_t offset = 0;
    for (const Entry& entry : entries_) {
        std::uint8_t field[kSkinNameSize] = {};
        std::copy(entry.name.begin(), entry.name.end(), field);
        out.insert(out.end(), field, field + kSkinNameSize);
        Put32(out, offset);
        Put32(out, static_cast<std::uint32_t>(entry.bytes.size()));
        offset += static_cast<std::uint32_t>(entry.bytes.size());
    }
    for (const Entry& entry : entries_)
        out.insert(out.end(), entry.bytes.begin(), entry.bytes.end());
    return out;
}

}  // namespace skinpack
