#include "BarHarness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <stdexcept>

namespace e2e {

using testsupport::ChildProcess;

std::vector<JournalLine> ParseJournal(const std::string& text) {
    std::vector<JournalLine> lines;
    std::istringstream input(text);
    for (std::string row; std::getline(input, row);) {
        JournalLine line;
        if (ParseJournalLine(row, &line))
            lines.push_back(line);
    }
    return lines;
}

bool ParseJournalLine(const std::string& text, JournalLine* line) {
    std::istringstream words(text);
    *line = JournalLine{};
    if (!(words >> line->milliseconds >> line->call))
        return false;
    for (std::string word; words >> word;) {
        if (word == "->") {
            words >> line->result;
            break;
        }
        line->arguments.push_back(word);
    }
    return true;
}

std::string CallText(const JournalLine& line) {
    std::string text = line.call;
    for (const std::string& argument : line.arguments)
        text += " " + argument;
    if (!line.result.empty())
        text += " -> " + line.result;
    return text;
}

bool IsCall(const JournalLine& line, const std::string& call, const std::string& firstArgument) {
    return line.call == call &&
           (firstArgument.empty() || (!line.arguments.empty() && line.arguments[0] == firstArgument));
}

bool SetsRunningBit(const JournalLine& line) {
    return IsCall(line, "WriteEC", "0x75B") && line.arguments.size() == 2 &&
           (std::stoul(line.arguments[1], nullptr, 16) & 0x80) != 0;
}

std::vector<std::string> CallsFrom(const std::vector<JournalLine>& journal, size_t from) {
    std::vector<std::string> calls;
    for (size_t i = from; i < journal.size(); ++i)
        calls.push_back(CallText(journal[i]));
    return calls;
}

std::string MachineProfile(const std::string& supportBytes, const std::string& more) {
    return "[Machine]\r\nSupportBytes=" + supportBytes + "\r\n" + more;
}

std::string AllSupported(int count) {
    std::string text;
    for (int i = 0; i < count; ++i)
        text += i ? " 1" : "1";
    return text;
}

namespace {

// The bar's dialog: the top-level window titled "Vantelo II".
bool IsBarWindow(HWND window) {
    return GetParent(window) == nullptr && testsupport::WindowText(window) == L"Vantelo II";
}

BOOL CALLBACK CollectControl(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<std::pair<HWND, std::vector<BarControl>*>*>(lParam);
    if (GetParent(window) != search->first)
        return TRUE;
    BarControl control;
    control.id = GetDlgCtrlID(window);
    GetWindowRect(window, &control.rect);
    MapWindowPoints(HWND_DESKTOP, search->first, reinterpret_cast<POINT*>(&control.rect), 2);
    control.visible = (GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE) != 0;
    search->second->push_back(control);
    return TRUE;
}

const wchar_t kBarAppDefaults[] = L"Software\\Wine\\AppDefaults\\Vantelo II.exe";

BOOL CALLBACK CollectTrayIcon(HWND window, LPARAM lParam) {
    if (testsupport::WindowClassName(window) == L"__winex11_tray_icon")
        reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(window);
    return TRUE;
}

}  // namespace

std::vector<HWND> TrayIconWindows() {
    std::vector<HWND> icons;
    if (HWND tray = FindWindowW(L"__winex11_standalone_tray", nullptr))
        EnumChildWindows(tray, CollectTrayIcon, reinterpret_cast<LPARAM>(&icons));
    return icons;
}

int TrayIconCount() {
    return static_cast<int>(TrayIconWindows().size());
}

BarRun::BarRun(const std::string& profile) {
    testsupport::CopyFolder(testsupport::OutDirectory() + L"\\img", folder_.Path());
    SetEnvironmentVariableW(L"TAMSILIO_MACHINE", folder_.File(L"TamsilIO.machine").c_str());
    SetEnvironmentVariableW(L"TAMSILIO_PROFILE", nullptr);
    std::wstring reset = L"reset";
    if (!profile.empty()) {
        testsupport::WriteWholeFile(folder_.File(L"machine.ini"), profile);
        reset += L" \"" + folder_.File(L"machine.ini") + L"\"";
    }
    std::string output;
    if (Ctl(reset, output) != 0)
        throw std::runtime_error("tamsilctl reset failed");
}

BarRun::~BarRun() {
    for (const auto& run : runs_)
        if (!run->WaitForExit(0))
            run->Terminate();
    // The next test's bar would find this one's instance mutex and leave at once.
    for (const auto& run : runs_)
        if (run->Started()) {
            EXPECT_TRUE(run->WaitForExit(30000)) << "a bar of this test did not end";
        }
}

const ChildProcess& BarRun::Start() {
    const std::wstring bar = testsupport::OutDirectory() + L"\\Vantelo II.exe";
    runs_.push_back(std::make_unique<ChildProcess>(bar, L"\"" + bar + L"\"", folder_.Path()));
    // Every later wait on a bar that never started would fail without saying why.
    EXPECT_TRUE(runs_.back()->Started()) << "the bar did not start: CreateProcessW error "
                                         << runs_.back()->StartError();
    return *runs_.back();
}

DWORD BarRun::Ctl(const std::wstring& arguments, std::string& output) const {
    const std::wstring ctl = testsupport::OutDirectory() + L"\\tamsilctl.exe";
    std::string errors;
    return testsupport::RunAndCapture(ctl, L"\"" + ctl + L"\" " + arguments, output, errors);
}

std::vector<JournalLine> BarRun::Journal() const {
    std::string output;
    Ctl(L"journal", output);
    return ParseJournal(output);
}

unsigned BarRun::ReadRegister(unsigned reg) const {
    std::string output;
    if (Ctl(L"read " + std::to_wstring(reg), output) != 0)
        throw std::runtime_error("tamsilctl read failed");
    return std::stoul(output, nullptr, 16);
}

HWND BarRun::WaitForBarWindow(const ChildProcess& process, DWORD milliseconds) {
    return testsupport::WaitForTopLevelWindow(process.ProcessId(), IsBarWindow, milliseconds);
}

HWND BarRun::WaitForStartedBar(const ChildProcess& process, DWORD milliseconds) const {
    const testsupport::Deadline deadline(milliseconds);
    auto left = [&] { return deadline.Left(); };
    // Each step that does not come in time fails the test with its own name, so that a slow
    // start is told apart from one that went wrong.
    auto gaveUp = [&](const char* step) -> HWND {
        ADD_FAILURE() << "the bar's start did not reach " << step << " within " << milliseconds << " ms";
        return nullptr;
    };
    HWND bar = WaitForBarWindow(process, milliseconds);
    if (!bar && process.WaitForExit(0)) {
        ADD_FAILURE() << "the bar ended with status " << process.ExitCode() << " before its window showed";
        return nullptr;
    }
    if (!bar)
        return gaveUp("its window");
    const bool running = testsupport::WaitUntil(
        [&] {
            const std::vector<JournalLine> journal = Journal();
            return std::any_of(journal.begin(), journal.end(), SetsRunningBit);
        },
        left());
    if (!running)
        return gaveUp("the running bit");
    if (!process.WaitForInputIdle(left()))
        return gaveUp("its first idle moment");
    // A sent message is answered only once the bar's thread takes messages again, which
    // start-up does not do before its layout is complete.
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutW(bar, WM_NULL, 0, 0, SMTO_NORMAL, left(), &answer))
        return gaveUp("the end of its layout");
    if (!testsupport::WaitUntil([&] { return IsWindowVisible(bar) != FALSE; }, left()))
        return gaveUp("a visible window");
    return bar;
}

std::vector<BarControl> BarControls(HWND bar) {
    std::vector<BarControl> controls;
    std::pair<HWND, std::vector<BarControl>*> search{bar, &controls};
    EnumChildWindows(bar, CollectControl, reinterpret_cast<LPARAM>(&search));
    return controls;
}

const BarControl* FindBarControl(const std::vector<BarControl>& controls, int id) {
    for (const BarControl& control : controls)
        if (control.id == id)
            return &control;
    return nullptr;
}

SampleSkinGeometry SampleSkinOnThisScreen() {
    if (GetSystemMetrics(SM_CXFULLSCREEN) >= 1024)
        return {48, 56, 40};
    return {38, 44, 32};
}

WineVersionForBar::WineVersionForBar(const std::wstring& version) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kBarAppDefaults, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        throw std::runtime_error("cannot create the bar's Wine AppDefaults key");
    const LONG written = RegSetValueExW(key, L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version.c_str()),
                                        static_cast<DWORD>((version.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    if (written != ERROR_SUCCESS) {
        RegDeleteTreeW(HKEY_CURRENT_USER, kBarAppDefaults);
        throw std::runtime_error("cannot set the bar's Windows version");
    }
}

WineVersionForBar::~WineVersionForBar() {
    RegDeleteTreeW(HKEY_CURRENT_USER, kBarAppDefaults);
}

}  // namespace e2e
