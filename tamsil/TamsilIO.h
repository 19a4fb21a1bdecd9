// The hardware I/O library as the bar uses it. On a notebook of the maker the driver sits
// behind these classes; this build puts a simulated machine there (see Machine.h), shared by
// every process that loads the library.
//
// Each class holds nothing but a pointer to its implementation, so a caller may create the
// objects with `new` without depending on the library's insides.
#pragma once

#include <windows.h>

#ifdef TAMSILIO_BUILDING_DLL
#define TAMSILIO_API __declspec(dllexport)
#else
#define TAMSILIO_API __declspec(dllimport)
#endif

// Hardware queries and functions. Made by InitTamsilIO.
class TAMSILIO_API TamsilWMI {
public:
    TamsilWMI();
    ~TamsilWMI();
    TamsilWMI(const TamsilWMI&) = delete;
    TamsilWMI& operator=(const TamsilWMI&) = delete;

    // Method 0x200 runs function `arg` (0x80 starts the support-byte report) and answers 0;
    // methods 0x1900, 0x2000 and 0x2500 answer the machine's query answers; others answer 0.
    unsigned long GetLong32(int method, int arg);

private:
    struct Impl;
    Impl* m_impl;
};

// The embedded controller's byte registers.
class TAMSILIO_API TamsilEC {
public:
    TamsilEC();
    ~TamsilEC();
    TamsilEC(const TamsilEC&) = delete;
    TamsilEC& operator=(const TamsilEC&) = delete;

    unsigned ReadEC(unsigned reg, int reserved);
    void WriteEC(unsigned reg, unsigned value, int reserved);

private:
    struct Impl;
    Impl* m_impl;
};

// The hotkey event sink: Init binds a window and a message, and from then on a thread of the
// library posts each hotkey event to that window as that message (wParam the event code,
// lParam 0). Destroying the object stops the thread.
class TAMSILIO_API TamsilWMIEvent {
public:
    TamsilWMIEvent();
    ~TamsilWMIEvent();
    TamsilWMIEvent(const TamsilWMIEvent&) = delete;
    TamsilWMIEvent& operator=(const TamsilWMIEvent&) = delete;

    // 1 when the events are bound to `window`, 0 when the window or the machine is missing.
    // A second call binds the new window and message.
    int Init(HWND window, unsigned long message);

private:
    struct Impl;
    Impl* m_impl;
};

// Opens the library; the first call of all. 0: ready, *wmi set to a new TamsilWMI; 1: no
// driver; 2: not the maker's machine; any other value: failure. On failure *wmi is null.
TAMSILIO_API int InitTamsilIO(TamsilWMI** wmi);
