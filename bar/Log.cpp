#include "bar/Log.h"

#include <shlwapi.h>

#include <cstdarg>
#include <cstdio>
#include <string>

namespace {

// The message in the system's 8-bit code page, as the log file is 8-bit text.
std::string ToLogText(const WCHAR* message) {
    const int size = WideCharToMultiByte(CP_ACP, 0, message, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1)
        return {};
    std::string text(size, '\0');
    WideCharToMultiByte(CP_ACP, 0, message, -1, text.data(), size, nullptr, nullptr);
    text.resize(size - 1);
    return text;
}

}  // namespace

void WriteLog(const WCHAR* format, ...) {
    // The bounded form of wvsprintfW: same format rules, never past the buffer.
    WCHAR message[512] = L"";
    va_list arguments;
    va_start(arguments, format);
    wvnsprintfW(message, 512, format, arguments);
    va_end(arguments);
    message[511] = L'\0';

    SYSTEMTIME now;
    GetLocalTime(&now);

    FILE* log = fopen("OverClock.log", "a+t");
    if (!log)
        return;
    fprintf(log, "%02d:%02d:%02d\t%s\n", now.wHour, now.wMinute, now.wSecond, ToLogText(message).c_str());
    fclose(log);
}
