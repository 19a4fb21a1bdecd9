// Winreap run as a process against window hosts: which windows receive WM_CLOSE for a
// table of command lines, and the command-line cut of the start-up it relies on.
#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "tamsil/Handle.h"

using testsupport::ChildProcess;
using testsupport::TempFolder;

namespace {

// How long a program of the test may take to start or end under Wine on a loaded machine.
constexpr DWORD kProcessBound = 60000;

constexpr int kVisibleWindows = 2;
constexpr int kHiddenWindows = 1;

// One running copy of WindowHost under a chosen executable name; with `busyEvent` it takes no
// message until that event is set.
class Host {
public:
    Host(const TempFolder& folder, const std::wstring& exeName, int index, const std::wstring& busyEvent = L"")
        : log_(folder.File(L"host" + std::to_wstring(index) + L".log")),
          readyName_(L"VanteloHostReady" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(index)),
          ready_(CreateEventW(nullptr, TRUE, FALSE, readyName_.c_str())),
          process_(folder.File(exeName), L"\"" + folder.File(exeName) + L"\" \"" + log_ + L"\" " +
                                             std::to_wstring(kVisibleWindows) + L" " + std::to_wstring(kHiddenWindows) +
                                             L" " + readyName_ + (busyEvent.empty() ? L"" : L" " + busyEvent)) {}

    bool Ready() const {
        return process_.Started() && WaitForSingleObject(ready_.Get(), kProcessBound) == WAIT_OBJECT_0;
    }

    // Stops the host after every message posted to it so far, and returns its report.
    std::vector<int> Closes() const {
        PostThreadMessageW(process_.ThreadId(), WM_APP, 0, 0);
        if (!process_.WaitForExit(kProcessBound)) {
            process_.Terminate();
            return {};
        }
        std::wistringstream report(testsupport::ReadWholeFile(log_));
        std::vector<int> closes;
        unsigned index;
        std::wstring kind;
        int count;
        while (report >> index >> kind >> count)
            closes.push_back(count);
        return closes;
    }

    ~Host() {
        if (!process_.WaitForExit(0))
            process_.Terminate();
    }

private:
    std::wstring log_;
    std::wstring readyName_;
    tamsil::UniqueHandle ready_;
    ChildProcess process_;
};

struct ReapCase {
    const char* label;
    const wchar_t* hostName;   // executable name of the two hosts that may be closed
    const wchar_t* arguments;  // what follows the program name on Winreap's command line
    bool closes;
};

class WinreapTargets : public ::testing::TestWithParam<ReapCase> {};

TEST_P(WinreapTargets, ClosesEveryWindowOfMatchingProcessesOnly) {
    const ReapCase& c = GetParam();
    TempFolder folder;
    const std::wstring hostProgram = testsupport::TestDirectory() + L"\\WindowHost.exe";
    ASSERT_TRUE(CopyFileW(hostProgram.c_str(), folder.File(c.hostName).c_str(), FALSE));
    const std::wstring bystanderName = L"Bystander" + std::to_wstring(GetCurrentProcessId()) + L".exe";
    ASSERT_TRUE(CopyFileW(hostProgram.c_str(), folder.File(bystanderName).c_str(), FALSE));

    std::vector<std::unique_ptr<Host>> targets;
    targets.push_back(std::make_unique<Host>(folder, c.hostName, 0));
    targets.push_back(std::make_unique<Host>(folder, c.hostName, 1));
    Host bystander(folder, bystanderName, 2);
    for (const auto& host : targets)
        ASSERT_TRUE(host->Ready());
    ASSERT_TRUE(bystander.Ready());

    const std::wstring winreap = testsupport::OutDirectory() + L"\\Winreap.exe";
    ChildProcess reaper(winreap, L"\"" + winreap + L"\"" + c.arguments);
    ASSERT_TRUE(reaper.Started());
    ASSERT_TRUE(reaper.WaitForExit(kProcessBound));
    EXPECT_EQ(reaper.ExitCode(), 0u);

    const std::vector<int> expected(kVisibleWindows + kHiddenWindows, c.closes ? 1 : 0);
    for (const auto& host : targets)
        EXPECT_EQ(host->Closes(), expected);
    EXPECT_EQ(bystander.Closes(), std::vector<int>(kVisibleWindows + kHiddenWindows, 0));
}

// Host names carry the case's number so that parallel runs never share a target.
INSTANTIATE_TEST_SUITE_P(
    CommandLines, WinreapTargets,
    ::testing::Values(ReapCase{"ExactName", L"ReapHost1.exe", L" ReapHost1.exe", true},
                      ReapCase{"OtherLetterCase", L"ReapHost2.exe", L" rEAPhOST2.EXE", true},
                      ReapCase{"BlanksBeforeName", L"ReapHost3.exe", L" \t  reaphost3.exe", true},
                      ReapCase{"QuotedName", L"ReapHost4.exe", L" \"ReapHost4.exe\"", false},
                      ReapCase{"TrailingBlank", L"ReapHost5.exe", L" ReapHost5.exe ", false},
                      ReapCase{"WithoutExtension", L"ReapHost6.exe", L" ReapHost6", false},
                      ReapCase{"Empty", L"ReapHost7.exe", L"", false},
                      ReapCase{"BlanksOnly", L"ReapHost8.exe", L"    ", false},
                      ReapCase{"AccentedLowerCaseKept", L"R\u00e9apHost9.exe", L" r\u00e9APHOST9.exe", true},
                      ReapCase{"AccentedCaseDiffers", L"R\u00e9apHost10.exe", L" R\u00c9APHOST10.EXE", false}),
    [](const ::testing::TestParamInfo<ReapCase>& info) { return info.param.label; });

// WM_CLOSE goes into the queue of a program that is busy, to be taken when it is ready: Winreap
// ends without waiting for any window to handle it.
TEST(Winreap, EndsWithoutWaitingForABusyProgram) {
    TempFolder folder;
    const std::wstring hostName = L"BusyHost.exe";
    ASSERT_TRUE(
        CopyFileW((testsupport::TestDirectory() + L"\\WindowHost.exe").c_str(), folder.File(hostName).c_str(), FALSE));
    const std::wstring busyName = L"VanteloHostBusy" + std::to_wstring(GetCurrentProcessId());
    const tamsil::UniqueHandle busy(CreateEventW(nullptr, TRUE, FALSE, busyName.c_str()));
    ASSERT_TRUE(busy);
    Host host(folder, hostName, 0, busyName);
    ASSERT_TRUE(host.Ready());

    const std::wstring winreap = testsupport::OutDirectory() + L"\\Winreap.exe";
    ChildProcess reaper(winreap, L"\"" + winreap + L"\" " + hostName);
    ASSERT_TRUE(reaper.Started());
    const bool endedWhileBusy = reaper.WaitForExit(kProcessBound);
    SetEvent(busy.Get());

    EXPECT_TRUE(endedWhileBusy) << "Winreap waited for the busy program's windows";
    EXPECT_EQ(host.Closes(), std::vector<int>(kVisibleWindows + kHiddenWindows, 1));
    if (!reaper.WaitForExit(kProcessBound))
        reaper.Terminate();
}

struct CutCase {
    const char* label;
    const wchar_t* commandLine;
    const wchar_t* target;
};

class CommandLineCut : public ::testing::TestWithParam<CutCase> {};

// The target name is what the program's start-up leaves of the whole command line.
TEST_P(CommandLineCut, LeavesTheTargetName) {
    TempFolder folder;
    const std::wstring output = folder.File(L"cut.txt");
    ASSERT_TRUE(SetEnvironmentVariableW(L"VANTELO_PROBE_OUT", output.c_str()));
    ChildProcess probe(testsupport::TestDirectory() + L"\\CommandLineProbe.exe", GetParam().commandLine);
    ASSERT_TRUE(probe.Started());
    ASSERT_TRUE(probe.WaitForExit(kProcessBound));
    ASSERT_EQ(probe.ExitCode(), 0u);
    EXPECT_EQ(testsupport::ReadWholeFile(output), GetParam().target);
}

INSTANTIATE_TEST_SUITE_P(
    Rule, CommandLineCut,
    ::testing::Values(CutCase{"PlainProgram", L"probe.exe Target.exe", L"Target.exe"},
                      CutCase{"QuotedProgramWithBlanks", L"\"C:\\a b\\probe.exe\" Target.exe", L"Target.exe"},
                      CutCase{"QuotesToggleInsideToken", L"a\"b c\"d\"e f\" Target.exe", L"Target.exe"},
                      CutCase{"ControlCharactersSkipped", L"probe.exe\t\x01\x1F Target.exe", L"Target.exe"},
                      CutCase{"ControlCharacterEndsToken", L"probe.exe\x1FTarget.exe", L"Target.exe"},
                      CutCase{"InnerAndTrailingBlanksKept", L"probe.exe  My Target.exe  ", L"My Target.exe  "},
                      CutCase{"QuotesKept", L"probe.exe \"Target.exe\"", L"\"Target.exe\""},
                      CutCase{"NothingAfterProgram", L"probe.exe", L""},
                      CutCase{"BlanksOnlyAfterProgram", L"probe.exe    ", L""},
                      CutCase{"UnclosedQuoteTakesAll", L"\"probe.exe Target.exe", L""}),
    [](const ::testing::TestParamInfo<CutCase>& info) { return info.param.label; });

}  // namespace
