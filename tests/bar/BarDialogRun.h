// Runs the real bar dialog in the test's own process: a run folder with the sample skins as
// the current directory, a simulated machine of its own made from a profile, and the dialog's
// modal loop on the calling thread. The test's script runs inside that loop once start-up is
// over and the bar is on screen; the dialog ends when the script returns. Each run starts
// from the bar's globals as a fresh program has them and releases its hardware objects at
// its end.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "bar/NewVanteloDlg.h"
#include "tamsil/Machine.h"

namespace bartest {

// A profile over the default machine with these support bytes ("1 1 0 1 ...").
std::string ProfileWithBytes(const std::string& bytes, const std::string& more = "");

class BarDialogRun {
public:
    // `profile` is machine profile text over the default machine; empty: the default machine.
    explicit BarDialogRun(const std::string& profile = "");
    ~BarDialogRun();
    BarDialogRun(const BarDialogRun&) = delete;
    BarDialogRun& operator=(const BarDialogRun&) = delete;

    // Runs the bar modally; `script` runs once start-up has returned TRUE and the modal loop
    // has shown the bar. False when the start-up failed or the bar never showed.
    // `afterStartUp`, when given, runs at the end of a successful start-up, before the bar
    // is first shown and painted.
    bool Run(const std::function<void(CNewVanteloDlg& bar)>& script,
             const std::function<void(CNewVanteloDlg& bar)>& afterStartUp = nullptr);

    // Runs the message loop as the modal loop does (every message through the filters) for
    // `milliseconds`, or until `done` holds; whether `done` held.
    static bool Pump(DWORD milliseconds, const std::function<bool()>& done = nullptr);

    std::wstring File(const std::wstring& name) const { return folder_.File(name); }
    tamsil::Machine& Machine() { return *machine_; }
    std::vector<std::string> Journal() { return machine_->Journal(); }

private:
    testsupport::TempFolder folder_;
    std::wstring savedDirectory_;
    std::unique_ptr<tamsil::Machine> machine_;
};

}  // namespace bartest
