#include "CommandHarness.h"

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <stdexcept>

#include "bar/NewVanteloDlg.h"
#include "bar/Settings.h"
#include "tamsil/Machine.h"
#include "tamsil/Profile.h"

namespace e2e {

JournalClock::JournalClock(const BarRun& run, const std::string& profile) {
    tamsil::Profile parsed = tamsil::DefaultProfile();
    std::string error;
    if (!tamsil::ParseProfile(profile, &parsed, &error))
        throw std::runtime_error("bad machine profile: " + error);
    auto machine = tamsil::Machine::Open(run.Folder().File(L"TamsilIO.machine"), &parsed, &error);
    if (!machine)
        throw std::runtime_error("cannot open the run's machine: " + error);
    const double before = testsupport::CounterMilliseconds();
    machine->Reset(parsed);
    const double after = testsupport::CounterMilliseconds();
    origin_ = (before + after) / 2;
    uncertainty_ = (after - before) / 2;
}

double JournalClock::TickToJournal(DWORD tick) const {
    // Ticks are whole milliseconds; their distance to now is taken at full precision.
    const DWORD now = GetTickCount();
    return ToJournal(testsupport::CounterMilliseconds()) - static_cast<double>(static_cast<int>(now - tick));
}

void ParkPointer() {
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, 0);
}

namespace {

// A move to `at` with a left press and release, handed to the system in one piece so that no
// other input comes between them.
void SendClick(POINT at) {
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    INPUT inputs[3]{};
    for (INPUT& input : inputs)
        input.type = INPUT_MOUSE;
    // Normalised coordinates, rounded up so that the system's scaling gives the pixel back.
    inputs[0].mi.dx = static_cast<LONG>((at.x * 65536LL + width - 1) / width);
    inputs[0].mi.dy = static_cast<LONG>((at.y * 65536LL + height - 1) / height);
    inputs[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    inputs[2].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(3, inputs, sizeof(INPUT));
}

bool IsCablePrompt(HWND window) {
    return testsupport::IsShownDialog(window) && testsupport::WindowText(window) == L"Van Telo II";
}

}  // namespace

bool ClickBarButton(HWND bar, int id, int dx) {
    HWND button = GetDlgItem(bar, id);
    if (!button || !IsWindowVisible(button))
        return false;
    RECT rect{};
    GetWindowRect(button, &rect);
    const POINT at{(rect.left + rect.right) / 2 + dx, (rect.top + rect.bottom) / 2};
    // Another program's window may cover the bar for a moment.
    if (!testsupport::WaitUntil([&] { return WindowFromPoint(at) == button; }, 5000))
        return false;
    SendClick(at);
    return true;
}

void PostCommand(HWND bar, int id) {
    PostMessageW(bar, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(bar, id)));
}

CablePrompt FindCablePrompt(DWORD processId) {
    CablePrompt prompt;
    HWND found = testsupport::FindTopLevelWindow(processId, IsCablePrompt);
    if (!found)
        return prompt;
    prompt.window = found;
    prompt.text = testsupport::WindowText(GetDlgItem(found, 1018));
    prompt.topmost = (GetWindowLongW(found, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    prompt.hiddenControlVisible = IsWindowVisible(GetDlgItem(found, 1017)) != FALSE;
    prompt.owner = GetWindow(found, GW_OWNER);
    GetWindowRect(found, &prompt.rect);
    return prompt;
}

CablePrompt WaitForCablePrompt(DWORD processId, DWORD milliseconds) {
    CablePrompt prompt;
    testsupport::WaitUntil([&] { return (prompt = FindCablePrompt(processId)).window != nullptr; }, milliseconds);
    return prompt;
}

namespace {

// The version that the bar expects, and the registry view it reads, by the machine's
// processor architecture.
bool SixtyFourBitRoad() {
    SYSTEM_INFO info{};
    GetNativeSystemInfo(&info);
    return info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64 ||
           info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_IA64;
}

void ForgetInstalledVersion() {
    RegDeleteTreeW(HKEY_CURRENT_USER, kUninstallKey);
    RegDeleteKeyW(HKEY_CURRENT_USER, kUninstallKey);
}

}  // namespace

InstalledVersionMatch::InstalledVersionMatch() {
    const bool road64 = SixtyFourBitRoad();
    const std::wstring version = road64 ? L"1.4.2" : L"1.3.2";
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kUninstallKey, 0, nullptr, 0, KEY_SET_VALUE | (road64 ? KEY_WOW64_64KEY : 0),
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        throw std::runtime_error("cannot create the product's uninstall key");
    const LONG written =
        RegSetValueExW(key, L"DisplayVersion", 0, REG_SZ, reinterpret_cast<const BYTE*>(version.c_str()),
                       static_cast<DWORD>((version.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    if (written != ERROR_SUCCESS) {
        ForgetInstalledVersion();
        throw std::runtime_error("cannot write the installed version");
    }
}

InstalledVersionMatch::~InstalledVersionMatch() {
    ForgetInstalledVersion();
}

OsdStandIn::OsdStandIn(const testsupport::TempFolder& folder) : log_(folder.File(L"osd.log")) {
    const std::wstring program = testsupport::TestDirectory() + L"\\OsdStandIn.exe";
    process_ = std::make_unique<testsupport::ChildProcess>(program, L"\"" + program + L"\" \"" + log_ + L"\"");
    if (!process_->Started())
        return;
    window_ = testsupport::WaitForTopLevelWindow(
        process_->ProcessId(), [](HWND window) { return testsupport::WindowText(window) == L"PellamyOSD"; }, 10000);
}

OsdStandIn::~OsdStandIn() {
    if (!process_->Started())
        return;
    if (window_)
        PostMessageW(window_, WM_CLOSE, 0, 0);
    if (!process_->WaitForExit(5000))
        process_->Terminate();
}

bool OsdStandIn::ReceivedAfterOwnNotice(unsigned code, DWORD milliseconds) const {
    if (!window_ || !PostMessageW(window_, kOsdNotifyMessage, 0, code))
        return false;
    return testsupport::WaitUntil(
        [&] {
            const std::vector<OsdNotice> notices = Notices();
            return std::any_of(notices.begin(), notices.end(), [&](const OsdNotice& n) { return n.lParam == code; });
        },
        milliseconds);
}

std::vector<OsdNotice> OsdStandIn::Notices() const {
    std::vector<OsdNotice> notices;
    if (!testsupport::FileExists(log_))
        return notices;
    std::istringstream lines(testsupport::WideToUtf8(testsupport::ReadWholeFile(log_)));
    for (std::string line; std::getline(lines, line);) {
        OsdNotice notice;
        if (std::sscanf(line.c_str(), "%lf %x %x", &notice.counterMilliseconds, &notice.wParam, &notice.lParam) == 3)
            notices.push_back(notice);
    }
    return notices;
}

KeyHookRecorder* KeyHookRecorder::active_ = nullptr;

KeyHookRecorder::KeyHookRecorder()
    : ready_(CreateEventW(nullptr, TRUE, FALSE, nullptr)), stop_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    active_ = this;
    thread_ = std::thread([this] { Run(); });
    // A hook that is not in place by then reads as not installed.
    WaitForSingleObject(ready_.Get(), 10000);
}

KeyHookRecorder::~KeyHookRecorder() {
    SetEvent(stop_.Get());
    thread_.join();
    active_ = nullptr;
}

void KeyHookRecorder::Run() {
    HHOOK hook = SetWindowsHookExW(WH_KEYBOARD_LL, Hook, GetModuleHandleW(nullptr), 0);
    installed_ = hook != nullptr;
    SetEvent(ready_.Get());
    // The system calls the hook from this thread's message retrieval; the thread sleeps until
    // a message or the stop comes.
    HANDLE stop = stop_.Get();
    while (MsgWaitForMultipleObjects(1, &stop, FALSE, INFINITE, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
    }
    if (hook)
        UnhookWindowsHookEx(hook);
}

LRESULT CALLBACK KeyHookRecorder::Hook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && active_) {
        const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        std::lock_guard<std::mutex> lock(active_->mutex_);
        active_->events_.push_back({key->vkCode, key->flags, key->time});
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

std::vector<KeyEvent> KeyHookRecorder::Events() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return events_;
}

}  // namespace e2e
