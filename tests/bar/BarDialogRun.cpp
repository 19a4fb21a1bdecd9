#include "BarDialogRun.h"

#include <algorithm>
#include <stdexcept>

#include "bar/Globals.h"
#include "tamsil/Profile.h"

namespace bartest {

namespace {

constexpr DWORD kShowTimeout = 20000;

// The bar dialog with its start-up result kept.
class BarUnderTest : public CNewVanteloDlg {
public:
    explicit BarUnderTest(const std::function<void(CNewVanteloDlg&)>& afterStartUp) : afterStartUp_(afterStartUp) {}
    bool started = false;

protected:
    BOOL OnInitDialog() override {
        const BOOL result = CNewVanteloDlg::OnInitDialog();
        started = result != FALSE;
        if (started && afterStartUp_)
            afterStartUp_(*this);
        return result;
    }

private:
    const std::function<void(CNewVanteloDlg&)>& afterStartUp_;
};

struct Script {
    BarUnderTest* bar;
    const std::function<void(CNewVanteloDlg&)>* body;
    DWORD start;
    bool ran;
};
Script* g_script = nullptr;

// A thread timer, so that it fires in whatever loop runs, but acts only once the modal loop
// has shown the bar; it gives up when the bar never shows.
void CALLBACK RunScriptWhenShown(HWND, UINT, UINT_PTR id, DWORD) {
    Script& script = *g_script;
    const bool shown = script.bar->started && script.bar->IsWindowVisible();
    if (!shown && GetTickCount() - script.start < kShowTimeout)
        return;
    KillTimer(nullptr, id);
    if (shown) {
        script.ran = true;
        (*script.body)(*script.bar);
    }
    if (IsWindow(script.bar->m_hWnd))
        script.bar->EndDialog(IDOK);
}

}  // namespace

std::string ProfileWithBytes(const std::string& bytes, const std::string& more) {
    return "[Machine]\r\nSupportBytes=" + bytes + "\r\n" + more;
}

BarDialogRun::BarDialogRun(const std::string& profile) {
    // The bar's state as a fresh program has it, so that runs in one test program do not see
    // what an earlier one left.
    ResetBarGlobals();

    testsupport::CopyFolder(testsupport::OutDirectory() + L"\\img", folder_.Path());
    WCHAR current[MAX_PATH];
    savedDirectory_.assign(current, GetCurrentDirectoryW(MAX_PATH, current));
    SetCurrentDirectoryW(folder_.Path().c_str());

    const std::wstring machineFile = folder_.File(L"TamsilIO.machine");
    SetEnvironmentVariableW(L"TAMSILIO_MACHINE", machineFile.c_str());
    SetEnvironmentVariableW(L"TAMSILIO_PROFILE", nullptr);
    tamsil::Profile parsed = tamsil::DefaultProfile();
    std::string error;
    if (!profile.empty() && !tamsil::ParseProfile(profile, &parsed, &error))
        throw std::runtime_error("bad machine profile: " + error);
    machine_ = tamsil::Machine::Open(machineFile, &parsed, &error);
    if (!machine_)
        throw std::runtime_error("cannot open the machine: " + error);
    machine_->Reset(parsed);
}

BarDialogRun::~BarDialogRun() {
    SetCurrentDirectoryW(savedDirectory_.c_str());
}

bool BarDialogRun::Run(const std::function<void(CNewVanteloDlg& bar)>& body,
                       const std::function<void(CNewVanteloDlg& bar)>& afterStartUp) {
    // The pointer away from the bar, so that no mouse move re-arms its timer by chance.
    SetCursorPos(0, 0);
    BarUnderTest bar(afterStartUp);
    Script script{&bar, &body, GetTickCount(), false};
    g_script = &script;
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, RunScriptWhenShown);
    bar.DoModal();
    KillTimer(nullptr, timer);
    g_script = nullptr;
    // The program keeps its hardware objects to its end; a test program runs the bar again.
    ReleaseHardwareObjects();
    return script.ran;
}

bool BarDialogRun::Pump(DWORD milliseconds, const std::function<bool()>& done) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (done && done())
            return true;
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= milliseconds)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, std::min<DWORD>(milliseconds - elapsed, 10), QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(message.wParam));
                return done && done();
            }
            afx::PumpMessage(message);
        }
    }
}

}  // namespace bartest
