// tamsilctl run as a process against the machine that the test's own process uses through
// the library: every command, its output and its bad uses.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "MachineScope.h"
#include "tamsil/TamsilIO.h"

namespace {

using tamsiltest::Lines;
using tamsiltest::MachineScope;
using tamsiltest::ProgramRun;
using tamsiltest::RunTamsilctl;
using tamsiltest::WithoutStamp;

void ExpectAnswer(const ProgramRun& run, const std::string& out) {
    EXPECT_EQ(run.exitCode, 0u) << run.err;
    EXPECT_EQ(run.out, out);
    EXPECT_EQ(run.err, "");
}

TEST(Tamsilctl, ReadAndWriteReachTheLibraryOfAnotherProcess) {
    MachineScope scope;
    TamsilEC ec;
    ec.WriteEC(0x75B, 0x81, 0);
    ExpectAnswer(RunTamsilctl(scope, L"read 0x75B"), "0x81\r\n");
    ExpectAnswer(RunTamsilctl(scope, L"write 1947 1"), "");
    EXPECT_EQ(ec.ReadEC(0x79B, 0), 1u);
    ExpectAnswer(RunTamsilctl(scope, L"read 0xFFFF"), "0x0\r\n");

    // The mailbox: a read from tamsilctl looks without taking a zero read; a write acknowledges.
    RunTamsilctl(scope, L"reset " + scope.WriteProfile("[Machine]\nSupportBytes=3 9\nCountZeroReads=1\n"));
    TamsilWMI wmi;
    wmi.GetLong32(0x200, 0x80);
    ExpectAnswer(RunTamsilctl(scope, L"read 0x75A"), "0x0\r\n");
    EXPECT_EQ(ec.ReadEC(0x75A, 0), 0u);
    ExpectAnswer(RunTamsilctl(scope, L"read 0x75A"), "0x2\r\n");
    ExpectAnswer(RunTamsilctl(scope, L"write 0x75A 0xFF"), "");
    ExpectAnswer(RunTamsilctl(scope, L"read 0x75A"), "0x3\r\n");
    EXPECT_EQ(ec.ReadEC(0x75A, 0), 3u);

    const std::vector<std::string> journal = scope.Open()->Journal();
    ASSERT_EQ(journal.size(), 3u) << "tamsilctl's reads and writes are no library calls";
    EXPECT_EQ(WithoutStamp(journal[0]), "GetLong32 0x200 0x80 -> 0x0");
}

TEST(Tamsilctl, AnswerChangesWhatAQueryGives) {
    MachineScope scope;
    TamsilWMI wmi;
    EXPECT_EQ(wmi.GetLong32(0x2000, 0), 0u);
    ExpectAnswer(RunTamsilctl(scope, L"answer 0x2000 1"), "");
    ExpectAnswer(RunTamsilctl(scope, L"answer 9472 0xFFFFFFFF"), "");
    ExpectAnswer(RunTamsilctl(scope, L"answer 0x1900 0"), "");
    EXPECT_EQ(wmi.GetLong32(0x2000, 0), 1u);
    EXPECT_EQ(wmi.GetLong32(0x2500, 0), 0xFFFFFFFFu);
    EXPECT_EQ(wmi.GetLong32(0x1900, 0), 0u);
}

TEST(Tamsilctl, ResetMakesTheProfilesMachineOrTheDefaultAndClearsTheJournal) {
    MachineScope scope;
    scope.UseProfile("[Machine]\nInitResult=1\n");
    EXPECT_EQ(InitTamsilIO(nullptr), 1);
    const std::wstring profile = scope.WriteProfile("[Machine]\nInitResult=2\nReg75B=0x80\nQuery2000=1\n", L"p.ini");
    ExpectAnswer(RunTamsilctl(scope, L"reset \"" + profile + L"\""), "");
    ExpectAnswer(RunTamsilctl(scope, L"journal"), "");
    ExpectAnswer(RunTamsilctl(scope, L"read 0x75B"), "0x80\r\n");
    EXPECT_EQ(InitTamsilIO(nullptr), 2);
    EXPECT_EQ(TamsilWMI().GetLong32(0x2000, 0), 1u);

    ExpectAnswer(RunTamsilctl(scope, L"reset"), "");
    ExpectAnswer(RunTamsilctl(scope, L"read 0x75B"), "0x0\r\n");
    EXPECT_EQ(InitTamsilIO(nullptr), 0) << "reset without a profile makes the default machine";
    ASSERT_EQ(scope.Open()->Journal().size(), 1u);
}

TEST(Tamsilctl, JournalPrintsTheLibrarysCallsInOrder) {
    MachineScope scope;
    TamsilEC ec;
    ec.ReadEC(0x75B, 0);
    ec.WriteEC(0x75B, 0x80, 0);
    TamsilWMI().GetLong32(0x200, 3);
    const ProgramRun run = RunTamsilctl(scope, L"journal");
    ASSERT_EQ(run.exitCode, 0u);
    const std::vector<std::string> lines = Lines(run.out);
    EXPECT_EQ(lines, scope.Open()->Journal());
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(WithoutStamp(lines[0]), "ReadEC 0x75B -> 0x0");
    EXPECT_EQ(WithoutStamp(lines[1]), "WriteEC 0x75B 0x80");
    EXPECT_EQ(WithoutStamp(lines[2]), "GetLong32 0x200 0x3 -> 0x0");
}

TEST(Tamsilctl, EventReachesTheBoundWindowOfAnotherProcess) {
    MachineScope scope;
    tamsiltest::EventWindow window;
    TamsilWMIEvent sink;
    sink.Init(window.Handle(), WM_USER + 12);
    ExpectAnswer(RunTamsilctl(scope, L"event 0xA2"), "");
    ExpectAnswer(RunTamsilctl(scope, L"event 161"), "");
    MSG message;
    ASSERT_TRUE(window.WaitFor(WM_USER + 12, 5000, &message));
    EXPECT_EQ(message.wParam, 0xA2u);
    ASSERT_TRUE(window.WaitFor(WM_USER + 12, 5000, &message));
    EXPECT_EQ(message.wParam, 0xA1u);

    const std::vector<std::string> journal = Lines(RunTamsilctl(scope, L"journal").out);
    ASSERT_EQ(journal.size(), 5u);
    EXPECT_EQ(WithoutStamp(journal[1]), "Event 0xA2");
    EXPECT_EQ(WithoutStamp(journal[2]), "Post 0xA2");
    EXPECT_EQ(WithoutStamp(journal[3]), "Event 0xA1");
    EXPECT_EQ(WithoutStamp(journal[4]), "Post 0xA1");
}

TEST(Tamsilctl, EventFailsWhenTheQueueIsFull) {
    MachineScope scope;
    std::unique_ptr<tamsil::Machine> machine = scope.Open();
    while (machine->InjectEvent(0xA0)) {
    }
    const ProgramRun run = RunTamsilctl(scope, L"event 0xA0");
    EXPECT_EQ(run.exitCode, 2u);
    EXPECT_NE(run.err.find("event queue full"), std::string::npos) << run.err;
}

struct BadUse {
    const wchar_t* arguments;
    const char* message;
};

TEST(Tamsilctl, BadUseExitsWithTwoAndAMessageAndChangesNothing) {
    MachineScope scope;
    const std::wstring broken = scope.WriteProfile("[Machine]\nSupportBytes=1 2 300\n", L"broken.ini");
    const std::wstring missing = scope.File(L"missing.ini");
    const std::wstring resetBroken = L"reset \"" + broken + L"\"";
    const std::wstring resetMissing = L"reset \"" + missing + L"\"";
    const BadUse cases[] = {
        {L"", "usage: tamsilctl"},
        {L"status", "usage: tamsilctl"},
        {L"READ 0x75B", "usage: tamsilctl"},
        {L"read", "usage: tamsilctl"},
        {L"read 0x75B 1", "usage: tamsilctl"},
        {L"read 0x10000", "bad register"},
        {L"read -1", "bad register"},
        {L"read 75Bh", "bad register"},
        {L"write 0x75B", "usage: tamsilctl"},
        {L"write 0x75B 0x100", "bad value"},
        {L"write 0x75B one", "bad value"},
        {L"write 0x1FFFF 1", "bad register"},
        {L"answer 0x1234 1", "bad query"},
        {L"answer 0x1900", "usage: tamsilctl"},
        {L"answer 0x1900 0x100000000", "bad answer"},
        {L"event", "usage: tamsilctl"},
        {L"event 0xZ0", "bad event code"},
        {L"event 4294967296", "bad event code"},
        {L"journal all", "usage: tamsilctl"},
        {L"reset a b", "usage: tamsilctl"},
        {resetMissing.c_str(), "cannot open the profile"},
        {resetBroken.c_str(), "line 2: bad value"},
    };
    TamsilEC ec;
    ec.WriteEC(0x75B, 0x80, 0);
    for (const BadUse& c : cases) {
        const ProgramRun run = RunTamsilctl(scope, c.arguments);
        EXPECT_EQ(run.exitCode, 2u) << testsupport::WideToUtf8(c.arguments);
        EXPECT_EQ(run.out, "") << testsupport::WideToUtf8(c.arguments);
        EXPECT_NE(run.err.find(c.message), std::string::npos)
            << testsupport::WideToUtf8(c.arguments) << ": " << run.err;
    }
    EXPECT_EQ(ec.ReadEC(0x75B, 0), 0x80u);
    EXPECT_EQ(TamsilWMI().GetLong32(0x1900, 0), 1u);
    EXPECT_EQ(scope.Open()->Journal().size(), 3u) << "no event was queued, the journal not cleared";
}

TEST(Tamsilctl, BadCreationProfileIsReportedAndResetStillWorks) {
    MachineScope scope;
    scope.UseProfile("[Machine]\nReg79B=2x\n");
    const ProgramRun run = RunTamsilctl(scope, L"read 0x79B");
    EXPECT_EQ(run.exitCode, 2u);
    EXPECT_NE(run.err.find("TAMSILIO_PROFILE: line 2: bad value"), std::string::npos) << run.err;
    ExpectAnswer(RunTamsilctl(scope, L"reset"), "");
    ExpectAnswer(RunTamsilctl(scope, L"read 0x79B"), "0x0\r\n");
}

}  // namespace
