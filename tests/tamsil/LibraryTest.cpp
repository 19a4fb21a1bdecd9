// The hardware library's calls against the simulated machine, in the test's own process:
// the support-byte mailbox, registers, query answers, start-up results, hotkey events and the
// call journal.
#include <gtest/gtest.h>

#include <cstddef>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "MachineScope.h"
#include "tamsil/TamsilIO.h"

namespace {

using tamsiltest::MachineScope;

constexpr unsigned kMailbox = 0x75A;
constexpr UINT kEventMessage = WM_USER + 12;

// One step of a conversation with the mailbox: a read and the value it must give, a write, or
// the report request.
struct Step {
    enum Kind { kRead, kWrite, kRequest } kind;
    unsigned value;
};

constexpr Step Read(unsigned expected) {
    return {Step::kRead, expected};
}
constexpr Step Ack() {
    return {Step::kWrite, 0xFF};
}
constexpr Step Write(unsigned value) {
    return {Step::kWrite, value};
}
constexpr Step Request() {
    return {Step::kRequest, 0};
}

struct Conversation {
    const char* label;
    const char* profile;
    std::vector<Step> steps;
};

class Mailbox : public ::testing::TestWithParam<Conversation> {};

TEST_P(Mailbox, AnswersTheSupportByteHandshake) {
    const Conversation& c = GetParam();
    MachineScope scope;
    scope.UseProfile(c.profile);
    TamsilWMI* wmi = nullptr;
    ASSERT_EQ(InitTamsilIO(&wmi), 0);
    std::unique_ptr<TamsilWMI> owner(wmi);
    TamsilEC ec;
    for (size_t i = 0; i < c.steps.size(); ++i) {
        const Step& step = c.steps[i];
        if (step.kind == Step::kRead)
            EXPECT_EQ(ec.ReadEC(kMailbox, 0), step.value) << "step " << i;
        else if (step.kind == Step::kWrite)
            ec.WriteEC(kMailbox, step.value, 0);
        else
            EXPECT_EQ(wmi->GetLong32(0x200, 0x80), 0u);
    }
}

const Conversation kConversations[] = {
    {"ZeroReadsBeforeTheCountAndBeforeBytes",
     "[Machine]\nSupportBytes=5 0 7\nCountZeroReads=2\nByteZeroReads=0 3 1\n",
     {Read(0), Ack(),   Read(0), Request(), Read(0), Read(0), Read(3), Read(3), Ack(),   Read(5), Read(5), Ack(),
      Read(0), Read(0), Read(0), Read(0),   Ack(),   Read(0), Read(7), Ack(),   Read(0), Ack(),   Read(0)}},
    // The bar retries the count ten times: four zero reads are overcome on the fourth retry.
    {"CountAcceptedOnTheFourthRetry",
     "[Machine]\nSupportBytes=1 1\nCountZeroReads=4\n",
     {Request(), Read(0), Read(0), Read(0), Read(0), Read(2), Ack(), Read(1), Ack(), Read(1), Ack(), Read(0)}},
    // Eleven reads of 0 make the bar give up; it writes no acknowledge.
    {"CountNeverArrivesWithinElevenReads",
     "[Machine]\nCountZeroReads=11\n",
     {Request(), Read(0), Read(0), Read(0), Read(0), Read(0), Read(0), Read(0), Read(0), Read(0), Read(0), Read(0),
      Read(19)}},
    {"EmptyReportReadsZeroForever", "[Machine]\nSupportBytes=\n", {Request(), Read(0), Read(0), Ack(), Read(0)}},
    // A byte the bar gave up on is still acknowledged; the next byte follows.
    {"AcknowledgeMovesOnWhileAByteStillReadsZero",
     "[Machine]\nSupportBytes=4 6\nByteZeroReads=20 0\n",
     {Request(), Read(2), Ack(), Read(0), Read(0), Ack(), Read(6), Ack(), Read(0)}},
    {"OnlyTheAcknowledgeValueMovesOn",
     "[Machine]\nSupportBytes=4 6\n",
     {Request(), Read(2), Write(0x01), Write(0xFE), Read(2), Ack(), Write(0), Read(4), Ack(), Read(6)}},
    {"ANewRequestStartsTheReportOver",
     "[Machine]\nSupportBytes=4 6\nCountZeroReads=1\n",
     {Request(), Read(0), Read(2), Ack(), Read(4), Request(), Read(0), Read(2), Ack(), Read(4)}},
};

INSTANTIATE_TEST_SUITE_P(Handshakes, Mailbox, ::testing::ValuesIn(kConversations),
                         [](const ::testing::TestParamInfo<Conversation>& info) { return info.param.label; });

TEST(Registers, HoldWhatWasWrittenAsBytesFromTheProfileOn) {
    MachineScope scope;
    scope.UseProfile("[Machine]\nReg75B=0x81\nReg79B=1\n");
    TamsilEC ec;
    EXPECT_EQ(ec.ReadEC(0x75B, 0), 0x81u);
    EXPECT_EQ(ec.ReadEC(0x79B, 0), 1u);
    EXPECT_EQ(ec.ReadEC(0x700, 0), 0u);

    ec.WriteEC(0x75B, 0x01, 0);
    ec.WriteEC(0x79B, 0x1A5, 0);  // only the low byte is held
    ec.WriteEC(0xFFFF, 0x33, 0);
    ec.WriteEC(0x10000, 0x44, 0);  // no such register: ignored
    TamsilEC other;
    EXPECT_EQ(other.ReadEC(0x75B, 0), 0x01u);
    EXPECT_EQ(other.ReadEC(0x79B, 0), 0xA5u);
    EXPECT_EQ(other.ReadEC(0xFFFF, 0), 0x33u);
    EXPECT_EQ(other.ReadEC(0x10000, 0), 0u);
    EXPECT_EQ(other.ReadEC(0x0000, 0), 0u);
}

TEST(Queries, AnswerFromTheProfileAndFunctionsAnswerZero) {
    MachineScope scope;
    scope.UseProfile("[Machine]\nQuery1900=0\nQuery2000=1\nQuery2500=0x1234\n");
    TamsilWMI* wmi = nullptr;
    ASSERT_EQ(InitTamsilIO(&wmi), 0);
    ASSERT_NE(wmi, nullptr);
    std::unique_ptr<TamsilWMI> owner(wmi);
    EXPECT_EQ(wmi->GetLong32(0x1900, 0), 0u);
    EXPECT_EQ(wmi->GetLong32(0x2000, 0), 1u);
    EXPECT_EQ(wmi->GetLong32(0x2500, 0), 0x1234u);
    EXPECT_EQ(wmi->GetLong32(0x200, 5), 0u);
    EXPECT_EQ(wmi->GetLong32(0x200, 0x80), 0u);
    EXPECT_EQ(wmi->GetLong32(0x3000, 0), 0u);
}

TEST(Startup, InitResultComesFromTheProfileAndOnlyZeroGivesTheObject) {
    const int results[] = {0, 1, 2, 3, -5};
    for (int expected : results) {
        MachineScope scope;
        scope.UseProfile("[Machine]\nInitResult=" + std::to_string(expected) + "\n");
        TamsilWMI* wmi = reinterpret_cast<TamsilWMI*>(1);
        EXPECT_EQ(InitTamsilIO(&wmi), expected);
        EXPECT_EQ(wmi != nullptr, expected == 0) << expected;
        delete wmi;
        const std::vector<std::string> journal = scope.Open()->Journal();
        ASSERT_EQ(journal.size(), 1u) << expected;
        EXPECT_EQ(tamsiltest::WithoutStamp(journal[0]), "InitTamsilIO -> " + std::to_string(expected));
    }
}

TEST(Startup, ProfileNamesTheMachineOnlyWhenItIsMade) {
    MachineScope scope;
    scope.UseProfile("[Machine]\nInitResult=2\n");
    EXPECT_EQ(InitTamsilIO(nullptr), 2);
    scope.UseProfile("[Machine]\nInitResult=1\n");
    EXPECT_EQ(InitTamsilIO(nullptr), 2) << "the existing machine is kept";
}

TEST(Startup, UnreadableProfileLeavesNoMachine) {
    MachineScope scope;
    scope.UseProfile("[Machine]\nInitResult=none\n");
    TamsilWMI* wmi = nullptr;
    EXPECT_EQ(InitTamsilIO(&wmi), -1);
    EXPECT_EQ(wmi, nullptr);
    TamsilEC ec;
    ec.WriteEC(0x75B, 0x80, 0);
    EXPECT_EQ(ec.ReadEC(0x75B, 0), 0u);

    scope.UseProfile("[Machine]\nInitResult=1\n");
    EXPECT_EQ(InitTamsilIO(nullptr), 1) << "the next user makes the machine";
}

TEST(Startup, MachineFileIsTamsilIOMachineInTheTemporaryFolderUnlessNamed) {
    MachineScope scope;
    EXPECT_EQ(tamsil::MachinePath(), scope.MachineFile());
    SetEnvironmentVariableW(L"TAMSILIO_MACHINE", nullptr);
    wchar_t temp[MAX_PATH + 1];
    ASSERT_GT(GetTempPathW(MAX_PATH + 1, temp), 0u);
    EXPECT_EQ(tamsil::MachinePath(), std::wstring(temp) + L"TamsilIO.machine");
}

TEST(Startup, FileOfAnotherLayoutIsMadeAfresh) {
    MachineScope scope;
    testsupport::WriteWholeFile(scope.MachineFile(), std::string(4096, '\x5A'));
    scope.UseProfile("[Machine]\nReg79B=1\n");
    TamsilEC ec;
    EXPECT_EQ(ec.ReadEC(0x79B, 0), 1u);
    EXPECT_EQ(ec.ReadEC(0x75A, 0), 0u);
    EXPECT_EQ(scope.Open()->Journal().size(), 2u);
}

// One field of the machine file overwritten at its place, as damage or a stale file leaves it.
struct Patch {
    size_t offset;
    uint32_t value;
};

constexpr size_t kByteCountOffset = offsetof(tamsil::MachineState, profile) + offsetof(tamsil::Profile, byteCount);
constexpr size_t kPhaseOffset = offsetof(tamsil::MachineState, mailboxPhase);
constexpr size_t kIndexOffset = offsetof(tamsil::MachineState, mailboxIndex);
constexpr size_t kEventFirstOffset = offsetof(tamsil::MachineState, eventFirst);
constexpr size_t kEventCountOffset = offsetof(tamsil::MachineState, eventCount);
constexpr uint32_t kBytesPhase = static_cast<uint32_t>(tamsil::MailboxPhase::kBytes);

void PatchFile(const std::wstring& path, const std::vector<Patch>& patches) {
    tamsil::UniqueHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(file);
    for (const Patch& patch : patches) {
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(patch.offset);
        DWORD written = 0;
        ASSERT_TRUE(WriteFile(file.Get(), &patch.value, sizeof(patch.value), &written, &at));
        ASSERT_EQ(written, sizeof(patch.value));
    }
}

struct DamageCase {
    const char* label;
    std::vector<Patch> patches;
    const char* resetLine;  // null: the values are within their bounds and kept
};

class MachineFile : public ::testing::TestWithParam<DamageCase> {};

// The register written before the damage tells a kept machine from a reset one; the mailbox
// read and the event delivery would go past their arrays if the damage were used.
TEST_P(MachineFile, CountOrIndexOutOfBoundsResetsTheMachine) {
    const DamageCase& c = GetParam();
    MachineScope scope;
    scope.Open()->SetRegister(0x79B, 0x5A);
    PatchFile(scope.MachineFile(), c.patches);

    TamsilEC ec;
    const unsigned held = ec.ReadEC(0x79B, 0);
    ec.ReadEC(kMailbox, 0);
    std::unique_ptr<tamsil::Machine> machine = scope.Open();
    const std::vector<std::string> journal = machine->Journal();
    size_t delivered = 0;
    machine->DeliverEvents([&delivered](uint32_t) {
        ++delivered;
        return true;
    });

    if (!c.resetLine) {
        EXPECT_EQ(held, 0x5Au) << "a machine within its bounds is kept";
        ASSERT_EQ(journal.size(), 2u);
        EXPECT_EQ(tamsiltest::WithoutStamp(journal[0]), "ReadEC 0x79B -> 0x5A");
        return;
    }
    EXPECT_EQ(held, 0u) << "the default machine's register";
    EXPECT_EQ(delivered, 0u);
    ASSERT_EQ(journal.size(), 3u);
    EXPECT_GE(tamsiltest::Stamp(journal[0]), 0.0) << journal[0];
    EXPECT_EQ(tamsiltest::WithoutStamp(journal[0]), c.resetLine);
    EXPECT_EQ(tamsiltest::WithoutStamp(journal[2]), "ReadEC 0x75A -> 0x0") << "the reset machine reports nothing";
}

INSTANTIATE_TEST_SUITE_P(
    Bounds, MachineFile,
    ::testing::Values(
        DamageCase{"ByteCountPastTheMost",
                   {{kByteCountOffset, tamsil::kMaxSupportBytes + 1}},
                   "Reset SupportByteCount out of bounds"},
        DamageCase{"ByteCountAtTheMostKept", {{kByteCountOffset, tamsil::kMaxSupportBytes}}, nullptr},
        DamageCase{"UnknownMailboxPhase", {{kPhaseOffset, kBytesPhase + 1}}, "Reset MailboxPhase out of bounds"},
        DamageCase{"MailboxIndexAtTheCount",
                   {{kPhaseOffset, kBytesPhase}, {kIndexOffset, 19}},
                   "Reset MailboxIndex out of bounds"},
        DamageCase{"MailboxIndexOfTheLastByteKept", {{kPhaseOffset, kBytesPhase}, {kIndexOffset, 18}}, nullptr},
        DamageCase{"MailboxIndexFarOut",
                   {{kPhaseOffset, kBytesPhase}, {kIndexOffset, 0x7FFFFFFF}},
                   "Reset MailboxIndex out of bounds"},
        DamageCase{"EventFirstPastTheQueue",
                   {{kEventFirstOffset, 0x40000000}, {kEventCountOffset, 1}},
                   "Reset EventFirst out of bounds"},
        DamageCase{"EventCountPastTheQueue",
                   {{kEventCountOffset, tamsil::kEventCapacity + 1}},
                   "Reset EventCount out of bounds"},
        DamageCase{"FullQueueKept", {{kEventCountOffset, tamsil::kEventCapacity}}, nullptr}),
    [](const ::testing::TestParamInfo<DamageCase>& info) { return info.param.label; });

TEST(MachineFile, ResetUsesTheNamedProfile) {
    MachineScope scope;
    scope.Open();
    PatchFile(scope.MachineFile(), {{kEventCountOffset, 0xFFFFFFFF}});
    scope.UseProfile("[Machine]\nReg79B=1\n");
    TamsilEC ec;
    EXPECT_EQ(ec.ReadEC(0x79B, 0), 1u);
    const std::vector<std::string> journal = scope.Open()->Journal();
    ASSERT_FALSE(journal.empty());
    EXPECT_EQ(tamsiltest::WithoutStamp(journal[0]), "Reset EventCount out of bounds");
}

TEST(Events, ArePostedToTheBoundWindowInOrderWithTheCodeInWParam) {
    MachineScope scope;
    tamsiltest::EventWindow window;
    TamsilWMIEvent sink;
    EXPECT_EQ(sink.Init(window.Handle(), kEventMessage), 1);

    std::unique_ptr<tamsil::Machine> machine = scope.Open();
    const uint32_t codes[] = {0xA0, 0xA3, 0x55, 0xA1};
    for (uint32_t code : codes)
        ASSERT_TRUE(machine->InjectEvent(code));
    for (uint32_t code : codes) {
        MSG message;
        ASSERT_TRUE(window.WaitFor(kEventMessage, 5000, &message)) << code;
        EXPECT_EQ(message.wParam, code);
        EXPECT_EQ(message.lParam, 0);
    }

    const std::vector<std::string> journal = machine->Journal();
    ASSERT_EQ(journal.size(), 9u);
    char init[64];
    wsprintfA(init, "Init 0x%X 0x40C -> 1", static_cast<unsigned>(reinterpret_cast<UINT_PTR>(window.Handle())));
    EXPECT_EQ(tamsiltest::WithoutStamp(journal[0]), init);
    // Each code is journaled when injected and again when posted, the post after the injection.
    for (uint32_t code : codes) {
        char hex[16];
        wsprintfA(hex, "0x%X", code);
        int injected = -1;
        int posted = -1;
        for (size_t i = 0; i < journal.size(); ++i) {
            if (tamsiltest::WithoutStamp(journal[i]) == std::string("Event ") + hex)
                injected = static_cast<int>(i);
            if (tamsiltest::WithoutStamp(journal[i]) == std::string("Post ") + hex)
                posted = static_cast<int>(i);
        }
        ASSERT_GE(injected, 0) << hex;
        EXPECT_GT(posted, injected) << hex;
    }
}

TEST(Events, GoToTheLatestBindingAndWaitWhileNoSinkRuns) {
    MachineScope scope;
    tamsiltest::EventWindow first;
    tamsiltest::EventWindow second;
    std::unique_ptr<tamsil::Machine> machine = scope.Open();
    MSG message;
    {
        TamsilWMIEvent sink;
        EXPECT_EQ(sink.Init(nullptr, kEventMessage), 0) << "no window";
        sink.Init(first.Handle(), kEventMessage);
        EXPECT_EQ(sink.Init(second.Handle(), WM_APP), 1);
        ASSERT_TRUE(machine->InjectEvent(0xA2));
        ASSERT_TRUE(second.WaitFor(WM_APP, 5000, &message));
        EXPECT_EQ(message.wParam, 0xA2u);
        EXPECT_FALSE(first.WaitFor(kEventMessage, 0, &message));
    }
    // Had the old sink's thread outlived it, it would have taken the event for the second window.
    ASSERT_TRUE(machine->InjectEvent(0xA0));
    TamsilWMIEvent later;
    later.Init(first.Handle(), kEventMessage);
    ASSERT_TRUE(first.WaitFor(kEventMessage, 5000, &message)) << "a queued event reaches the next sink";
    EXPECT_EQ(message.wParam, 0xA0u);
    EXPECT_FALSE(second.WaitFor(WM_APP, 0, &message)) << "the sink is gone, its thread with it";
}

TEST(Events, QueueHasABoundThatInjectionReports) {
    MachineScope scope;
    std::unique_ptr<tamsil::Machine> machine = scope.Open();
    for (uint32_t i = 0; i < tamsil::kEventCapacity; ++i)
        ASSERT_TRUE(machine->InjectEvent(i));
    EXPECT_FALSE(machine->InjectEvent(0xA0));
    std::vector<uint32_t> taken;
    machine->DeliverEvents([&taken](uint32_t code) {
        taken.push_back(code);
        return true;
    });
    ASSERT_EQ(taken.size(), tamsil::kEventCapacity);
    EXPECT_EQ(taken.front(), 0u);
    EXPECT_EQ(taken.back(), tamsil::kEventCapacity - 1);
    EXPECT_TRUE(machine->InjectEvent(0xA0));
}

TEST(Journal, OneLinePerCallInItsFormatWithMillisecondStamps) {
    MachineScope scope;
    TamsilWMI* wmi = nullptr;
    const double beforeMaking = testsupport::CounterMilliseconds();
    ASSERT_EQ(InitTamsilIO(&wmi), 0);
    const double afterMaking = testsupport::CounterMilliseconds();
    std::unique_ptr<TamsilWMI> owner(wmi);
    TamsilEC ec;
    wmi->GetLong32(0x200, 0x80);
    const double beforeRead = testsupport::CounterMilliseconds();
    ec.ReadEC(kMailbox, 0);
    const double afterRead = testsupport::CounterMilliseconds();
    ASSERT_TRUE(testsupport::WaitUntil([&] { return testsupport::CounterMilliseconds() - afterRead >= 60; }, 10000));
    const double beforeWrite = testsupport::CounterMilliseconds();
    ec.WriteEC(kMailbox, 0xFF, 0);
    const double afterWrite = testsupport::CounterMilliseconds();
    wmi->GetLong32(-1, 0x2500);
    ec.ReadEC(0x79B, 0);

    const std::vector<std::string> journal = scope.Open()->Journal();
    const char* expected[] = {"InitTamsilIO -> 0",  "GetLong32 0x200 0x80 -> 0x0",        "ReadEC 0x75A -> 0x13",
                              "WriteEC 0x75A 0xFF", "GetLong32 0xFFFFFFFF 0x2500 -> 0x0", "ReadEC 0x79B -> 0x0"};
    ASSERT_EQ(journal.size(), std::size(expected));
    const std::regex stamp("(0|[1-9][0-9]*)\\.[0-9]{3} .*");
    for (size_t i = 0; i < journal.size(); ++i) {
        EXPECT_TRUE(std::regex_match(journal[i], stamp)) << journal[i];
        EXPECT_EQ(tamsiltest::WithoutStamp(journal[i]), expected[i]);
        if (i > 0) {
            EXPECT_GE(tamsiltest::Stamp(journal[i]), tamsiltest::Stamp(journal[i - 1])) << i;
        }
    }
    // The stamps are the shared clock's, in whole microseconds: the pause between the read and
    // the write lies within what the test measured around the two calls.
    constexpr double kMicrosecond = 0.001;
    const double pause = tamsiltest::Stamp(journal[3]) - tamsiltest::Stamp(journal[2]);
    EXPECT_GE(pause, beforeWrite - afterRead - kMicrosecond);
    EXPECT_LE(pause, afterWrite - beforeRead + kMicrosecond);
    EXPECT_LE(tamsiltest::Stamp(journal[0]), afterMaking - beforeMaking + kMicrosecond)
        << "counted from the machine's making";
}

TEST(Journal, KeepsTheNewestEntriesWhenFull) {
    MachineScope scope;
    std::unique_ptr<tamsil::Machine> machine = scope.Open();
    const uint32_t calls = tamsil::kJournalCapacity + 5;
    for (uint32_t reg = 0; reg < calls; ++reg)
        machine->ReadEC(reg);
    const std::vector<std::string> journal = machine->Journal();
    ASSERT_EQ(journal.size(), tamsil::kJournalCapacity);
    EXPECT_EQ(tamsiltest::WithoutStamp(journal.front()), "ReadEC 0x5 -> 0x0");
    char last[32];
    wsprintfA(last, "ReadEC 0x%X -> 0x0", calls - 1);
    EXPECT_EQ(tamsiltest::WithoutStamp(journal.back()), last);
    for (size_t i = 1; i < journal.size(); ++i)
        ASSERT_GE(tamsiltest::Stamp(journal[i]), tamsiltest::Stamp(journal[i - 1])) << i;
}

}  // namespace
