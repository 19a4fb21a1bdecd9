#include "MessageBoxes.h"

#include "TestSupport.h"

namespace testsupport {

namespace {

// The id that the system's message-box template gives its text control.
constexpr int kMessageBoxTextId = 0xFFFF;

std::wstring WindowText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::wstring text(length + 1, L'\0');
    text.resize(GetWindowTextW(window, text.data(), length + 1));
    return text;
}

std::wstring ClassName(HWND window) {
    WCHAR name[64] = L"";
    GetClassNameW(window, name, 64);
    return name;
}

struct Search {
    DWORD processId;
    std::vector<MessageBoxInfo> boxes;
};

BOOL CALLBACK CollectButton(HWND child, LPARAM lParam) {
    auto* box = reinterpret_cast<MessageBoxInfo*>(lParam);
    if (ClassName(child) == L"Button" && IsWindowVisible(child))
        box->buttons.push_back(WindowText(child));
    return TRUE;
}

BOOL CALLBACK CollectBox(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<Search*>(lParam);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || ClassName(window) != L"#32770" || !IsWindowVisible(window))
        return TRUE;
    HWND text = GetDlgItem(window, kMessageBoxTextId);
    if (!text)
        return TRUE;
    MessageBoxInfo box;
    box.window = window;
    box.caption = WindowText(window);
    box.text = WindowText(text);
    box.topmost = (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    EnumChildWindows(window, CollectButton, reinterpret_cast<LPARAM>(&box));
    search->boxes.push_back(box);
    return TRUE;
}

}  // namespace

std::vector<MessageBoxInfo> FindMessageBoxes(DWORD processId) {
    Search search{processId, {}};
    EnumWindows(CollectBox, reinterpret_cast<LPARAM>(&search));
    return search.boxes;
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
