#include "TestSupport.h"

#include <shellapi.h>

#include <cstdio>
#include <stdexcept>
#include <thread>
#include <vector>

namespace testsupport {

std::wstring TestDirectory() {
    WCHAR path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring result(path, length);
    return result.substr(0, result.find_last_of(L'\\'));
}

std::wstring OutDirectory() {
    const std::wstring tests = TestDirectory();
    return tests.substr(0, tests.find_last_of(L'\\')) + L"\\out";
}

std::wstring Utf8ToWide(const std::string& text) {
    if (text.empty())
        return {};
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring result(length, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), length);
    return result;
}

std::string WideToUtf8(const std::wstring& text) {
    if (text.empty())
        return {};
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string result(length, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), length, nullptr,
                        nullptr);
    return result;
}

std::wstring ReadWholeFile(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return {};
    std::string bytes;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got > 0)
        bytes.append(buffer, got);
    CloseHandle(file);
    return Utf8ToWide(bytes);
}

double CounterMilliseconds() {
    LARGE_INTEGER now;
    LARGE_INTEGER frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

std::wstring WindowText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::wstring text(length + 1, L'\0');
    text.resize(GetWindowTextW(window, text.data(), length + 1));
    return text;
}

std::wstring WindowClassName(HWND window) {
    WCHAR name[64] = L"";
    GetClassNameW(window, name, 64);
    return name;
}

bool IsShownDialog(HWND window) {
    return IsWindowVisible(window) && WindowClassName(window) == L"#32770";
}

namespace {

struct ProcessWindows {
    DWORD processId;
    std::vector<HWND> windows;
};

BOOL CALLBACK CollectProcessWindow(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<ProcessWindows*>(lParam);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId)
        search->windows.push_back(window);
    return TRUE;
}

}  // namespace

std::vector<HWND> TopLevelWindowsOf(DWORD processId) {
    ProcessWindows search{processId, {}};
    EnumWindows(CollectProcessWindow, reinterpret_cast<LPARAM>(&search));
    return search.windows;
}

void CopyFolder(const std::wstring& from, const std::wstring& to) {
    std::wstring source = from + L'\0' + L'\0';
    std::wstring target = to + L'\0' + L'\0';
    SHFILEOPSTRUCTW operation{};
    operation.wFunc = FO_COPY;
    operation.pFrom = source.c_str();
    operation.pTo = target.c_str();
    operation.fFlags = FOF_NO_UI;
    if (SHFileOperationW(&operation) != 0)
        throw std::runtime_error("cannot copy " + WideToUtf8(from));
}

void WriteWholeFile(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        throw std::runtime_error("cannot create " + WideToUtf8(path));
    DWORD written = 0;
    const BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    if (!ok || written != bytes.size())
        throw std::runtime_error("cannot write " + WideToUtf8(path));
}

bool FileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

TempFolder::TempFolder() {
    WCHAR base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    for (unsigned attempt = 0;; ++attempt) {
        path_ = std::wstring(base) + L"vantelo-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                std::to_wstring(GetTickCount()) + L"-" + std::to_wstring(attempt);
        if (CreateDirectoryW(path_.c_str(), nullptr))
            return;
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            throw std::runtime_error("cannot create a temporary folder");
    }
}

TempFolder::~TempFolder() {
    std::vector<WCHAR> from(path_.begin(), path_.end());
    from.push_back(L'\0');
    from.push_back(L'\0');  // the shell wants a double-NUL-terminated list
    SHFILEOPSTRUCTW operation{};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.data();
    operation.fFlags = FOF_NO_UI;
    SHFileOperationW(&operation);
}

bool StartProcess(const std::wstring& application, const std::wstring& commandLine, BOOL inheritHandles, DWORD flags,
                  const std::wstring& directory, STARTUPINFOW& startup, PROCESS_INFORMATION& info) {
    constexpr int kAttempts = 3;
    for (int attempt = 1;; ++attempt) {
        std::vector<WCHAR> mutableLine(commandLine.begin(), commandLine.end());
        mutableLine.push_back(L'\0');
        if (CreateProcessW(application.c_str(), mutableLine.data(), nullptr, nullptr, inheritHandles, flags, nullptr,
                           directory.empty() ? nullptr : directory.c_str(), &startup, &info))
            return true;
        const DWORD error = GetLastError();
        if (error != ERROR_INTERNAL_ERROR || attempt == kAttempts)
            return false;
        std::fprintf(stderr, "%ls: Wine's new process ended during its set-up; starting it again\n",
                     application.c_str());
    }
}

ChildProcess::ChildProcess(const std::wstring& application, const std::wstring& commandLine,
                           const std::wstring& directory) {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    if (!StartProcess(application, commandLine, FALSE, 0, directory, startup, info_)) {
        startError_ = GetLastError();
        info_ = PROCESS_INFORMATION{};
    }
}

ChildProcess::~ChildProcess() {
    if (info_.hThread)
        CloseHandle(info_.hThread);
    if (info_.hProcess)
        CloseHandle(info_.hProcess);
}

bool ChildProcess::WaitForExit(DWORD milliseconds) const {
    return WaitForSingleObject(info_.hProcess, milliseconds) == WAIT_OBJECT_0;
}

bool ChildProcess::WaitForInputIdle(DWORD milliseconds) const {
    return ::WaitForInputIdle(info_.hProcess, milliseconds) == 0;
}

DWORD ChildProcess::ExitCode() const {
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(info_.hProcess, &code);
    return code;
}

void ChildProcess::Terminate() const {
    TerminateProcess(info_.hProcess, 1);
}

namespace {

// One inheritable pipe whose read end is drained into a string by a thread of its own.
class OutputPipe {
public:
    OutputPipe() {
        SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
        CreatePipe(&read_, &write_, &inherit, 0);
        SetHandleInformation(read_, HANDLE_FLAG_INHERIT, 0);
    }
    ~OutputPipe() {
        CloseWriteEnd();
        if (reader_.joinable())
            reader_.join();
        CloseHandle(read_);
    }
    OutputPipe(const OutputPipe&) = delete;
    OutputPipe& operator=(const OutputPipe&) = delete;

    HANDLE WriteEnd() const { return write_; }

    // Starts draining; call once the child holds its copy of the write end.
    void Drain(std::string& into) {
        CloseWriteEnd();
        reader_ = std::thread([this, &into] {
            char buffer[4096];
            DWORD got = 0;
            while (ReadFile(read_, buffer, sizeof(buffer), &got, nullptr) && got > 0)
                into.append(buffer, got);
        });
    }

private:
    void CloseWriteEnd() {
        if (write_)
            CloseHandle(write_);
        write_ = nullptr;
    }

    HANDLE read_ = nullptr;
    HANDLE write_ = nullptr;
    std::thread reader_;
};

}  // namespace

DWORD RunAndCapture(const std::wstring& application, const std::wstring& commandLine, std::string& output,
                    std::string& errors, DWORD milliseconds) {
    output.clear();
    errors.clear();
    OutputPipe out, err;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = out.WriteEnd();
    startup.hStdError = err.WriteEnd();
    PROCESS_INFORMATION info{};
    if (!StartProcess(application, commandLine, TRUE, CREATE_NO_WINDOW, L"", startup, info))
        return ~0u;
    out.Drain(output);
    err.Drain(errors);
    DWORD code = ~0u;
    if (WaitForSingleObject(info.hProcess, milliseconds) == WAIT_OBJECT_0)
        GetExitCodeProcess(info.hProcess, &code);
    else
        TerminateProcess(info.hProcess, 1);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return code;
}

}  // namespace testsupport
