// Helpers that the tests share: where the built programs are, scratch folders, child
// processes, small files, one clock for every process, and the windows of a process.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace testsupport {

// Folder of the running test program, and of the shipped programs (build/out).
std::wstring TestDirectory();
std::wstring OutDirectory();

std::wstring ReadWholeFile(const std::wstring& path);  // bytes taken as UTF-8
void WriteWholeFile(const std::wstring& path, const std::string& bytes);
bool FileExists(const std::wstring& path);
// Copies the folder `from` with its contents into the folder `to`; throws when it cannot.
void CopyFolder(const std::wstring& from, const std::wstring& to);

// A fresh folder under the temporary folder, removed with its contents at the end.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::wstring& Path() const { return path_; }
    std::wstring File(const std::wstring& name) const { return path_ + L"\\" + name; }

private:
    std::wstring path_;
};

// CreateProcessW, tried again while Wine's new process ends during its own set-up, before the
// program runs (Wine then reports ERROR_INTERNAL_ERROR, which no program's fault gives).
bool StartProcess(const std::wstring& application, const std::wstring& commandLine, BOOL inheritHandles, DWORD flags,
                  const std::wstring& directory, STARTUPINFOW& startup, PROCESS_INFORMATION& info);

// A started process; its handles are closed, not the process ended, at destruction.
class ChildProcess {
public:
    // Starts `application` with the exact command line given (the program token included).
    ChildProcess(const std::wstring& application, const std::wstring& commandLine, const std::wstring& directory = L"");
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return info_.hProcess != nullptr; }
    // Why the start failed (GetLastError of CreateProcessW); 0 when it started.
    DWORD StartError() const { return startError_; }
    bool WaitForExit(DWORD milliseconds) const;
    bool WaitForInputIdle(DWORD milliseconds) const;
    DWORD ExitCode() const;
    DWORD ProcessId() const { return info_.dwProcessId; }
    DWORD ThreadId() const { return info_.dwThreadId; }
    void Terminate() const;

private:
    PROCESS_INFORMATION info_{};
    DWORD startError_ = 0;
};

// Runs a program to its end (at most `milliseconds`) and returns its exit code, with its
// standard output and standard error in `output` and `errors`; ~0u when it did not end.
DWORD RunAndCapture(const std::wstring& application, const std::wstring& commandLine, std::string& output,
                    std::string& errors, DWORD milliseconds = 30000);

// A moment on the tick clock and the time left until it. The difference is taken as signed,
// so a moment that has passed leaves 0, never a wrapped count of nearly fifty days.
class Deadline {
public:
    explicit Deadline(DWORD milliseconds) : end_(GetTickCount() + milliseconds) {}
    // The moment `milliseconds` after the tick `from` (a GetTickCount value).
    static Deadline After(DWORD from, DWORD milliseconds) { return Deadline(from, milliseconds); }

    DWORD Left() const {
        const LONG left = static_cast<LONG>(end_ - GetTickCount());
        return left > 0 ? static_cast<DWORD>(left) : 0;
    }
    bool Passed() const { return Left() == 0; }

private:
    Deadline(DWORD from, DWORD milliseconds) : end_(from + milliseconds) {}
    DWORD end_;
};

// Asks `condition` every 25 ms until it holds or `milliseconds` have passed (at least once);
// whether it held.
template <typename Condition>
bool WaitUntil(Condition condition, DWORD milliseconds) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (condition())
            return true;
        if (GetTickCount() - start >= milliseconds)
            return false;
        Sleep(25);
    }
}

std::wstring Utf8ToWide(const std::string& text);
std::string WideToUtf8(const std::wstring& text);

// The performance counter in milliseconds: one clock for every process of the system, so that
// a test and the programs it starts can compare their moments.
double CounterMilliseconds();

// The caption (or text) of a window, of this process or another, and the name of its class.
std::wstring WindowText(HWND window);
std::wstring WindowClassName(HWND window);

// Whether the window is a dialog of the system's dialog class ("#32770") that is on screen, as
// message boxes and the bar's own prompts are.
bool IsShownDialog(HWND window);

// The top-level windows that threads of `processId` own now, front to back.
std::vector<HWND> TopLevelWindowsOf(DWORD processId);

// The first top-level window of `processId` that `accept` takes; null when there is none.
template <typename Accept>
HWND FindTopLevelWindow(DWORD processId, Accept accept) {
    for (HWND window : TopLevelWindowsOf(processId))
        if (accept(window))
            return window;
    return nullptr;
}

// FindTopLevelWindow, asked until it finds one or `milliseconds` have passed.
template <typename Accept>
HWND WaitForTopLevelWindow(DWORD processId, Accept accept, DWORD milliseconds) {
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindTopLevelWindow(processId, accept)) != nullptr; }, milliseconds);
    return found;
}

}  // namespace testsupport
