// Several processes on one simulated machine: their calls are serialised, the journal holds
// them in the order they took effect, and every process stamps them on the same clock.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "MachineScope.h"
#include "tamsil/TamsilIO.h"

namespace {

using tamsiltest::MachineScope;
using testsupport::ChildProcess;

// The event that lets the peers of this test go, all at once.
class StartSignal {
public:
    StartSignal()
        : name_(L"TamsilPeerGo" + std::to_wstring(GetCurrentProcessId())),
          event_(CreateEventW(nullptr, TRUE, FALSE, name_.c_str())) {}
    ~StartSignal() { CloseHandle(event_); }
    StartSignal(const StartSignal&) = delete;
    StartSignal& operator=(const StartSignal&) = delete;

    const std::wstring& Name() const { return name_; }
    void Go() const { SetEvent(event_); }

private:
    std::wstring name_;
    HANDLE event_;
};

std::unique_ptr<ChildProcess> StartPeer(unsigned reg, unsigned count, const StartSignal& signal) {
    const std::wstring program = testsupport::TestDirectory() + L"\\TamsilPeer.exe";
    return std::make_unique<ChildProcess>(
        program, L"TamsilPeer " + std::to_wstring(reg) + L" " + std::to_wstring(count) + L" " + signal.Name());
}

// Waits until `count` processes have started the library on the machine.
bool WaitForStarts(tamsil::Machine& machine, size_t count) {
    return testsupport::WaitUntil(
        [&] {
            size_t starts = 0;
            for (const std::string& line : machine.Journal())
                starts += tamsiltest::WithoutStamp(line) == "InitTamsilIO -> 0";
            return starts == count;
        },
        15000);
}

struct Access {
    bool write;
    unsigned reg;
    unsigned value;
};

// The register accesses of journal lines, in journal order.
std::vector<Access> Accesses(const std::vector<std::string>& journal) {
    const std::regex read("ReadEC 0x([0-9A-F]+) -> 0x([0-9A-F]+)");
    const std::regex write("WriteEC 0x([0-9A-F]+) 0x([0-9A-F]+)");
    std::vector<Access> accesses;
    for (const std::string& line : journal) {
        const std::string call = tamsiltest::WithoutStamp(line);
        std::smatch match;
        const bool isRead = std::regex_match(call, match, read);
        if (isRead || std::regex_match(call, match, write))
            accesses.push_back({!isRead, static_cast<unsigned>(std::stoul(match[1], nullptr, 16)),
                                static_cast<unsigned>(std::stoul(match[2], nullptr, 16))});
    }
    return accesses;
}

TEST(Sharing, ConcurrentProcessesMakeOneMachineAndOneOrderedJournal) {
    MachineScope scope;
    // Enough calls from each of three processes, all let go at once, that unserialised
    // accesses would overlap; and all of them fit into the journal.
    constexpr unsigned kCount = 1300;
    const unsigned registers[] = {0x75B, 0x79B};
    StartSignal signal;
    std::vector<std::unique_ptr<ChildProcess>> peers;
    for (unsigned reg : registers) {
        peers.push_back(StartPeer(reg, kCount, signal));
        ASSERT_TRUE(peers.back()->Started());
    }
    TamsilEC ec;
    ASSERT_TRUE(WaitForStarts(*scope.Open(), 2));
    signal.Go();
    for (unsigned i = 0; i < kCount; ++i) {
        ec.WriteEC(0x100, i & 0xFF, 0);
        EXPECT_EQ(ec.ReadEC(0x100, 0), i & 0xFF);
    }
    for (const auto& peer : peers) {
        ASSERT_TRUE(peer->WaitForExit(60000));
        EXPECT_EQ(peer->ExitCode(), 0u) << "a peer read back another value than it wrote";
    }

    const std::vector<std::string> journal = scope.Open()->Journal();
    ASSERT_EQ(journal.size(), 3 * 2 * kCount + 2) << "no process lost another's entries";
    for (size_t i = 1; i < journal.size(); ++i)
        ASSERT_GE(tamsiltest::Stamp(journal[i]), tamsiltest::Stamp(journal[i - 1])) << journal[i];

    // In journal order every read gives the register's last write, and each process's writes
    // come in the order it made them.
    std::map<unsigned, unsigned> held;
    std::map<unsigned, unsigned> writes;
    for (const Access& access : Accesses(journal)) {
        if (access.write) {
            EXPECT_EQ(access.value, writes[access.reg]++ & 0xFF) << std::hex << access.reg;
            held[access.reg] = access.value;
        } else {
            EXPECT_EQ(access.value, held[access.reg]) << std::hex << access.reg;
        }
    }
    EXPECT_EQ(writes[0x75B], kCount);
    EXPECT_EQ(writes[0x79B], kCount);
    EXPECT_EQ(writes[0x100], kCount);
}

// Waits until the shared clock has passed `moment` (in milliseconds).
void WaitForClock(double moment) {
    ASSERT_TRUE(testsupport::WaitUntil([moment] { return testsupport::CounterMilliseconds() >= moment; }, 10000));
}

// The test's own calls 200 ms before and after the peer's: stamps from a clock of the peer's own
// (or held back to the last stamp) would not keep those gaps.
TEST(Sharing, ProcessesStampOnOneClock) {
    constexpr double kGap = 200;
    constexpr double kMicrosecond = 0.001;  // the stamps' resolution
    MachineScope scope;
    TamsilEC ec;
    const double start = testsupport::CounterMilliseconds();
    ec.ReadEC(0x10, 0);
    const double afterFirst = testsupport::CounterMilliseconds();
    WaitForClock(afterFirst + kGap);
    StartSignal signal;
    signal.Go();
    const double peerStart = testsupport::CounterMilliseconds();
    std::unique_ptr<ChildProcess> peer = StartPeer(0x20, 2, signal);
    ASSERT_TRUE(peer->WaitForExit(60000));
    const double peerEnd = testsupport::CounterMilliseconds();
    WaitForClock(peerEnd + kGap);
    const double beforeLast = testsupport::CounterMilliseconds();
    ec.ReadEC(0x10, 0);
    const double end = testsupport::CounterMilliseconds();

    const std::vector<std::string> journal = scope.Open()->Journal();
    ASSERT_EQ(journal.size(), 7u);
    EXPECT_EQ(tamsiltest::WithoutStamp(journal[1]), "InitTamsilIO -> 0");
    const double before = tamsiltest::Stamp(journal[0]);
    const double peerFirst = tamsiltest::Stamp(journal[1]);
    const double peerLast = tamsiltest::Stamp(journal[5]);
    const double after = tamsiltest::Stamp(journal[6]);
    EXPECT_GE(peerFirst - before, peerStart - afterFirst - kMicrosecond);
    EXPECT_GE(after - peerLast, beforeLast - peerEnd - kMicrosecond);
    EXPECT_LE(after - before, end - start + kMicrosecond);
}

}  // namespace
