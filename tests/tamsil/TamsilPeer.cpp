// A second user of the simulated machine: starts the library, waits for the named event GO to
// be set, then writes register REG with 0, 1, 2, ... COUNT-1 (as bytes), reading it back after
// each write. Exits with 0 when every read gave what this process wrote last, 1 otherwise, 2 on
// bad arguments.
#include <windows.h>

#include <cwchar>

#include "tamsil/TamsilIO.h"

int wmain(int argc, wchar_t** argv) {
    if (argc != 4)
        return 2;
    const unsigned reg = static_cast<unsigned>(std::wcstoul(argv[1], nullptr, 0));
    const unsigned count = static_cast<unsigned>(std::wcstoul(argv[2], nullptr, 0));
    TamsilWMI* wmi = nullptr;
    if (InitTamsilIO(&wmi) != 0)
        return 1;
    delete wmi;
    TamsilEC ec;
    HANDLE go = OpenEventW(SYNCHRONIZE, FALSE, argv[3]);
    if (!go || WaitForSingleObject(go, 30000) != WAIT_OBJECT_0)
        return 2;
    CloseHandle(go);
    int result = 0;
    for (unsigned i = 0; i < count; ++i) {
        ec.WriteEC(reg, i & 0xFF, 0);
        if (ec.ReadEC(reg, 0) != (i & 0xFF))
            result = 1;
    }
    return result;
}
