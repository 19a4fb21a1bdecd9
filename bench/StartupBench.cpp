// How long the shipped bar takes from its first hardware call to setting its running bit,
// against the pacing that road must keep. The bar runs as a separate process in a run folder
// of its own (img\ with the sample skins) on a fresh default machine (nineteen support bytes,
// all 1) named by TAMSILIO_MACHINE. From the machine's journal: the time from its first line
// (InitTamsilIO) to the WriteEC of register 0x75B that sets bit 7. The pacing floor of that
// road is 3050 ms: 100 + 150 x 19 = 2950 ms of support-byte handshake, the 50 ms pause
// between the two skin queries, and the 50 ms pause of the running-bit change. The bar is
// closed with WM_CLOSE afterwards. The last line gives the time, the floor and their ratio.
//
// Run after a build, on a display (Wine needs one for windows), through the build tree's
// wine-run, so that it runs in that tree's prefix with the out folder (TamsilIO.dll) on its path:
//   xvfb-run -a build/wine-run build/bench/startup_bench.exe
// or, with the tree's wineserver kept running (scripts/lib.sh: ensure_display;
// start_wineserver i686), build/wine-run build/bench/startup_bench.exe.
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "BarHarness.h"
#include "TestSupport.h"
#include "tamsil/Machine.h"

namespace {

constexpr double kPacingFloor = 100 + 150 * 19 + 50 + 50;
constexpr DWORD kStartTimeout = 30000;

using e2e::JournalLine;

// The machine's journal as this process reads it, without the round trip through tamsilctl.
std::vector<JournalLine> ReadJournal(tamsil::Machine& machine) {
    std::vector<JournalLine> journal;
    for (const std::string& text : machine.Journal()) {
        JournalLine line;
        if (e2e::ParseJournalLine(text, &line))
            journal.push_back(line);
    }
    return journal;
}

// Closes the bar as Winreap does; ends the process when the window never comes or stays.
void EndBar(const testsupport::ChildProcess& bar) {
    if (HWND window = e2e::BarRun::WaitForBarWindow(bar, kStartTimeout))
        PostMessageW(window, WM_CLOSE, 0, 0);
    if (!bar.WaitForExit(10000)) {
        std::fprintf(stderr, "the bar did not end on WM_CLOSE; ended by force\n");
        bar.Terminate();
        bar.WaitForExit(5000);
    }
}

}  // namespace

int main() {
    testsupport::TempFolder folder;
    testsupport::CopyFolder(testsupport::OutDirectory() + L"\\img", folder.Path());
    const std::wstring machineFile = folder.File(L"TamsilIO.machine");
    SetEnvironmentVariableW(L"TAMSILIO_MACHINE", machineFile.c_str());
    SetEnvironmentVariableW(L"TAMSILIO_PROFILE", nullptr);

    const tamsil::Profile profile = tamsil::DefaultProfile();
    std::string error;
    std::unique_ptr<tamsil::Machine> machine = tamsil::Machine::Open(machineFile, &profile, &error);
    if (!machine) {
        std::fprintf(stderr, "cannot open the machine: %s\n", error.c_str());
        return 1;
    }
    machine->Reset(profile);

    const std::wstring program = testsupport::OutDirectory() + L"\\Vantelo II.exe";
    testsupport::ChildProcess bar(program, L"\"" + program + L"\"", folder.Path());
    if (!bar.Started()) {
        std::fprintf(stderr, "cannot start the bar (error %lu)\n", GetLastError());
        return 1;
    }

    std::vector<JournalLine> journal;
    size_t runningBit = 0;
    const bool written = testsupport::WaitUntil(
        [&] {
            journal = ReadJournal(*machine);
            for (runningBit = 0; runningBit < journal.size(); ++runningBit)
                if (e2e::SetsRunningBit(journal[runningBit]))
                    return true;
            return bar.WaitForExit(0);
        },
        kStartTimeout);
    EndBar(bar);
    machine.reset();

    if (!written || runningBit == journal.size()) {
        std::fprintf(stderr, "the bar never set the running bit (%u journal lines)\n",
                     static_cast<unsigned>(journal.size()));
        return 1;
    }
    if (journal.front().call != "InitTamsilIO") {
        std::fprintf(stderr, "the journal starts with %s, not InitTamsilIO\n", journal.front().call.c_str());
        return 1;
    }
    const double elapsed = journal[runningBit].milliseconds - journal.front().milliseconds;
    std::printf("journal: InitTamsilIO at %.3f ms, running bit written at %.3f ms, %u calls in between\n",
                journal.front().milliseconds, journal[runningBit].milliseconds, static_cast<unsigned>(runningBit - 1));
    std::printf("start-up: %.3f ms to the running bit, pacing floor %.0f ms, ratio %.2f\n", elapsed, kPacingFloor,
                elapsed / kPacingFloor);
    return 0;
}
