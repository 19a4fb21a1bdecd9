// CWinThread and AfxBeginThread in their worker form: a thread that runs one function
// and frees its own CWinThread object when the function returns.
#pragma once

#include <windows.h>

using AFX_THREADPROC = UINT(__cdecl*)(LPVOID);

class CWinThread {
public:
    CWinThread(const CWinThread&) = delete;
    CWinThread& operator=(const CWinThread&) = delete;

    HANDLE m_hThread = nullptr;
    DWORD m_nThreadID = 0;

    // For a thread started with CREATE_SUSPENDED.
    DWORD ResumeThread() { return ::ResumeThread(m_hThread); }

private:
    friend CWinThread* AfxBeginThread(AFX_THREADPROC, LPVOID, int, UINT, DWORD, LPSECURITY_ATTRIBUTES);
    CWinThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam) : m_pfnThreadProc(pfnThreadProc), m_pThreadParams(pParam) {}
    ~CWinThread();
    static unsigned __stdcall Start(void* self);

    AFX_THREADPROC m_pfnThreadProc;
    LPVOID m_pThreadParams;
};

// Starts pfnThreadProc(pParam) on a new thread; its result is the thread's exit code.
// The returned object is freed when the procedure returns: the caller may use it only
// while it knows the thread runs (or is suspended). Null when no thread could start.
CWinThread* AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam, int nPriority = THREAD_PRIORITY_NORMAL,
                           UINT nStackSize = 0, DWORD dwCreateFlags = 0,
                           LPSECURITY_ATTRIBUTES lpSecurityAttrs = nullptr);
