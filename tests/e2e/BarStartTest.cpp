// The shipped bar started as a process with a simulated machine: a normal start, a second
// start, the hardware library's start failures, where a start hands the install status to the
// registry, the end by WM_CLOSE and the About box.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "BarHarness.h"
#include "MessageBoxes.h"
#include "bar/Settings.h"
#include "tamsil/Handle.h"

using e2e::BarRun;
using e2e::IsCall;
using e2e::JournalLine;
using e2e::kStartTimeout;
using testsupport::ChildProcess;

namespace {

// The first "ReadEC 0x75B" followed by a "WriteEC 0x75B"; null when there is none.
std::pair<const JournalLine*, const JournalLine*> FirstStateChange(const std::vector<JournalLine>& journal) {
    for (size_t i = 0; i + 1 < journal.size(); ++i)
        if (IsCall(journal[i], "ReadEC", "0x75B") && IsCall(journal[i + 1], "WriteEC", "0x75B"))
            return {&journal[i], &journal[i + 1]};
    return {nullptr, nullptr};
}

// Waits until the journal holds a line that `done` accepts.
template <typename Done>
std::vector<JournalLine> WaitForJournal(const BarRun& run, Done done, DWORD milliseconds = kStartTimeout) {
    std::vector<JournalLine> journal;
    testsupport::WaitUntil(
        [&] {
            journal = run.Journal();
            return std::any_of(journal.begin(), journal.end(), done);
        },
        milliseconds);
    return journal;
}

TEST(BarStart, SetsTheRunningBitAfterAPausedReadAndShowsItself) {
    BarRun run;
    const int iconsBefore = e2e::TrayIconCount();
    const ChildProcess& bar = run.Start();
    HWND window = BarRun::WaitForBarWindow(bar, kStartTimeout);
    ASSERT_NE(window, nullptr) << "no window titled \"Vantelo II\"";

    const auto journal = WaitForJournal(run, [](const JournalLine& l) { return IsCall(l, "WriteEC", "0x75B"); });
    ASSERT_FALSE(journal.empty());
    EXPECT_TRUE(IsCall(journal.front(), "InitTamsilIO")) << journal.front().call;
    EXPECT_EQ(journal.front().result, "0");
    const auto [read, write] = FirstStateChange(journal);
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->result, "0x0");
    EXPECT_EQ(write->arguments, (std::vector<std::string>{"0x75B", "0x80"}));
    EXPECT_GE(write->milliseconds - read->milliseconds, 50.0);
    EXPECT_EQ(run.ReadRegister(0x75B), 0x80u);

    // The modal loop shows the bar once start-up is over; it is not topmost.
    EXPECT_TRUE(testsupport::WaitUntil([&] { return IsWindowVisible(window) != FALSE; }, 5000));
    EXPECT_EQ(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
    EXPECT_EQ(e2e::TrayIconCount(), iconsBefore + 1);
    EXPECT_TRUE(testsupport::FindMessageBoxes(bar.ProcessId()).empty());
}

TEST(BarStart, SecondStartLeavesWithoutWindowBoxOrHardwareCall) {
    BarRun run;
    const ChildProcess& first = run.Start();
    HWND window = BarRun::WaitForBarWindow(first, kStartTimeout);
    ASSERT_NE(window, nullptr);
    const auto before = WaitForJournal(run, [](const JournalLine& l) { return IsCall(l, "WriteEC", "0x75B"); });

    const ChildProcess& second = run.Start();
    ASSERT_TRUE(second.WaitForExit(kStartTimeout));
    EXPECT_EQ(BarRun::WaitForBarWindow(second, 0), nullptr);
    EXPECT_TRUE(testsupport::FindMessageBoxes(second.ProcessId()).empty());
    // A start that got past the single-instance test would begin with the library's start.
    // Meanwhile the first bar may have hidden itself, which only reads and writes 0x75B.
    const auto journal = run.Journal();
    ASSERT_GE(journal.size(), before.size());
    EXPECT_EQ(
        std::count_if(journal.begin(), journal.end(), [](const JournalLine& l) { return IsCall(l, "InitTamsilIO"); }),
        1);
    for (size_t i = before.size(); i < journal.size(); ++i)
        EXPECT_TRUE(IsCall(journal[i], "ReadEC", "0x75B") || IsCall(journal[i], "WriteEC", "0x75B"))
            << e2e::CallText(journal[i]);
    EXPECT_FALSE(first.WaitForExit(0));
    EXPECT_TRUE(IsWindow(window));
}

// The single-instance test goes by the mutex name "Vantelo II", which any program can hold:
// a start that finds it leaves as a second start does.
TEST(BarStart, InstanceMutexHeldByAnotherProgramStopsTheStart) {
    BarRun run;
    const tamsil::UniqueHandle held(CreateMutexW(nullptr, FALSE, L"Vantelo II"));
    ASSERT_TRUE(held);
    ASSERT_NE(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS)) << "a bar runs already";

    const ChildProcess& bar = run.Start();
    ASSERT_TRUE(bar.WaitForExit(kStartTimeout)) << "the bar started beside the mutex's holder";
    EXPECT_EQ(bar.ExitCode(), 0u);
    EXPECT_EQ(BarRun::WaitForBarWindow(bar, 0), nullptr);
    EXPECT_TRUE(run.Journal().empty()) << "hardware calls after the single-instance test";
}

struct InitFailure {
    const char* label;
    int initResult;
    const wchar_t* text;  // null: no box
};

class BarStartFailure : public ::testing::TestWithParam<InitFailure> {};

TEST_P(BarStartFailure, ShowsItsBoxAndEndsWithoutTouchingTheController) {
    const InitFailure& c = GetParam();
    BarRun run("[Machine]\r\nInitResult=" + std::to_string(c.initResult) + "\r\n");
    const int iconsBefore = e2e::TrayIconCount();
    const ChildProcess& bar = run.Start();

    if (c.text) {
        const auto boxes = testsupport::WaitForMessageBoxes(bar.ProcessId(), kStartTimeout);
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].caption, L"Vantelo II");
        EXPECT_EQ(boxes[0].text, c.text);
        EXPECT_EQ(boxes[0].buttons, std::vector<std::wstring>{L"OK"});
        EXPECT_FALSE(bar.WaitForExit(0)) << "the program ended before the box was answered";
        testsupport::AnswerMessageBox(boxes[0], IDOK);
    }
    ASSERT_TRUE(bar.WaitForExit(kStartTimeout));
    EXPECT_EQ(bar.ExitCode(), 0u);

    const auto journal = run.Journal();
    EXPECT_EQ(e2e::TrayIconCount(), iconsBefore);
    // The start was counted before the library was asked.
    EXPECT_EQ(GetPrivateProfileIntW(L"record", L"TotalCount", -1, run.Folder().File(L"test.ini").c_str()), 1);
    ASSERT_EQ(journal.size(), 1u) << "calls after the failed start";
    EXPECT_TRUE(IsCall(journal[0], "InitTamsilIO"));
    EXPECT_EQ(run.ReadRegister(0x75B), 0u);
}

INSTANTIATE_TEST_SUITE_P(InitResults, BarStartFailure,
                         ::testing::Values(InitFailure{"NoDriver", 1, L"No Driver"},
                                           InitFailure{
                                               "NotTheMakersMachine", 2,
                                               L"Vantelo II application can not be installed on non Corvane product."},
                                           InitFailure{"OtherFailure", 3, nullptr}),
                         [](const ::testing::TestParamInfo<InitFailure>& info) { return info.param.label; });

// The registry's install status as the bar reads it; none when the key or the value is missing.
std::optional<std::wstring> RegistryInstallStatus() {
    WCHAR text[kInstallStatusSize];
    DWORD bytes = sizeof(text);
    if (RegGetValueW(HKEY_CURRENT_USER, kInstallStatusKey, L"InstallStatus", RRF_RT_REG_SZ, nullptr, text, &bytes) !=
        ERROR_SUCCESS)
        return std::nullopt;
    return std::wstring(text);
}

void ForgetInstallStatus() {
    RegDeleteTreeW(HKEY_CURRENT_USER, kInstallStatusKey);
    RegDeleteKeyW(HKEY_CURRENT_USER, kInstallStatusKey);
}

// How a start ends: with the bar up, or with a box that must be answered before the program
// ends.
struct SyncCase {
    const char* label;
    std::string profile;
    int reportedBytes;   // 0: the start ends before the support-byte report
    const wchar_t* box;  // null: a normal start
    bool synced;         // the registry holds the ini's text once the start is over
};

class InstallStatusAtStart : public ::testing::TestWithParam<SyncCase> {
protected:
    InstallStatusAtStart() { ForgetInstallStatus(); }
    ~InstallStatusAtStart() override { ForgetInstallStatus(); }
};

// The install status goes from .\Setting\data.ini to the registry only once the hardware
// library has started and the support bytes are read, and before the button-count check: a
// start whose check fails has handed it over, one whose library failed has not. The last two
// bytes of each report take their retries, so the handshake's end lasts well over a second:
// the registry must not have the text while it runs.
TEST_P(InstallStatusAtStart, IsHandedToTheRegistryBetweenTheHandshakeAndTheCountCheck) {
    const SyncCase& c = GetParam();
    const std::wstring status = L"Installed " + std::to_wstring(GetTickCount());
    BarRun run(c.profile);
    const std::string ini = "[data]\r\nInstallStatus=" + testsupport::WideToUtf8(status) + "\r\n";
    ASSERT_TRUE(CreateDirectoryW(run.Folder().File(L"Setting").c_str(), nullptr));
    testsupport::WriteWholeFile(run.Folder().File(L"Setting\\data.ini"), ini);
    const ChildProcess& bar = run.Start();

    if (c.reportedBytes > 0) {
        // The count's acknowledge and all bytes' but the last two: what is left of the report
        // takes eleven reads a byte.
        const auto acknowledges = [](const std::vector<JournalLine>& journal) {
            return std::count_if(journal.begin(), journal.end(),
                                 [](const JournalLine& l) { return e2e::CallText(l) == "WriteEC 0x75A 0xFF"; });
        };
        ASSERT_TRUE(
            testsupport::WaitUntil([&] { return acknowledges(run.Journal()) >= c.reportedBytes - 1; }, kStartTimeout));
        EXPECT_EQ(RegistryInstallStatus(), std::nullopt) << "handed over before the support bytes were read";
    }
    if (c.box) {
        const auto boxes = testsupport::WaitForMessageBoxes(bar.ProcessId(), kStartTimeout);
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, c.box);
        // The start is stopped in the box, before its end.
        EXPECT_EQ(RegistryInstallStatus(), c.synced ? std::optional<std::wstring>(status) : std::nullopt);
        testsupport::AnswerMessageBox(boxes[0], IDOK);
        ASSERT_TRUE(bar.WaitForExit(kStartTimeout));
    } else {
        ASSERT_NE(run.WaitForStartedBar(bar, kStartTimeout), nullptr);
    }
    EXPECT_EQ(RegistryInstallStatus(), c.synced ? std::optional<std::wstring>(status) : std::nullopt);
    EXPECT_EQ(testsupport::ReadWholeFile(run.Folder().File(L"Setting\\data.ini")), testsupport::Utf8ToWide(ini))
        << "the ini file is only read";
}

INSTANTIATE_TEST_SUITE_P(
    Starts, InstallStatusAtStart,
    ::testing::Values(
        SyncCase{"NormalStart", e2e::MachineProfile("1 1 1", "ByteZeroReads=0 10 10\r\n"), 3, nullptr, true},
        SyncCase{"CountCheckFails", e2e::MachineProfile("0 0 0"), 3, L"Button count Error code 1 !", true},
        SyncCase{"LibraryFails", "[Machine]\r\nInitResult=1\r\n", 0, L"No Driver", false}),
    [](const ::testing::TestParamInfo<SyncCase>& info) { return info.param.label; });

TEST(BarEnd, CloseMessageEndsTheProgramWithTheRunningBitCleared) {
    BarRun run("[Machine]\r\nReg75B=0x01\r\n");
    const ChildProcess& bar = run.Start();
    HWND window = BarRun::WaitForBarWindow(bar, kStartTimeout);
    ASSERT_NE(window, nullptr);
    WaitForJournal(run, [](const JournalLine& l) { return IsCall(l, "WriteEC", "0x75B"); });
    ASSERT_EQ(run.ReadRegister(0x75B), 0x81u);
    const int iconsWhileRunning = e2e::TrayIconCount();

    const std::wstring winreap = testsupport::OutDirectory() + L"\\Winreap.exe";
    ChildProcess reaper(winreap, L"\"" + winreap + L"\" Vantelo II.exe");
    ASSERT_TRUE(reaper.WaitForExit(kStartTimeout));
    ASSERT_TRUE(bar.WaitForExit(kStartTimeout));
    EXPECT_EQ(bar.ExitCode(), 0u);

    const auto journal = run.Journal();
    ASSERT_GE(journal.size(), 2u);
    const JournalLine& read = journal[journal.size() - 2];
    const JournalLine& write = journal.back();
    EXPECT_TRUE(IsCall(read, "ReadEC", "0x75B"));
    EXPECT_EQ(write.arguments, (std::vector<std::string>{"0x75B", "0x1"}));
    EXPECT_GE(write.milliseconds - read.milliseconds, 50.0);
    EXPECT_EQ(run.ReadRegister(0x75B), 0x01u) << "the shown bit stays as it was";
    EXPECT_EQ(e2e::TrayIconCount(), iconsWhileRunning - 1) << "the icon stays after the end";
}

HWND WaitForAboutBox(DWORD milliseconds) {
    HWND about = nullptr;
    testsupport::WaitUntil([&] { return (about = FindWindowW(L"#32770", L"About Vantelo II")) != nullptr; },
                           milliseconds);
    return about;
}

// The system commands whose id masks to 16 open the About box; the boundaries and one
// inside, and the neighbours outside, which get the default processing.
TEST(BarSystemMenu, CommandsMaskingToSixteenOpenTheAboutBox) {
    BarRun run;
    const ChildProcess& bar = run.Start();
    HWND window = BarRun::WaitForBarWindow(bar, kStartTimeout);
    ASSERT_NE(window, nullptr);
    for (UINT command : {16u, 23u, 31u}) {
        PostMessageW(window, WM_SYSCOMMAND, command, 0);
        HWND about = WaitForAboutBox(5000);
        ASSERT_NE(about, nullptr) << "command " << command;
        DWORD owner = 0;
        GetWindowThreadProcessId(about, &owner);
        EXPECT_EQ(owner, bar.ProcessId());
        PostMessageW(about, WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(testsupport::WaitUntil([&] { return !IsWindow(about); }, 5000)) << "command " << command;
    }
    for (UINT command : {15u, 32u}) {
        PostMessageW(window, WM_SYSCOMMAND, command, 0);
        EXPECT_EQ(WaitForAboutBox(1000), nullptr) << "command " << command;
    }
    EXPECT_FALSE(bar.WaitForExit(0));
}

}  // namespace
