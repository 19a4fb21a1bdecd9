// The record file, the installed-version check and the install status, each case in a fresh
// working folder with the keys it uses deleted from HKEY_CURRENT_USER first.
#include <gtest/gtest.h>

#include <climits>
#include <ostream>
#include <string>

#include "WorkingFolder.h"
#include "bar/Settings.h"

namespace {

constexpr WORD kX86 = PROCESSOR_ARCHITECTURE_INTEL;
constexpr WORD kAmd64 = PROCESSOR_ARCHITECTURE_AMD64;
constexpr WORD kIa64 = PROCESSOR_ARCHITECTURE_IA64;
constexpr WORD kArm64 = 12;

const std::wstring kAbsent = L"<absent>";

// The bytes of a UTF-16 text, with or without its terminating NUL.
std::string Utf16(const std::wstring& text, bool withNul = true) {
    const size_t characters = text.size() + (withNul ? 1 : 0);
    return std::string(reinterpret_cast<const char*>(text.c_str()), characters * sizeof(WCHAR));
}

std::string DwordBytes(DWORD value) {
    return std::string(reinterpret_cast<const char*>(&value), sizeof(value));
}

// A registry value as a case sets it up or finds it afterwards.
struct StoredValue {
    bool keyExists = false;
    bool present = false;
    DWORD type = REG_NONE;
    std::string bytes;

    bool operator==(const StoredValue& other) const {
        return keyExists == other.keyExists && present == other.present &&
               (!present || (type == other.type && bytes == other.bytes));
    }
};

void PrintTo(const StoredValue& value, std::ostream* out) {
    if (!value.keyExists) {
        *out << "no key";
    } else if (!value.present) {
        *out << "key without value";
    } else {
        *out << "type " << value.type << ", " << value.bytes.size() << " bytes:";
        for (unsigned char byte : value.bytes)
            *out << ' ' << static_cast<int>(byte);
    }
}

StoredValue NoKey() {
    return {};
}
StoredValue KeyOnly() {
    return {true, false, REG_NONE, {}};
}
StoredValue Value(DWORD type, const std::string& bytes) {
    return {true, true, type, bytes};
}
StoredValue Text(const std::wstring& text, DWORD type = REG_SZ) {
    return Value(type, Utf16(text));
}

void Store(const WCHAR* keyPath, const WCHAR* valueName, const StoredValue& value) {
    if (!value.keyExists)
        return;
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, keyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    if (value.present) {
        // The system counts a string's NUL when the caller left it out but it follows in memory:
        // a value stored without its NUL must be followed by something else.
        const std::string padded = value.bytes + "\xFF\xFF";
        EXPECT_EQ(RegSetValueExW(key, valueName, 0, value.type, reinterpret_cast<const BYTE*>(padded.data()),
                                 static_cast<DWORD>(value.bytes.size())),
                  ERROR_SUCCESS);
    }
    RegCloseKey(key);
}

StoredValue Load(const WCHAR* keyPath, const WCHAR* valueName) {
    StoredValue value;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return value;
    value.keyExists = true;
    DWORD bytes = 0;
    if (RegQueryValueExW(key, valueName, nullptr, &value.type, nullptr, &bytes) == ERROR_SUCCESS) {
        value.present = true;
        value.bytes.resize(bytes);
        RegQueryValueExW(key, valueName, nullptr, &value.type, reinterpret_cast<BYTE*>(value.bytes.data()), &bytes);
    }
    RegCloseKey(key);
    return value;
}

// A fresh working folder, the bar's registry keys gone, and the flag as at program start.
class SettingsTest : public ::testing::Test {
protected:
    SettingsTest() {
        ForgetRegistry();
        g_bVisScan = 0;
    }
    ~SettingsTest() override { ForgetRegistry(); }

    static void ForgetRegistry() {
        RegDeleteTreeW(HKEY_CURRENT_USER, kUninstallKey);
        RegDeleteKeyW(HKEY_CURRENT_USER, kUninstallKey);
        RegDeleteTreeW(HKEY_CURRENT_USER, kInstallStatusKey);
        RegDeleteKeyW(HKEY_CURRENT_USER, kInstallStatusKey);
    }

    void WriteRecordFile(const std::string& lines) const {
        if (!lines.empty())
            testsupport::WriteWholeFile(folder_.File(L"test.ini"), "[record]\r\n" + lines);
    }

    std::wstring Record(const WCHAR* key) const {
        WCHAR text[64];
        GetPrivateProfileStringW(L"record", key, kAbsent.c_str(), text, 64, folder_.File(L"test.ini").c_str());
        return text;
    }

    WorkingFolder folder_;
};

// ---- The installed-version check ----

struct VersionCase {
    const char* label;
    WORD architecture;
    StoredValue displayVersion;
    int visScan;
    std::wstring flow1;
    std::wstring flow2;
};

class VersionCheck : public SettingsTest, public ::testing::WithParamInterface<VersionCase> {};

TEST_P(VersionCheck, SetsTheFlagOnAMatchAndRecordsFailures) {
    const VersionCase& c = GetParam();
    Store(kUninstallKey, L"DisplayVersion", c.displayVersion);

    CheckInstalledVersionFor(c.architecture);

    EXPECT_EQ(g_bVisScan, c.visScan);
    EXPECT_EQ(Record(L"flow1 error"), c.flow1);
    EXPECT_EQ(Record(L"flow2 error"), c.flow2);
    EXPECT_EQ(Record(L"VisScan"), kAbsent);
    EXPECT_EQ(Record(L"TotalCount"), kAbsent);
}

const std::wstring kLong300(300, L'9');

INSTANTIATE_TEST_SUITE_P(
    Roads, VersionCheck,
    ::testing::Values(
        // Not registered: the key does not open.
        VersionCase{"NotRegisteredX86", kX86, NoKey(), 0, L"2", kAbsent},
        VersionCase{"NotRegisteredAmd64", kAmd64, NoKey(), 0, L"2", kAbsent},
        // The expected version of each road.
        VersionCase{"MatchX86", kX86, Text(L"1.3.2"), 1, kAbsent, kAbsent},
        VersionCase{"MatchX86ExpandString", kX86, Text(L"1.3.2", REG_EXPAND_SZ), 1, kAbsent, kAbsent},
        VersionCase{"MatchOtherArchitecture", kArm64, Text(L"1.3.2"), 1, kAbsent, kAbsent},
        VersionCase{"MatchAmd64", kAmd64, Text(L"1.4.2"), 1, kAbsent, kAbsent},
        VersionCase{"MatchIa64", kIa64, Text(L"1.4.2"), 1, kAbsent, kAbsent},
        // Another version is no failure: nothing is recorded.
        VersionCase{"OtherRoadsVersionOnX86", kX86, Text(L"1.4.2"), 0, kAbsent, kAbsent},
        VersionCase{"OtherRoadsVersionOnAmd64", kAmd64, Text(L"1.3.2"), 0, kAbsent, kAbsent},
        VersionCase{"LongerVersion", kX86, Text(L"1.3.2.0"), 0, kAbsent, kAbsent},
        VersionCase{"ShorterVersion", kAmd64, Text(L"1.4"), 0, kAbsent, kAbsent},
        VersionCase{"EmptyValue", kX86, Value(REG_SZ, ""), 0, kAbsent, kAbsent},
        // The default road wants a NUL-terminated string value; the 64-bit road takes the bytes.
        VersionCase{"DwordOnDefaultRoad", kX86, Value(REG_DWORD, DwordBytes(1)), 0, kAbsent, L"13"},
        VersionCase{"DwordOn64BitRoad", kAmd64, Value(REG_DWORD, DwordBytes(1)), 0, kAbsent, kAbsent},
        VersionCase{"BinaryOnDefaultRoad", kX86, Value(REG_BINARY, Utf16(L"1.3.2")), 0, kAbsent, L"13"},
        VersionCase{"BinaryOn64BitRoad", kAmd64, Value(REG_BINARY, Utf16(L"1.4.2")), 1, kAbsent, kAbsent},
        VersionCase{"NoNulOnDefaultRoad", kX86, Value(REG_SZ, Utf16(L"1.3.2", false)), 0, kAbsent, L"13"},
        VersionCase{"NoNulOn64BitRoad", kAmd64, Value(REG_SZ, Utf16(L"1.4.2", false)), 1, kAbsent, kAbsent},
        VersionCase{"OddBytesOnDefaultRoad", kX86, Value(REG_SZ, Utf16(L"1.3.2") + "x"), 0, kAbsent, L"13"},
        VersionCase{"OddBytesOn64BitRoad", kAmd64, Value(REG_SZ, Utf16(L"1.4.2", false) + "x"), 1, kAbsent, kAbsent},
        // The value is missing.
        VersionCase{"NoValueX86", kX86, KeyOnly(), 0, kAbsent, L"2"},
        VersionCase{"NoValueAmd64", kAmd64, KeyOnly(), 0, kAbsent, L"2"},
        // Limits: 256 characters with the NUL on the default road, 256 bytes on the 64-bit road.
        VersionCase{"TooLongOnDefaultRoad", kX86, Text(kLong300), 0, kAbsent, L"234"},
        VersionCase{"AtLimitOnDefaultRoad", kX86, Text(std::wstring(255, L'9')), 0, kAbsent, kAbsent},
        VersionCase{"TooLongOn64BitRoad", kAmd64, Text(std::wstring(128, L'9')), 0, kAbsent, L"234"},
        VersionCase{"AtLimitOn64BitRoad", kAmd64, Value(REG_SZ, Utf16(std::wstring(128, L'9'), false)), 0, kAbsent,
                    kAbsent}),
    [](const ::testing::TestParamInfo<VersionCase>& info) { return info.param.label; });

// The check asks the system, not the program, for the processor: a 64-bit build, and the
// 32-bit program under WOW64, run on a 64-bit system and take the 64-bit road; the 32-bit
// program on a 32-bit system takes the x86 road.
TEST_F(SettingsTest, VersionCheckTakesTheRoadOfTheSystemItRunsOn) {
    BOOL wow64 = FALSE;
    ASSERT_TRUE(IsWow64Process(GetCurrentProcess(), &wow64));
    const bool system64 = sizeof(void*) == 8 || wow64;
    const std::wstring ownRoad = system64 ? L"1.4.2" : L"1.3.2";
    const std::wstring otherRoad = system64 ? L"1.3.2" : L"1.4.2";

    Store(kUninstallKey, L"DisplayVersion", Text(otherRoad));
    CheckInstalledVersion();
    EXPECT_EQ(g_bVisScan, 0) << "matched the other road's version " << testsupport::WideToUtf8(otherRoad);

    Store(kUninstallKey, L"DisplayVersion", Text(ownRoad));
    CheckInstalledVersion();
    EXPECT_EQ(g_bVisScan, 1) << "did not match " << testsupport::WideToUtf8(ownRoad);
    EXPECT_EQ(Record(L"flow1 error"), kAbsent);
    EXPECT_EQ(Record(L"flow2 error"), kAbsent);
}

TEST_F(SettingsTest, EarlierTracesStayAndTheFlagIsNeverCleared) {
    WriteRecordFile("flow1 error=5\r\nflow2 error=13\r\n");
    Store(kUninstallKey, L"DisplayVersion", Text(L"1.3.2"));
    CheckInstalledVersionFor(kX86);
    EXPECT_EQ(g_bVisScan, 1);
    EXPECT_EQ(Record(L"flow1 error"), L"5");
    EXPECT_EQ(Record(L"flow2 error"), L"13");

    // A later failing check overwrites its own trace and leaves the flag set.
    ForgetRegistry();
    CheckInstalledVersionFor(kX86);
    EXPECT_EQ(g_bVisScan, 1);
    EXPECT_EQ(Record(L"flow1 error"), L"2");
    EXPECT_EQ(Record(L"flow2 error"), L"13");
}

// ---- Start counters ----

struct StartCase {
    const char* label;
    std::string record;
    int visScan;
    std::wstring totalCount;
    std::wstring visScanRecord;
};

class StartRecord : public SettingsTest, public ::testing::WithParamInterface<StartCase> {};

TEST_P(StartRecord, CountsTheStartAndNotesAMatchedVersion) {
    const StartCase& c = GetParam();
    WriteRecordFile(c.record);
    g_bVisScan = c.visScan;

    RecordStart();

    EXPECT_EQ(Record(L"TotalCount"), c.totalCount);
    EXPECT_EQ(Record(L"VisScan"), c.visScanRecord);
}

INSTANTIATE_TEST_SUITE_P(Counters, StartRecord,
                         ::testing::Values(StartCase{"FirstStart", "", 0, L"1", kAbsent},
                                           StartCase{"CountsOn", "TotalCount=41\r\n", 0, L"42", kAbsent},
                                           StartCase{"NonNumericCountsAsZero", "TotalCount=abc\r\n", 0, L"1", kAbsent},
                                           StartCase{"LeadingDigitsCount", "TotalCount=7x\r\n", 0, L"8", kAbsent},
                                           StartCase{"MatchedVersionNoted", "TotalCount=2\r\n", 1, L"3", L"1"},
                                           StartCase{"EarlierNoteKept", "TotalCount=2\r\nVisScan=1\r\n", 0, L"3",
                                                     L"1"}),
                         [](const ::testing::TestParamInfo<StartCase>& info) { return info.param.label; });

TEST_F(SettingsTest, StartOnAMachineWithoutTheProduct) {
    CheckInstalledVersionFor(kX86);
    RecordStart();
    EXPECT_EQ(Record(L"flow1 error"), L"2");
    EXPECT_EQ(Record(L"TotalCount"), L"1");
    EXPECT_EQ(Record(L"VisScan"), kAbsent);
    EXPECT_EQ(g_bVisScan, 0);
}

TEST_F(SettingsTest, StartWithTheExpectedVersion) {
    Store(kUninstallKey, L"DisplayVersion", Text(L"1.3.2"));
    CheckInstalledVersionFor(kX86);
    RecordStart();
    EXPECT_EQ(Record(L"TotalCount"), L"1");
    EXPECT_EQ(Record(L"VisScan"), L"1");
    EXPECT_EQ(Record(L"flow1 error"), kAbsent);
}

TEST_F(SettingsTest, CounterAndValuesTouchOnlyTheirKey) {
    WriteRecordFile("ErrorCount=3\r\nTotalCount=10\r\n");
    IncrementRecordCounter(L"ErrorCount");
    WriteRecordInt(L"flow2 error", -13);
    WriteRecordInt(L"flow1 error", INT_MIN);
    EXPECT_EQ(Record(L"ErrorCount"), L"4");
    EXPECT_EQ(Record(L"TotalCount"), L"10");
    EXPECT_EQ(Record(L"flow2 error"), L"-13");
    EXPECT_EQ(Record(L"flow1 error"), L"-2147483648");
}

// ---- Install status ----

const std::wstring kAtLimit(255, L's');
const std::wstring kFull(256, L's');

std::string DataIni(const std::string& lines) {
    return "[data]\r\n" + lines;
}

struct SyncCase {
    const char* label;
    const char* dataIni;  // nullptr: no .\Setting\data.ini
    StoredValue before;
    StoredValue after;
};

class InstallStatusSync : public SettingsTest, public ::testing::WithParamInterface<SyncCase> {};

TEST_P(InstallStatusSync, TheRegistryTakesTheIniText) {
    const SyncCase& c = GetParam();
    if (c.dataIni) {
        CreateDirectoryW(folder_.File(L"Setting").c_str(), nullptr);
        testsupport::WriteWholeFile(folder_.File(L"Setting\\data.ini"), c.dataIni);
    }
    Store(kInstallStatusKey, L"InstallStatus", c.before);

    SyncInstallStatus();

    EXPECT_EQ(Load(kInstallStatusKey, L"InstallStatus"), c.after);
    // Nothing goes the other way.
    const std::wstring dataIni = folder_.File(L"Setting\\data.ini");
    if (c.dataIni)
        EXPECT_EQ(testsupport::ReadWholeFile(dataIni), testsupport::Utf8ToWide(c.dataIni));
    else
        EXPECT_FALSE(testsupport::FileExists(dataIni));
}

// Equal texts are checked with the registry value stored as REG_EXPAND_SZ: a write would make it REG_SZ.
const std::string kIniInstalled = DataIni("InstallStatus=Installed\r\n");
const std::string kIniEmpty = DataIni("InstallStatus=\r\n");
const std::string kIniAtLimit = DataIni("InstallStatus=" + std::string(255, 's') + "\r\n");
const std::string kIniTooLong = DataIni("InstallStatus=" + std::string(300, 't') + "\r\n");
const std::string kIniOtherSection = "[other]\r\nInstallStatus=Installed\r\n";
const std::string kIniOtherKey = DataIni("Other=Installed\r\n");

INSTANTIATE_TEST_SUITE_P(
    IniAndRegistry, InstallStatusSync,
    ::testing::Values(
        SyncCase{"NoIniNoKey", nullptr, NoKey(), Text(L"None")},
        SyncCase{"NoIniKeyWithoutValue", nullptr, KeyOnly(), Text(L"None")},
        SyncCase{"NoIniRegistryEqual", nullptr, Text(L"None", REG_EXPAND_SZ), Text(L"None", REG_EXPAND_SZ)},
        SyncCase{"NoIniRegistryOther", nullptr, Text(L"Installed"), Text(L"None")},
        SyncCase{"IniNoKey", kIniInstalled.c_str(), NoKey(), Text(L"Installed")},
        SyncCase{"IniKeyWithoutValue", kIniInstalled.c_str(), KeyOnly(), Text(L"Installed")},
        SyncCase{"IniRegistryEqual", kIniInstalled.c_str(), Text(L"Installed", REG_EXPAND_SZ),
                 Text(L"Installed", REG_EXPAND_SZ)},
        SyncCase{"IniRegistryOther", kIniInstalled.c_str(), Text(L"None"), Text(L"Installed")},
        SyncCase{"IniRegistryOtherCase", kIniInstalled.c_str(), Text(L"installed"), Text(L"Installed")},
        SyncCase{"OtherSectionMeansNone", kIniOtherSection.c_str(), NoKey(), Text(L"None")},
        SyncCase{"OtherKeyMeansNone", kIniOtherKey.c_str(), NoKey(), Text(L"None")},
        // An empty ini value is the empty text, not the default.
        SyncCase{"EmptyIniNoKey", kIniEmpty.c_str(), NoKey(), NoKey()},
        SyncCase{"EmptyIniKeyWithoutValue", kIniEmpty.c_str(), KeyOnly(), KeyOnly()},
        SyncCase{"EmptyIniRegistrySet", kIniEmpty.c_str(), Text(L"Installed"), Text(L"")},
        // Registry values that do not fit 255 characters read as empty.
        SyncCase{"RegistryTooLong", kIniInstalled.c_str(), Text(kLong300), Text(L"Installed")},
        SyncCase{"RegistryTooLongEmptyIni", kIniEmpty.c_str(), Text(kLong300), Text(kLong300)},
        SyncCase{"RegistryFullWithoutNul", nullptr, Value(REG_SZ, Utf16(kFull, false)), Text(L"None")},
        SyncCase{"RegistryWithoutNulEqual", nullptr, Value(REG_EXPAND_SZ, Utf16(L"None", false)),
                 Value(REG_EXPAND_SZ, Utf16(L"None", false))},
        SyncCase{"AtLimitEqual", kIniAtLimit.c_str(), Text(kAtLimit, REG_EXPAND_SZ), Text(kAtLimit, REG_EXPAND_SZ)},
        // The ini reading cuts a long value to 255 characters.
        SyncCase{"IniTooLong", kIniTooLong.c_str(), NoKey(), Text(std::wstring(255, L't'))}),
    [](const ::testing::TestParamInfo<SyncCase>& info) { return info.param.label; });

struct ReadCase {
    const char* label;
    StoredValue stored;
    int result;
    std::wstring text;
};

class InstallStatusRead : public SettingsTest, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(InstallStatusRead, ReadsWithinTheBuffer) {
    const ReadCase& c = GetParam();
    Store(kInstallStatusKey, L"InstallStatus", c.stored);
    WCHAR text[kInstallStatusSize];
    wmemset(text, L'#', kInstallStatusSize);

    EXPECT_EQ(ReadInstallStatus(text), c.result);

    ASSERT_LT(wcsnlen(text, kInstallStatusSize), static_cast<size_t>(kInstallStatusSize)) << "no NUL in the text";
    EXPECT_EQ(std::wstring(text), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Values, InstallStatusRead,
    ::testing::Values(ReadCase{"NoKey", NoKey(), 0, L""}, ReadCase{"NoValue", KeyOnly(), 0, L""},
                      ReadCase{"Text", Text(L"Installed"), 1, L"Installed"},
                      ReadCase{"WithoutNul", Value(REG_SZ, Utf16(L"abc", false)), 1, L"abc"},
                      ReadCase{"OddBytes", Value(REG_SZ, Utf16(L"abc", false) + "x"), 1, L"abc"},
                      ReadCase{"Empty", Text(L""), 1, L""}, ReadCase{"ZeroBytes", Value(REG_SZ, ""), 1, L""},
                      ReadCase{"TypeNotTested", Value(REG_DWORD, DwordBytes(0x00420041)), 1, L"AB"},
                      ReadCase{"AtLimit", Text(kAtLimit), 1, kAtLimit}, ReadCase{"TooLong", Text(kFull), 0, L""},
                      ReadCase{"FullWithoutNul", Value(REG_SZ, Utf16(kFull, false)), 0, L""}),
    [](const ::testing::TestParamInfo<ReadCase>& info) { return info.param.label; });

TEST_F(SettingsTest, WriteInstallStatusNeedsTheKey) {
    EXPECT_EQ(WriteInstallStatus(L"Installed"), 0);
    EXPECT_EQ(Load(kInstallStatusKey, L"InstallStatus"), NoKey());

    Store(kInstallStatusKey, L"InstallStatus", Text(L"Installed", REG_EXPAND_SZ));
    EXPECT_EQ(WriteInstallStatus(L"None"), 1);
    EXPECT_EQ(Load(kInstallStatusKey, L"InstallStatus"), Text(L"None"));
}

}  // namespace
