// What the simulated machine's tests share: a machine file of the test's own, tamsilctl run as
// a process, and a window that hotkey events can be posted to.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "tamsil/Machine.h"

namespace tamsiltest {

// Points TAMSILIO_MACHINE at a file in a fresh folder (and clears TAMSILIO_PROFILE) for the
// scope's life, so that tests run side by side each on its own machine. Child processes
// inherit the setting.
class MachineScope {
public:
    MachineScope();
    ~MachineScope();
    MachineScope(const MachineScope&) = delete;
    MachineScope& operator=(const MachineScope&) = delete;

    const std::wstring& MachineFile() const { return machineFile_; }
    std::wstring File(const std::wstring& name) const { return folder_.File(name); }

    // Writes a profile file and returns its path.
    std::wstring WriteProfile(const std::string& text, const std::wstring& name = L"profile.ini") const;
    // Writes a profile and names it in TAMSILIO_PROFILE, for the machine's creation.
    void UseProfile(const std::string& text) const;

    // The machine as tamsilctl sees it (made from TAMSILIO_PROFILE when new).
    std::unique_ptr<tamsil::Machine> Open() const;

private:
    testsupport::TempFolder folder_;
    std::wstring machineFile_;
};

struct ProgramRun {
    DWORD exitCode = 0xFFFFFFFF;
    std::string out;
    std::string err;
};

// Runs build/out's tamsilctl with `arguments` and waits for it.
ProgramRun RunTamsilctl(const MachineScope& scope, const std::wstring& arguments);

// Lines of program output, without their line ends (CR LF or LF).
std::vector<std::string> Lines(const std::string& text);

// The journal's time stamp of a line in milliseconds, or -1 when the line has none.
double Stamp(const std::string& line);
// A line without its time stamp: "ReadEC 0x75A -> 0x13".
std::string WithoutStamp(const std::string& line);

// A message-only window of the calling thread.
class EventWindow {
public:
    EventWindow();
    ~EventWindow();
    EventWindow(const EventWindow&) = delete;
    EventWindow& operator=(const EventWindow&) = delete;

    HWND Handle() const { return window_; }
    // Waits up to `milliseconds` for `message` to reach the window; false when none came.
    bool WaitFor(UINT message, DWORD milliseconds, MSG* received) const;

private:
    HWND window_;
};

}  // namespace tamsiltest
