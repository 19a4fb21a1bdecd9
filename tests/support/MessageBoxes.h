// Finds the message boxes of a process, reads what they say and answers them.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace testsupport {

struct MessageBoxInfo {
    HWND window = nullptr;
    std::wstring caption;
    std::wstring text;
    std::vector<std::wstring> buttons;  // button captions in tab order
    bool topmost = false;
};

// The message boxes (dialogs of class #32770 with a text control) that threads of
// `processId` have on screen now.
std::vector<MessageBoxInfo> FindMessageBoxes(DWORD processId);

// Waits up to `milliseconds` for a message box of the process; an empty result when none came.
std::vector<MessageBoxInfo> WaitForMessageBoxes(DWORD processId, DWORD milliseconds);

// Presses the button with the given command id (IDOK, IDCANCEL, ...) of the box.
void AnswerMessageBox(const MessageBoxInfo& box, int buttonId);

}  // namespace testsupport
