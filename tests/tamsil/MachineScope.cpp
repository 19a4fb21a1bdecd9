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

namespace {

HANDLE InheritableFile(const std::wstring& path) {
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    return CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                       CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

// Output goes to files rather than pipes, so that nothing can block on a full pipe.
ProgramRun RunTamsilctl(const MachineScope& scope, const std::wstring& arguments) {
    const std::wstring program = testsupport::OutDirectory() + L"\\tamsilctl.exe";
    const std::wstring outFile = scope.File(L"tamsilctl.out");
    const std::wstring errFile = scope.File(L"tamsilctl.err");
    HANDLE out = InheritableFile(outFile);
    HANDLE err = InheritableFile(errFile);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = out;
    startup.hStdError = err;
    std::wstring commandLine = L"\"" + program + L"\" " + arguments;
    PROCESS_INFORMATION info{};
    ProgramRun run;
    if (CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                       &info)) {
        if (WaitForSingleObject(info.hProcess, 30000) == WAIT_OBJECT_0)
            GetExitCodeProcess(info.hProcess, &run.exitCode);
        else
            TerminateProcess(info.hProcess, 1);
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
    }
    CloseHandle(out);
    CloseHandle(err);
    run.out = testsupport::WideToUtf8(testsupport::ReadWholeFile(outFile));
    run.err = testsupport::WideToUtf8(testsupport::ReadWholeFile(errFile));
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
