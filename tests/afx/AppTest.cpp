// The application object in the test process: the caption of AfxMessageBox and its
// owner, and worker threads from AfxBeginThread that free their own object.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>

#include "afx/Afx.h"

// Every CWinThread is freed through the global operator delete: the test watches for the
// object it was handed.
namespace {
std::atomic<void*> g_watchedObject{nullptr};
std::atomic<bool> g_watchedFreed{false};
}  // namespace

void* operator new(std::size_t size) {
    if (void* block = std::malloc(size != 0 ? size : 1))
        return block;
    throw std::bad_alloc();
}
namespace {
void Free(void* block) {
    if (block != nullptr && block == g_watchedObject.load())
        g_watchedFreed = true;
    std::free(block);
}
}  // namespace
void operator delete(void* block) noexcept {
    Free(block);
}
void operator delete(void* block, std::size_t) noexcept {
    Free(block);
}

namespace {

struct BoxSeen {
    std::wstring caption;
    std::wstring text;
    HWND owner = nullptr;
};

BOOL CALLBACK FindDialogWindow(HWND hWnd, LPARAM found) {
    wchar_t cls[16];
    if (GetClassNameW(hWnd, cls, 16) && std::wstring(cls) == L"#32770" && IsWindowVisible(hWnd)) {
        *reinterpret_cast<HWND*>(found) = hWnd;
        return FALSE;
    }
    return TRUE;
}

BoxSeen* g_answering = nullptr;

// A thread timer, so that it fires in the message box's own loop: once the box of this
// thread is up, it records the box, presses its OK button and stops.
void CALLBACK AnswerBox(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND box = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindDialogWindow, reinterpret_cast<LPARAM>(&box));
    if (box == nullptr)
        return;
    KillTimer(nullptr, timer);
    wchar_t text[256] = L"";
    GetWindowTextW(box, text, 256);
    g_answering->caption = text;
    HWND label = GetDlgItem(box, 0xFFFF);
    if (label != nullptr && GetWindowTextW(label, text, 256) >= 0)
        g_answering->text = text;
    g_answering->owner = GetWindow(box, GW_OWNER);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
}

BoxSeen ShowAnswered(LPCWSTR text) {
    BoxSeen seen;
    g_answering = &seen;
    const UINT_PTR timer = SetTimer(nullptr, 0, 10, AnswerBox);
    EXPECT_EQ(IDOK, AfxMessageBox(text));
    KillTimer(nullptr, timer);
    g_answering = nullptr;
    return seen;
}

TEST(AfxMessageBox, CaptionIsTheApplicationNameTakenFromTheProgramFileAndTheOwnerIsTheMainWindow) {
    CWinApp app;
    EXPECT_STREQ(L"afx_test", app.m_pszAppName);
    CWnd main;
    ASSERT_TRUE(main.CreateEx(0, L"STATIC", L"main", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr));
    app.m_pMainWnd = &main;
    const BoxSeen seen = ShowAnswered(L"Imag load error !");
    EXPECT_EQ(L"afx_test", seen.caption);
    EXPECT_EQ(L"Imag load error !", seen.text);
    EXPECT_EQ(main.m_hWnd, seen.owner);
    app.m_pMainWnd = nullptr;
}

TEST(AfxMessageBox, NamedApplicationKeepsItsName) {
    CWinApp named(L"Named");
    EXPECT_STREQ(L"Named", AfxGetAppName());
}

struct WorkerRun {
    UINT argument = 0;
    DWORD threadId = 0;
};

UINT __cdecl Worker(LPVOID parameter) {
    auto* run = static_cast<WorkerRun*>(parameter);
    run->threadId = GetCurrentThreadId();
    return run->argument * 2;
}

// The workers' data is static: a worker that outlives a failed wait writes to no stack.
TEST(AfxBeginThread, WorkerRunsItsProcedureAndFreesItsObjectAtTheEnd) {
    static WorkerRun run;
    run = WorkerRun{21, 0};
    CWinThread* thread = AfxBeginThread(Worker, &run, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    ASSERT_NE(nullptr, thread);
    HANDLE handle = nullptr;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), thread->m_hThread, GetCurrentProcess(), &handle, 0, FALSE,
                                DUPLICATE_SAME_ACCESS));
    const DWORD id = thread->m_nThreadID;
    g_watchedFreed = false;
    g_watchedObject = thread;
    thread->ResumeThread();

    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(handle, 10000));
    DWORD exitCode = 0;
    GetExitCodeThread(handle, &exitCode);
    CloseHandle(handle);
    g_watchedObject = nullptr;
    EXPECT_EQ(42u, exitCode);
    EXPECT_EQ(id, run.threadId);
    EXPECT_TRUE(g_watchedFreed);
}

TEST(AfxBeginThread, WorkerStartsAtOnceWithoutFlags) {
    static WorkerRun run;
    run = WorkerRun{1, 0};
    HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    struct Signal {
        WorkerRun* run;
        HANDLE done;
    };
    static Signal signal;
    signal = Signal{&run, done};
    ASSERT_NE(nullptr, AfxBeginThread(
                           [](LPVOID p) -> UINT {
                               auto* s = static_cast<Signal*>(p);
                               s->run->threadId = GetCurrentThreadId();
                               SetEvent(s->done);
                               return 0;
                           },
                           &signal));
    // Left open when the worker never signalled: it may still set it.
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(done, 10000));
    EXPECT_NE(0u, run.threadId);
    CloseHandle(done);
}

}  // namespace
