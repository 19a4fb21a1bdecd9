#include "MachineScope.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

namespace tamsiltest {

MachineScope::MachineScope() : machineFile_(folder_.File(L"test.machine")) {
    SetEnvironmentVariableW(L"TAMSILIO_MACHINE", machineFile_.c_str());
    SetEnvironmentVariableW(L"TAMSILIO_PROFILE", nullptr);
}

MachineScope::~MachineScope() {
    SetEnvironmentVariableW(L"TAMSILIO_MACHINE", nullptr);
    SetEnvironmentVariableW(L"TAMSILIO_PROFILE", nullptr);
}

std::wstring MachineScope::WriteProfile(const std::string& text, const std::wstring& name) const {
    const std::wstring path = folder_.File(name);
    testsupport::WriteWholeFile(path, text);
    return path;
}

void MachineScope::UseProfile(const std::string& text) const {
    SetEnvironmentVariableW(L"TAMSILIO_PROFILE", WriteProfile(text).c_str());
}

std::unique_ptr<tamsil::Machine> MachineScope::Open() const {
    std::string error;
    std::unique_ptr<tamsil::Machine> machine = tamsil::Machine::Open(machineFile_, nullptr, &error);
    EXPECT_TRUE(machine) << error;
    return machine;
}

ProgramRun RunTamsilctl(const MachineScope&, const std::wstring& arguments) {
    const std::wstring program = testsupport::OutDirectory() + L"\\tamsilctl.exe";
    ProgramRun run;
    run.exitCode = testsupport::RunAndCapture(program, L"\"" + program + L"\" " + arguments, run.out, run.err);
    return run;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    std::string line;
    while (std::getline(stream, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

double Stamp(const std::string& line) {
    const auto space = line.find(' ');
    if (space == std::string::npos)
        return -1;
    char* end = nullptr;
    const std::string stamp = line.substr(0, space);
    const double value = std::strtod(stamp.c_str(), &end);
    return end == stamp.c_str() + stamp.size() ? value : -1;
}

std::string WithoutStamp(const std::string& line) {
    const auto space = line.find(' ');
    return space == std::string::npos ? line : line.substr(space + 1);
}

EventWindow::EventWindow()
    : window_(CreateWindowExW(0, L"STATIC", L"events", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr)) {}

EventWindow::~EventWindow() {
    DestroyWindow(window_);
}

bool EventWindow::WaitFor(UINT message, DWORD milliseconds, MSG* received) const {
    const DWORD deadline = GetTickCount() + milliseconds;
    for (;;) {
        if (PeekMessageW(received, window_, message, message, PM_REMOVE))
            return true;
        const DWORD now = GetTickCount();
        if (static_cast<int>(deadline - now) <= 0)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, deadline - now, QS_POSTMESSAGE);
    }
}

}  // namespace tamsiltest
