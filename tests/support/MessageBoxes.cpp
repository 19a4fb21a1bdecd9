#include "MessageBoxes.h"

#include "TestSupport.h"

namespace testsupport {

namespace {

// The id that the system's message-box template gives its text control.
constexpr int kMessageBoxTextId = 0xFFFF;

BOOL CALLBACK CollectButton(HWND child, LPARAM lParam) {
    auto* box = reinterpret_cast<MessageBoxInfo*>(lParam);
    if (WindowClassName(child) == L"Button" && IsWindowVisible(child))
        box->buttons.push_back(WindowText(child));
    return TRUE;
}

// A message box is a dialog with the text control of the system's template.
bool IsMessageBox(HWND window) {
    return IsShownDialog(window) && GetDlgItem(window, kMessageBoxTextId) != nullptr;
}

MessageBoxInfo ReadMessageBox(HWND window) {
    MessageBoxInfo box;
    box.window = window;
    box.caption = WindowText(window);
    box.text = WindowText(GetDlgItem(window, kMessageBoxTextId));
    box.topmost = (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    EnumChildWindows(window, CollectButton, reinterpret_cast<LPARAM>(&box));
    return box;
}

}  // namespace

std::vector<MessageBoxInfo> FindMessageBoxes(DWORD processId) {
    std::vector<MessageBoxInfo> boxes;
    for (HWND window : TopLevelWindowsOf(processId))
        if (IsMessageBox(window))
            boxes.push_back(ReadMessageBox(window));
    return boxes;
}

std::vector<MessageBoxInfo> WaitForMessageBoxes(DWORD processId, DWORD milliseconds) {
    std::vector<MessageBoxInfo> boxes;
    WaitUntil([&] { return !(boxes = FindMessageBoxes(processId)).empty(); }, milliseconds);
    return boxes;
}

void AnswerMessageBox(const MessageBoxInfo& box, int buttonId) {
    PostMessageW(box.window, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box.window, buttonId)));
}

}  // namespace testsupport
