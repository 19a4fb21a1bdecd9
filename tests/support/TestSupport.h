// Helpers that the tests share: where the built programs are, scratch folders, child
// processes and small files.
#pragma once

#include <windows.h>

#include <string>

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

// A started process; its handles are closed, not the process ended, at destruction.
class ChildProcess {
public:
    // Starts `application` with the exact command line given (the program token included).
    ChildProcess(const std::wstring& application, const std::wstring& commandLine, const std::wstring& directory = L"");
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return info_.hProcess != nullptr; }
    bool WaitForExit(DWORD milliseconds) const;
    bool WaitForInputIdle(DWORD milliseconds) const;
    DWORD ExitCode() const;
    DWORD ProcessId() const { return info_.dwProcessId; }
    DWORD ThreadId() const { return info_.dwThreadId; }
    void Terminate() const;

private:
    PROCESS_INFORMATION info_{};
};

// Runs a program to its end (at most `milliseconds`) and returns its exit code, with its
// standard output and standard error in `output` and `errors`; ~0u when it did not end.
DWORD RunAndCapture(const std::wstring& application, const std::wstring& commandLine, std::string& output,
                    std::string& errors, DWORD milliseconds = 30000);

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

}  // namespace testsupport
