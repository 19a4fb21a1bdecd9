#include "tamsil/Profile.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <sstream>
#include <vector>

#include "tamsil/Handle.h"
#include "tamsil/Numbers.h"

namespace tamsil {

namespace {

constexpr uint32_t kDefaultButtons = 19;
constexpr DWORD kMaxProfileSize = 64 * 1024;

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::vector<std::string> Words(const std::string& text) {
    std::istringstream stream(text);
    std::vector<std::string> words;
    std::string word;
    while (stream >> word)
        words.push_back(word);
    return words;
}

// Reads one key's value into the profile; false when the value is not acceptable.
class KeyReader {
public:
    explicit KeyReader(Profile* profile) : profile_(profile) {}

    // 0: read, 1: unknown key, 2: bad value.
    int Read(const std::string& key, const std::string& value) {
        if (key == "initresult")
            return ParseSigned(value, &profile_->initResult) ? 0 : 2;
        if (key == "query1900")
            return ParseUnsigned(value, UINT32_MAX, &profile_->query1900) ? 0 : 2;
        if (key == "query2000")
            return ParseUnsigned(value, UINT32_MAX, &profile_->query2000) ? 0 : 2;
        if (key == "query2500")
            return ParseUnsigned(value, UINT32_MAX, &profile_->query2500) ? 0 : 2;
        if (key == "countzeroreads")
            return ParseUnsigned(value, UINT32_MAX, &profile_->countZeroReads) ? 0 : 2;
        if (key == "supportbytes")
            return ReadSupportBytes(value) ? 0 : 2;
        if (key == "bytezeroreads")
            return ReadByteZeroReads(value) ? 0 : 2;
        if (key == "reg75b")
            return ReadByte(value, &profile_->reg75B) ? 0 : 2;
        if (key == "reg79b")
            return ReadByte(value, &profile_->reg79B) ? 0 : 2;
        return 1;
    }

    // Zero reads given for a number of bytes other than the report's.
    bool ZeroReadsMismatch() const { return zeroReadsGiven_ && zeroReadsCount_ != profile_->byteCount; }

private:
    static bool ReadByte(const std::string& value, uint8_t* byte) {
        uint32_t parsed;
        if (!ParseUnsigned(value, 0xFF, &parsed))
            return false;
        *byte = static_cast<uint8_t>(parsed);
        return true;
    }

    bool ReadSupportBytes(const std::string& value) {
        const std::vector<std::string> words = Words(value);
        if (words.size() > kMaxSupportBytes)
            return false;
        for (size_t i = 0; i < words.size(); ++i) {
            if (!ReadByte(words[i], &profile_->supportBytes[i]))
                return false;
        }
        profile_->byteCount = static_cast<uint32_t>(words.size());
        return true;
    }

    bool ReadByteZeroReads(const std::string& value) {
        const std::vector<std::string> words = Words(value);
        if (words.size() > kMaxSupportBytes)
            return false;
        std::fill(std::begin(profile_->byteZeroReads), std::end(profile_->byteZeroReads), 0u);
        for (size_t i = 0; i < words.size(); ++i) {
            if (!ParseUnsigned(words[i], UINT32_MAX, &profile_->byteZeroReads[i]))
                return false;
        }
        // An empty value means no zero reads at all, whatever the count.
        zeroReadsGiven_ = !words.empty();
        zeroReadsCount_ = static_cast<uint32_t>(words.size());
        return true;
    }

    Profile* profile_;
    bool zeroReadsGiven_ = false;
    uint32_t zeroReadsCount_ = 0;
};

std::string AtLine(int line, const std::string& what) {
    return "line " + std::to_string(line) + ": " + what;
}

}  // namespace

Profile DefaultProfile() {
    Profile profile{};
    profile.query1900 = 1;
    profile.byteCount = kDefaultButtons;
    std::fill(profile.supportBytes, profile.supportBytes + kDefaultButtons, uint8_t{1});
    return profile;
}

bool ParseProfile(const std::string& text, Profile* profile, std::string* error) {
    Profile parsed = DefaultProfile();
    KeyReader reader(&parsed);
    std::vector<std::string> seen;
    bool sawMachine = false;
    bool inMachine = false;
    std::istringstream lines(text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? text.substr(3) : text);
    std::string raw;
    for (int number = 1; std::getline(lines, raw); ++number) {
        const std::string line = Trim(raw.substr(0, raw.find(';')));
        if (line.empty() || line[0] == '#')
            continue;
        if (line.front() == '[') {
            if (line.back() != ']') {
                *error = AtLine(number, "unclosed section name");
                return false;
            }
            inMachine = Lower(Trim(line.substr(1, line.size() - 2))) == "machine";
            sawMachine = sawMachine || inMachine;
            continue;
        }
        if (!inMachine)
            continue;
        const auto equals = line.find('=');
        if (equals == std::string::npos) {
            *error = AtLine(number, "expected Key=Value");
            return false;
        }
        const std::string key = Lower(Trim(line.substr(0, equals)));
        if (std::find(seen.begin(), seen.end(), key) != seen.end()) {
            *error = AtLine(number, "key given twice");
            return false;
        }
        seen.push_back(key);
        const int result = reader.Read(key, Trim(line.substr(equals + 1)));
        if (result != 0) {
            *error = AtLine(number, result == 1 ? "unknown key" : "bad value");
            return false;
        }
    }
    if (!sawMachine) {
        *error = "no [Machine] section";
        return false;
    }
    if (reader.ZeroReadsMismatch()) {
        *error = "ByteZeroReads needs one number per support byte";
        return false;
    }
    *profile = parsed;
    return true;
}

bool LoadProfile(const std::wstring& path, Profile* profile, std::string* error) {
    const UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        *error = "cannot open the profile";
        return false;
    }
    std::string text(kMaxProfileSize + 1, '\0');
    DWORD size = 0;
    if (!ReadFile(file.Get(), &text[0], kMaxProfileSize + 1, &size, nullptr)) {
        *error = "cannot read the profile";
        return false;
    }
    if (size > kMaxProfileSize) {
        *error = "profile larger than 64 KB";
        return false;
    }
    text.resize(size);
    return ParseProfile(text, profile, error);
}

}  // namespace tamsil
