#include "afx/WinThread.h"

#include <process.h>

CWinThread::~CWinThread() {
    if (m_hThread != nullptr)
        ::CloseHandle(m_hThread);
}

unsigned __stdcall CWinThread::Start(void* self) {
    auto* thread = static_cast<CWinThread*>(self);
    const UINT result = thread->m_pfnThreadProc(thread->m_pThreadParams);
    delete thread;
    return result;
}

CWinThread* AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam, int nPriority, UINT nStackSize,
                           DWORD dwCreateFlags, LPSECURITY_ATTRIBUTES lpSecurityAttrs) {
    auto* thread = new CWinThread(pfnThreadProc, pParam);
    // Suspended until the object is complete, so that the thread cannot free it first.
    unsigned id = 0;
    const uintptr_t handle =
        ::_beginthreadex(lpSecurityAttrs, nStackSize, &CWinThread::Start, thread, CREATE_SUSPENDED, &id);
    if (handle == 0) {
        delete thread;
        return nullptr;
    }
    thread->m_hThread = reinterpret_cast<HANDLE>(handle);
    thread->m_nThreadID = id;
    ::SetThreadPriority(thread->m_hThread, nPriority);
    if ((dwCreateFlags & CREATE_SUSPENDED) == 0)
        ::ResumeThread(thread->m_hThread);
    return thread;
}
