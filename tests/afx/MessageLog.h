// Recording for the message-sequence tests: what arrived where, as readable lines that a
// test compares with the sequence it expects.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace afxtest {

// "WM_APP+3", "WM_KEYDOWN", ... or the number in hex.
std::string MessageName(UINT message);

class MessageLog {
public:
    void Add(const std::string& line) { lines_.push_back(line); }
    // "<who> <what> <message> <wParam>"
    void Add(const std::string& who, const std::string& what, UINT message, WPARAM wParam);
    const std::vector<std::string>& Lines() const { return lines_; }
    // The lines that mention `word`, in order.
    std::vector<std::string> With(const std::string& word) const;
    void Clear() { lines_.clear(); }

private:
    std::vector<std::string> lines_;
};

// A window class whose procedure is DefWindowProc, except that it logs the WM_APP range
// into `ClassLog()` and answers WM_APP+50 with 42: the "previous procedure" of the tests.
LPCWSTR TestWindowClass();
MessageLog& ClassLog();

// Drops any WM_QUIT left in this thread's queue and returns its code, or -1 without one.
int TakeQuit();

}  // namespace afxtest
