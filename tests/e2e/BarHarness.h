// Runs the shipped bar as a process in a folder of its own, with a simulated machine of its
// own, and reads what the machine saw through tamsilctl.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "TestSupport.h"

namespace e2e {

// One line of the machine's call journal: "<ms> <call> <args...> [-> <result>]".
struct JournalLine {
    double milliseconds = 0;
    std::string call;
    std::vector<std::string> arguments;
    std::string result;  // empty when the call has none
};

std::vector<JournalLine> ParseJournal(const std::string& text);
// One line of the journal; false when it does not start with a time stamp and a call.
bool ParseJournalLine(const std::string& text, JournalLine* line);

// The line without its time stamp, as the journal writes it: "ReadEC 0x75A -> 0x0".
std::string CallText(const JournalLine& line);

// The call `call`, with `firstArgument` first when that is not empty: "ReadEC", "0x75B".
bool IsCall(const JournalLine& line, const std::string& call, const std::string& firstArgument = "");

// "WriteEC 0x75B <value>" with the running bit (bit 7) set in the value: the last hardware
// call of a start.
bool SetsRunningBit(const JournalLine& line);

// The call texts from index `from` on, for comparison with an expected list.
std::vector<std::string> CallsFrom(const std::vector<JournalLine>& journal, size_t from);

constexpr size_t kNoLine = static_cast<size_t>(-1);

// What the tests expect of the bar's timing, in milliseconds of the journal's clock: the pause
// it gives the controller between hardware calls, and its auto-hide period. And how long a
// bar's start may take on a loaded machine before a test gives up on it.
constexpr double kPause = 50.0;
constexpr double kAutoHide = 5000.0;
constexpr DWORD kStartTimeout = 30000;

// The index of the first line at or after `from` that `accept` takes; kNoLine when none does.
template <typename Accept>
size_t FindLine(const std::vector<JournalLine>& journal, size_t from, Accept accept) {
    for (size_t i = from; i < journal.size(); ++i)
        if (accept(journal[i]))
            return i;
    return kNoLine;
}

// A machine profile with the support-byte report given ("1 1 0 1") and `more` lines after it,
// each ended by "\r\n".
std::string MachineProfile(const std::string& supportBytes, const std::string& more = "");

// A support-byte report of `count` buttons, all supported: "1 1 ... 1".
std::string AllSupported(int count);

// The notification-area icon windows on screen. Wine on X shows the icons in its standalone
// tray, one child window each.
std::vector<HWND> TrayIconWindows();
int TrayIconCount();

// The bar's run folder (img\ with the sample skins) and its machine (TAMSILIO_MACHINE in the
// folder, so parallel runs never share one). The environment is inherited by the bar and
// by tamsilctl.
class BarRun {
public:
    explicit BarRun(const std::string& profile = "");
    ~BarRun();
    BarRun(const BarRun&) = delete;
    BarRun& operator=(const BarRun&) = delete;

    const testsupport::TempFolder& Folder() const { return folder_; }

    // Starts another "Vantelo II.exe" in the run folder; the runs are kept until the end.
    const testsupport::ChildProcess& Start();

    // Runs tamsilctl with the arguments; its exit code, its output in `output`.
    DWORD Ctl(const std::wstring& arguments, std::string& output) const;
    std::vector<JournalLine> Journal() const;
    unsigned ReadRegister(unsigned reg) const;

    // The top-level window of `process` titled "Vantelo II", waited for up to `milliseconds`.
    static HWND WaitForBarWindow(const testsupport::ChildProcess& process, DWORD milliseconds);

    // The bar of `process` once its start-up is over: the running bit has been written (the
    // last hardware call of a start), the program waits for input in its modal loop and the
    // bar is on screen. Null when that does not happen within `milliseconds`.
    HWND WaitForStartedBar(const testsupport::ChildProcess& process, DWORD milliseconds) const;

private:
    testsupport::TempFolder folder_;
    std::vector<std::unique_ptr<testsupport::ChildProcess>> runs_;
};

// The first journal line at or after `from` that `accept` takes, waited for up to
// `milliseconds`; kNoLine when none came. `journal` holds the journal as last read.
template <typename Accept>
size_t WaitForLine(const BarRun& run, size_t from, Accept accept, std::vector<JournalLine>& journal,
                   DWORD milliseconds = 5000) {
    size_t found = kNoLine;
    testsupport::WaitUntil(
        [&] {
            journal = run.Journal();
            return (found = FindLine(journal, from, accept)) != kNoLine;
        },
        milliseconds);
    return found;
}

// A control of the bar as another process sees it: its place in the bar's client area, and
// its own visible style (the bar itself may be hidden meanwhile).
struct BarControl {
    int id = 0;
    RECT rect{};
    bool visible = false;
};

std::vector<BarControl> BarControls(HWND bar);
// The control with the id among `controls`; null when there is none.
const BarControl* FindBarControl(const std::vector<BarControl>& controls, int id);

// The geometry of the sample skins that the bar wears on this screen (the "64" packages from
// a full-screen width of 1024 pixels on, the "50" ones below): the cell, which is the left
// background piece, and the square button.
struct SampleSkinGeometry {
    int cellWidth;
    int cellHeight;
    int buttonSize;
};
SampleSkinGeometry SampleSkinOnThisScreen();

// The Windows version that Wine reports to "Vantelo II.exe" (its per-program AppDefaults in
// the prefix's registry, which the test and the bar share) while the object lives: "win7",
// "win8", ... The key is removed again at destruction.
class WineVersionForBar {
public:
    explicit WineVersionForBar(const std::wstring& version);
    ~WineVersionForBar();
    WineVersionForBar(const WineVersionForBar&) = delete;
    WineVersionForBar& operator=(const WineVersionForBar&) = delete;
};

}  // namespace e2e
