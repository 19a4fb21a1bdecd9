// Uninstall run as a process with a recording program in place of the system folder's
// msiexec.exe: what the installer is started with, and that the launcher does not wait. And
// where the installer is looked for when the system folder lookups fail, with replaced calls.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <sstream>
#include <string>

#include "InstallerPath.h"
#include "TestSupport.h"

using testsupport::ChildProcess;
using testsupport::TempFolder;

namespace {

// How long the launcher may take to start and end under Wine on a loaded machine; the recorder
// waits longer than this to be released, so a launcher that waited for it would not end in time.
constexpr DWORD kProcessBound = 60000;

std::wstring SystemInstaller() {
    WCHAR folder[MAX_PATH];
    GetSystemDirectoryW(folder, MAX_PATH);
    return std::wstring(folder) + L"\\msiexec.exe";
}

struct LaunchCase {
    const char* label;
    bool writeIni;
    std::string iniText;
    std::wstring arguments;
    std::wstring expectedCode;
};

// Puts the recorder in place of the system installer for the suite, and the original back.
// The cases share the system folder, so CTest runs them one at a time.
class UninstallLauncher : public ::testing::TestWithParam<LaunchCase> {
protected:
    static void SetUpTestSuite() {
        const std::wstring installer = SystemInstaller();
        saved_ = installer + L".vantelo-saved";
        MoveFileExW(installer.c_str(), saved_.c_str(), MOVEFILE_REPLACE_EXISTING);
        const std::wstring recorder = testsupport::TestDirectory() + L"\\MsiexecRecorder.exe";
        // Wine prefers its own msiexec; the test's environment tells it to load the file on disk.
        ASSERT_TRUE(CopyFileW(recorder.c_str(), installer.c_str(), FALSE));
    }

    static void TearDownTestSuite() {
        const std::wstring installer = SystemInstaller();
        DeleteFileW(installer.c_str());
        MoveFileExW(saved_.c_str(), installer.c_str(), MOVEFILE_REPLACE_EXISTING);
    }

    static std::wstring saved_;
};

std::wstring UninstallLauncher::saved_;

// The value of one "key=value" line of the recorder's report.
std::wstring Field(const std::wstring& record, const std::wstring& key) {
    std::wistringstream lines(record);
    for (std::wstring line; std::getline(lines, line);)
        if (line.rfind(key + L"=", 0) == 0)
            return line.substr(key.size() + 1);
    return L"<missing>";
}

TEST_P(UninstallLauncher, StartsTheInstallerWithTheRemovalSwitchAndDoesNotWait) {
    const LaunchCase& c = GetParam();
    TempFolder folder;
    if (c.writeIni)
        testsupport::WriteWholeFile(folder.File(L"ProductCode.ini"), c.iniText);
    const std::wstring log = folder.File(L"installer.log");
    const std::wstring releaseName = L"VanteloRecorderRelease" + std::to_wstring(GetCurrentProcessId());
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, releaseName.c_str());
    ASSERT_NE(release, nullptr);
    SetEnvironmentVariableW(L"VANTELO_RECORDER_LOG", log.c_str());
    SetEnvironmentVariableW(L"VANTELO_RECORDER_RELEASE", releaseName.c_str());

    const std::wstring launcher = testsupport::OutDirectory() + L"\\Uninstall.exe";
    ChildProcess uninstall(launcher, L"\"" + launcher + L"\"" + c.arguments, folder.Path());
    ASSERT_TRUE(uninstall.Started());
    const bool ended = uninstall.WaitForExit(kProcessBound);

    std::wstring record;
    testsupport::WaitUntil(
        [&] {
            record = testsupport::ReadWholeFile(log);
            return Field(record, L"folder") != L"<missing>";
        },
        kProcessBound);
    SetEvent(release);
    CloseHandle(release);

    // The recorder was still waiting to be released when the launcher had ended.
    ASSERT_TRUE(ended) << "the launcher waited for the installer";
    EXPECT_EQ(uninstall.ExitCode(), 0u);
    EXPECT_EQ(record.find(L"released"), std::wstring::npos);

    EXPECT_EQ(CompareStringOrdinal(Field(record, L"module").c_str(), -1, SystemInstaller().c_str(), -1, TRUE),
              CSTR_EQUAL)
        << testsupport::WideToUtf8(Field(record, L"module"));
    const std::wstring command = Field(record, L"command");
    const std::wstring parameters = L" /x " + c.expectedCode;
    ASSERT_GE(command.size(), parameters.size());
    EXPECT_EQ(command.substr(command.size() - parameters.size()), parameters) << testsupport::WideToUtf8(command);
    EXPECT_EQ(command.find(L"/x"), command.rfind(L"/x")) << "arguments of the launcher reached the installer";
    EXPECT_EQ(CompareStringOrdinal(Field(record, L"folder").c_str(), -1, folder.Path().c_str(), -1, TRUE), CSTR_EQUAL);
}

const std::wstring kCode = L"{6A1D2C3B-8E0F-4B57-9C21-5D7E3F90A1B4}";
const std::string kLongCode(600, 'K');

INSTANTIATE_TEST_SUITE_P(
    ProductCodeFile, UninstallLauncher,
    ::testing::Values(
        LaunchCase{"CodeFromIni", true, "[ProductCode]\r\nCode=" + testsupport::WideToUtf8(kCode) + "\r\n", L"", kCode},
        LaunchCase{"LongCodeCutTo511", true, "[ProductCode]\r\nCode=" + kLongCode + "\r\n", L"",
                   std::wstring(511, L'K')},
        LaunchCase{"NoIniStillStarts", false, "", L"", L""},
        LaunchCase{"MissingKeyStillStarts", true, "[ProductCode]\r\nOther=1\r\n", L"", L""},
        LaunchCase{"ArgumentsIgnored", true, "[ProductCode]\r\nCode=" + testsupport::WideToUtf8(kCode) + "\r\n",
                   L" /x {00000000-0000-0000-0000-000000000000} extra", kCode}),
    [](const ::testing::TestParamInfo<LaunchCase>& info) { return info.param.label; });

// What the replaced platform calls answer and what they were asked, for one case.
struct FakeSystem {
    FakeSystem(BOOL folderResult, const wchar_t* folder, UINT directoryResult, const wchar_t* directory)
        : specialFolderResult(folderResult),
          specialFolder(folder),
          systemDirectoryResult(directoryResult),
          systemDirectory(directory) {}

    BOOL specialFolderResult;
    std::wstring specialFolder;
    UINT systemDirectoryResult;  // 0: failure; beyond MAX_PATH: the buffer was too small
    std::wstring systemDirectory;

    int askedFolder = -1;
    BOOL askedCreate = TRUE;
    int starts = 0;
    std::wstring startedFile;
    std::wstring startedParameters;
    bool verbOrDirectoryGiven = false;
    INT startedShow = -1;
};

FakeSystem* g_fake = nullptr;

BOOL WINAPI FakeSpecialFolderPath(HWND, LPWSTR path, int folder, BOOL create) {
    g_fake->askedFolder = folder;
    g_fake->askedCreate = create;
    lstrcpynW(path, g_fake->specialFolder.c_str(), MAX_PATH);
    return g_fake->specialFolderResult;
}

UINT WINAPI FakeSystemDirectory(LPWSTR path, UINT size) {
    if (g_fake->systemDirectoryResult != 0 && g_fake->systemDirectoryResult < size)
        lstrcpynW(path, g_fake->systemDirectory.c_str(), size);
    return g_fake->systemDirectoryResult;
}

HINSTANCE WINAPI FakeShellExecute(HWND, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters, LPCWSTR directory, INT show) {
    ++g_fake->starts;
    g_fake->startedFile = file;
    g_fake->startedParameters = parameters;
    g_fake->verbOrDirectoryGiven = verb != nullptr || directory != nullptr;
    g_fake->startedShow = show;
    return reinterpret_cast<HINSTANCE>(42);
}

constexpr uninstall::LauncherCalls kFakeCalls = {FakeSpecialFolderPath, FakeSystemDirectory, FakeShellExecute};

struct LookupCase {
    const char* label;
    BOOL specialFolderResult;
    const wchar_t* specialFolder;
    UINT systemDirectoryResult;
    const wchar_t* systemDirectory;
    const wchar_t* expectedInstaller;  // empty: nothing may be started
};

class InstallerLookup : public ::testing::TestWithParam<LookupCase> {};

TEST_P(InstallerLookup, StartsTheSystemFoldersInstallerOrNothing) {
    const LookupCase& c = GetParam();
    FakeSystem fake(c.specialFolderResult, c.specialFolder, c.systemDirectoryResult, c.systemDirectory);
    g_fake = &fake;
    uninstall::StartRemoval(kFakeCalls, L"{CODE}");
    g_fake = nullptr;

    EXPECT_EQ(fake.askedFolder, CSIDL_SYSTEM);
    EXPECT_EQ(fake.askedCreate, FALSE);
    const std::wstring expected = c.expectedInstaller;
    if (expected.empty()) {
        EXPECT_EQ(fake.starts, 0) << "started " << testsupport::WideToUtf8(fake.startedFile);
        return;
    }
    ASSERT_EQ(fake.starts, 1);
    EXPECT_EQ(fake.startedFile, expected);
    EXPECT_EQ(fake.startedParameters, L" /x {CODE}");
    EXPECT_FALSE(fake.verbOrDirectoryGiven);
    EXPECT_EQ(fake.startedShow, SW_SHOWNORMAL);
}

INSTANTIATE_TEST_SUITE_P(SystemFolder, InstallerLookup,
                         ::testing::Values(LookupCase{"SpecialFolder", TRUE, L"C:\\windows\\system32", 11, L"D:\\other",
                                                      L"C:\\windows\\system32\\msiexec.exe"},
                                           LookupCase{"SpecialFolderFailsSystemDirectory", FALSE, L"", 9, L"D:\\system",
                                                      L"D:\\system\\msiexec.exe"},
                                           LookupCase{"SpecialFolderEmptySystemDirectory", TRUE, L"", 9, L"D:\\system",
                                                      L"D:\\system\\msiexec.exe"},
                                           LookupCase{"BothFailNothingStarted", FALSE, L"", 0, L"", L""},
                                           LookupCase{"SystemDirectoryTooLongNothingStarted", FALSE, L"", MAX_PATH + 40,
                                                      L"", L""}),
                         [](const ::testing::TestParamInfo<LookupCase>& info) { return info.param.label; });

TEST(InstallerLookup, EmptyCodeGivesTheRemovalSwitchAlone) {
    FakeSystem fake(TRUE, L"C:\\sys", 0, L"");
    g_fake = &fake;
    uninstall::StartRemoval(kFakeCalls, L"");
    g_fake = nullptr;
    ASSERT_EQ(fake.starts, 1);
    EXPECT_EQ(fake.startedParameters, L" /x ");
}

}  // namespace
