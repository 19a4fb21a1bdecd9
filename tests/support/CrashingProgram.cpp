// A program that ends by an unhandled access violation before printing anything: the case
// of a test program that crashes, for the check that it ends at once and is reported.
#include <windows.h>

int wmain() {
    RaiseException(EXCEPTION_ACCESS_VIOLATION, EXCEPTION_NONCONTINUABLE, 0, nullptr);
    return 0;
}
