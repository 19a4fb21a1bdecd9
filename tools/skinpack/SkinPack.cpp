// Writes a skin package from a list of files: skinpack PACKAGE.SKN FILE...
// Each file becomes one entry, named by its bare file name (what follows the last \ or /)
// in the system's ANSI code page, in the order given. Input that the bar could not read
// back (a name too long for the directory, two names that differ only in case, a name
// outside the code page, a file that cannot be read) is refused with a message on standard
// error and exit code 1, and no package is written; bad use exits with 2. The package is
// written under a temporary name and then moved into place, so a failed run never leaves a
// partial package behind.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tamsil/Handle.h"
#include "tools/skinpack/SkinPackWriter.h"

namespace {

std::string Ansi(const std::wstring& text) {
    if (text.empty())
        return {};
    const int length =
        WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string result(length, '\0');
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), result.data(), length, nullptr,
                        nullptr);
    return result;
}

// The name exactly as the code page writes it, or false when some character has no place in it.
bool ExactAnsi(const std::wstring& text, std::string& result) {
    BOOL usedDefault = FALSE;
    const int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.c_str(), static_cast<int>(text.size()),
                                           nullptr, 0, nullptr, &usedDefault);
    if (length <= 0 || usedDefault)
        return false;
    result.assign(length, '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.c_str(), static_cast<int>(text.size()), result.data(),
                        length, nullptr, &usedDefault);
    return !usedDefault;
}

bool ReadFileBytes(const std::wstring& path, std::vector<std::uint8_t>& bytes) {
    const tamsil::UniqueHandle file(
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    LARGE_INTEGER size{};
    if (!file || !GetFileSizeEx(file.Get(), &size) || size.QuadPart >= 0x7FFFFFFF)
        return false;
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD got = 0;
    return bytes.empty() ||
           (ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) && got == bytes.size());
}

// Writes the bytes into a new file; the file is closed when this returns.
bool WriteNewFile(const std::wstring& path, const std::vector<std::uint8_t>& bytes) {
    const tamsil::UniqueHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    return file && WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

bool WritePackage(const std::wstring& path, const std::vector<std::uint8_t>& bytes) {
    const std::wstring partial = path + L".partial";
    if (WriteNewFile(partial, bytes) && MoveFileExW(partial.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING))
        return true;
    DeleteFileW(partial.c_str());
    return false;
}

int Refuse(const std::string& reason) {
    std::fprintf(stderr, "skinpack: %s\n", reason.c_str());
    return 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: skinpack PACKAGE.SKN FILE...\n");
        return 2;
    }
    skinpack::SkinPackWriter writer;
    for (int i = 2; i < argc; ++i) {
        const std::wstring path = argv[i];
        const std::string shownPath = "\"" + Ansi(path) + "\"";
        const std::wstring name = path.substr(path.find_last_of(L"\\/") + 1);
        if (name.empty())
            return Refuse(shownPath + " names no file");
        std::string entryName;
        if (!ExactAnsi(name, entryName))
            return Refuse("the name of " + shownPath + " cannot be written in the system's ANSI code page");
        std::vector<std::uint8_t> bytes;
        if (!ReadFileBytes(path, bytes))
            return Refuse("cannot read " + shownPath);
        const std::string refused = writer.Add(entryName, std::move(bytes));
        if (!refused.empty())
            return Refuse(refused);
    }
    if (!WritePackage(argv[1], writer.Build()))
        return Refuse("cannot write \"" + Ansi(argv[1]) + "\"");
    return 0;
}
