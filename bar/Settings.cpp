#include "bar/Settings.h"

#include <cwchar>
#include <string>

// The installer product code of the product names its uninstall key.
const WCHAR kUninstallKey[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{6A1D2C3B-8E0F-4B57-9C21-5D7E3F90A1B4}";
const WCHAR kInstallStatusKey[] = L"Software\\TamsilAP\\NewVanto";

namespace {

const WCHAR kRecordFile[] = L".\\test.ini";
const WCHAR kRecordSection[] = L"record";
const WCHAR kDataFile[] = L".\\Setting\\data.ini";

// An open registry key, closed when it goes.
class RegistryKey {
public:
    RegistryKey() = default;
    ~RegistryKey() {
        if (key_)
            RegCloseKey(key_);
    }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    LONG Open(HKEY parent, const WCHAR* path, REGSAM access) {
        HKEY key = nullptr;
        const LONG result = RegOpenKeyExW(parent, path, 0, access, &key);
        if (result == ERROR_SUCCESS)
            key_ = key;
        return result;
    }

    LONG Create(HKEY parent, const WCHAR* path, REGSAM access) {
        HKEY key = nullptr;
        const LONG result =
            RegCreateKeyExW(parent, path, 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, &key, nullptr);
        if (result == ERROR_SUCCESS)
            key_ = key;
        return result;
    }

    HKEY Get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

// The UTF-16 text in the first `bytes` bytes of data, up to its first NUL; an odd last byte
// belongs to no character.
std::wstring TextOfBytes(const WCHAR* data, DWORD bytes) {
    return std::wstring(data, wcsnlen(data, bytes / sizeof(WCHAR)));
}

// 64-bit road: the value's bytes as text, whatever its type, at most 256 bytes.
LONG ReadVersionBytes(HKEY key, std::wstring& text) {
    WCHAR buffer[128];
    DWORD bytes = sizeof(buffer);
    const LONG result =
        RegQueryValueExW(key, L"DisplayVersion", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &bytes);
    if (result == ERROR_SUCCESS)
        text = TextOfBytes(buffer, bytes);
    return result;
}

// Default road: a string value of at most 256 characters with its terminating NUL.
LONG ReadVersionString(HKEY key, std::wstring& text) {
    WCHAR buffer[256];
    DWORD bytes = sizeof(buffer);
    DWORD type = REG_NONE;
    const LONG result =
        RegQueryValueExW(key, L"DisplayVersion", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &bytes);
    if (result != ERROR_SUCCESS)
        return result;
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        return ERROR_INVALID_DATA;
    const DWORD characters = bytes / sizeof(WCHAR);
    if (bytes % sizeof(WCHAR) != 0 || (characters > 0 && buffer[characters - 1] != L'\0'))
        return ERROR_INVALID_DATA;
    text = TextOfBytes(buffer, bytes);
    return ERROR_SUCCESS;
}

struct VersionRoad {
    const WCHAR* expectedVersion;
    REGSAM access;
    LONG (*read)(HKEY key, std::wstring& text);
};

// 64-bit machines have the product installed in the 64-bit registry view.
VersionRoad RoadFor(WORD processorArchitecture) {
    if (processorArchitecture == PROCESSOR_ARCHITECTURE_AMD64 || processorArchitecture == PROCESSOR_ARCHITECTURE_IA64)
        return {L"1.4.2", KEY_READ | KEY_WOW64_64KEY, ReadVersionBytes};
    return {L"1.3.2", KEY_READ | KEY_WRITE, ReadVersionString};
}

}  // namespace

void CheckInstalledVersion() {
    SYSTEM_INFO info{};
    GetNativeSystemInfo(&info);
    CheckInstalledVersionFor(info.wProcessorArchitecture);
}

void CheckInstalledVersionFor(WORD processorArchitecture) {
    const VersionRoad road = RoadFor(processorArchitecture);
    RegistryKey key;
    const LONG opened = key.Open(HKEY_CURRENT_USER, kUninstallKey, road.access);
    if (opened != ERROR_SUCCESS) {
        WriteRecordInt(L"flow1 error", opened);
        return;
    }
    std::wstring version;
    const LONG read = road.read(key.Get(), version);
    if (read != ERROR_SUCCESS)
        WriteRecordInt(L"flow2 error", read);
    else if (version == road.expectedVersion)
        g_bVisScan = 1;
}

void RecordStart() {
    IncrementRecordCounter(L"TotalCount");
    if (g_bVisScan != 0)
        WriteRecordInt(L"VisScan", g_bVisScan);
}

void IncrementRecordCounter(const WCHAR* key) {
    const UINT count = GetPrivateProfileIntW(kRecordSection, key, 0, kRecordFile);
    // Unsigned arithmetic: the largest count wraps to the smallest instead of overflowing.
    WriteRecordInt(key, static_cast<int>(count + 1u));
}

void WriteRecordInt(const WCHAR* key, int value) {
    WCHAR text[16];
    wsprintfW(text, L"%d", value);
    WritePrivateProfileStringW(kRecordSection, key, text, kRecordFile);
}

void SyncInstallStatus() {
    WCHAR registryText[kInstallStatusSize];
    ReadInstallStatus(registryText);
    WCHAR iniText[kInstallStatusSize];
    GetPrivateProfileStringW(L"data", L"InstallStatus", L"None", iniText, kInstallStatusSize, kDataFile);
    if (wcscmp(registryText, iniText) == 0)
        return;
    {
        RegistryKey key;
        key.Create(HKEY_CURRENT_USER, kInstallStatusKey, KEY_WRITE);
    }
    WriteInstallStatus(iniText);
}

int ReadInstallStatus(WCHAR (&text)[kInstallStatusSize]) {
    text[0] = L'\0';
    RegistryKey key;
    if (key.Open(HKEY_CURRENT_USER, kInstallStatusKey, KEY_READ) != ERROR_SUCCESS)
        return 0;
    WCHAR buffer[kInstallStatusSize];
    DWORD bytes = sizeof(buffer);
    if (RegQueryValueExW(key.Get(), L"InstallStatus", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &bytes) !=
        ERROR_SUCCESS)
        return 0;
    const std::wstring value = TextOfBytes(buffer, bytes);
    if (value.size() >= kInstallStatusSize)  // a full buffer without a NUL
        return 0;
    wmemcpy(text, value.c_str(), value.size() + 1);
    return 1;
}

int WriteInstallStatus(const WCHAR* text) {
    RegistryKey key;
    if (key.Open(HKEY_CURRENT_USER, kInstallStatusKey, KEY_WRITE) != ERROR_SUCCESS)
        return 0;
    const DWORD bytes = static_cast<DWORD>((wcslen(text) + 1) * sizeof(WCHAR));
    const LONG result =
        RegSetValueExW(key.Get(), L"InstallStatus", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), bytes);
    return result == ERROR_SUCCESS ? 1 : 0;
}
