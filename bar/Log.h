// The bar's text log, "OverClock.log" in the current directory.
#pragma once

#include <windows.h>

// Appends one line "hh:mm:ss<TAB>message" (local time) to the log; the message is formatted
// with the user32 wsprintf rules and cut to 511 characters. A log that does not open loses
// the line.
void WriteLog(const WCHAR* format, ...);
