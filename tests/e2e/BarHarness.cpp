#include "BarHarness.h"

#include <shellapi.h>

#include <sstream>
#include <stdexcept>

namespace e2e {

using testsupport::ChildProcess;

std::vector<JournalLine> ParseJournal(const std::string& text) {
    std::vector<JournalLine> lines;
    std::istringstream input(text);
    for (std::string row; std::getline(input, row);) {
        std::istringstream words(row);
        JournalLine line;
        if (!(words >> line.milliseconds >> line.call))
            continue;
        for (std::string word; words >> word;) {
            if (word == "->") {
                words >> line.result;
                break;
            }
            line.arguments.push_back(word);
        }
        lines.push_back(line);
    }
    return lines;
}

namespace {

void CopyFolder(const std::wstring& from, const std::wstring& to) {
    std::wstring source = from + L'\0' + L'\0';
    std::wstring target = to + L'\0' + L'\0';
    SHFILEOPSTRUCTW operation{};
    operation.wFunc = FO_COPY;
    operation.pFrom = source.c_str();
    operation.pTo = target.c_str();
    operation.fFlags = FOF_NO_UI;
    if (SHFileOperationW(&operation) != 0)
        throw std::runtime_error("cannot copy the sample skins");
}

struct WindowSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindBar(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<WindowSearch*>(lParam);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    WCHAR title[32] = L"";
    GetWindowTextW(window, title, 32);
    if (owner == search->processId && std::wstring(title) == L"Vantelo II" && GetParent(window) == nullptr) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK CountTrayIcon(HWND window, LPARAM lParam) {
    WCHAR name[64] = L"";
    GetClassNameW(window, name, 64);
    if (std::wstring(name) == L"__winex11_tray_icon")
        ++*reinterpret_cast<int*>(lParam);
    return TRUE;
}

}  // namespace

int TrayIconCount() {
    int count = 0;
    if (HWND tray = FindWindowW(L"__winex11_standalone_tray", nullptr))
        EnumChildWindows(tray, CountTrayIcon, reinterpret_cast<LPARAM>(&count));
    return count;
}

BarRun::BarRun(const std::string& profile) {
    CopyFolder(testsupport::OutDirectory() + L"\\img", folder_.Path());
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
    for (const auto& run : runs_)
        run->WaitForExit(5000);
}

const ChildProcess& BarRun::Start() {
    const std::wstring bar = testsupport::OutDirectory() + L"\\Vantelo II.exe";
    runs_.push_back(std::make_unique<ChildProcess>(bar, L"\"" + bar + L"\"", folder_.Path()));
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
    WindowSearch search{process.ProcessId(), nullptr};
    testsupport::WaitUntil(
        [&] {
            EnumWindows(FindBar, reinterpret_cast<LPARAM>(&search));
            return search.found != nullptr;
        },
        milliseconds);
    return search.found;
}

}  // namespace e2e
