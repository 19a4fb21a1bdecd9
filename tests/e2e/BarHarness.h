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

// Notification-area icons on screen. Wine on X shows them in its standalone tray, one
// child window each.
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

private:
    testsupport::TempFolder folder_;
    std::vector<std::unique_ptr<testsupport::ChildProcess>> runs_;
};

}  // namespace e2e
