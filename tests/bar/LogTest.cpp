// The text log: one time-stamped line per call, appended to OverClock.log of the current folder.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "ImportRedirect.h"
#include "WorkingFolder.h"
#include "bar/Log.h"

namespace {

int SecondOfDay(const SYSTEMTIME& time) {
    return (time.wHour * 60 + time.wMinute) * 60 + time.wSecond;
}

bool IsDigit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}

// The second of the day of a line's "hh:mm:ss" stamp, or -1 when the stamp is malformed.
int StampSecond(const std::wstring& line) {
    if (line.size() < 9 || line[2] != L':' || line[5] != L':' || line[8] != L'\t')
        return -1;
    for (int i : {0, 1, 3, 4, 6, 7})
        if (!IsDigit(line[i]))
            return -1;
    const int hour = std::stoi(line.substr(0, 2));
    const int minute = std::stoi(line.substr(3, 2));
    const int second = std::stoi(line.substr(6, 2));
    if (hour > 23 || minute > 59 || second > 59)
        return -1;
    return (hour * 60 + minute) * 60 + second;
}

// Whether second lies between the local times taken before and after the call (midnight may pass).
bool Within(int second, const SYSTEMTIME& before, const SYSTEMTIME& after) {
    const int from = SecondOfDay(before);
    const int to = SecondOfDay(after);
    return from <= to ? from <= second && second <= to : second >= from || second <= to;
}

struct LogCase {
    const char* label;
    std::function<void()> write;
    std::wstring message;
};

class LogLine : public ::testing::TestWithParam<LogCase> {
protected:
    WorkingFolder folder_;
};

TEST_P(LogLine, IsTheLocalTimeATabTheMessageAndALineEnd) {
    SYSTEMTIME before;
    GetLocalTime(&before);
    GetParam().write();
    SYSTEMTIME after;
    GetLocalTime(&after);

    const std::wstring log = testsupport::ReadWholeFile(folder_.File(L"OverClock.log"));
    ASSERT_EQ(log.size(), 9 + GetParam().message.size() + 2) << testsupport::WideToUtf8(log);
    EXPECT_EQ(log.substr(9), GetParam().message + L"\r\n");
    const int stamp = StampSecond(log);
    ASSERT_NE(stamp, -1) << testsupport::WideToUtf8(log);
    EXPECT_TRUE(Within(stamp, before, after)) << testsupport::WideToUtf8(log);
}

INSTANTIATE_TEST_SUITE_P(
    Messages, LogLine,
    ::testing::Values(LogCase{"DisplayChange", [] { WriteLog(L"display change %d", 1024); }, L"display change 1024"},
                      LogCase{"WideText", [] { WriteLog(L"%s=%d", L"width", -5); }, L"width=-5"},
                      LogCase{"NoArguments", [] { WriteLog(L"100%% sure"); }, L"100% sure"},
                      LogCase{"LongMessageCut", [] { WriteLog(L"%s!", std::wstring(600, L'w').c_str()); },
                              std::wstring(511, L'w')}),
    [](const ::testing::TestParamInfo<LogCase>& info) { return info.param.label; });

// A moment whose hour, minute and second each take a leading zero; the log's clock is the
// local one.
const SYSTEMTIME kEarlyMorning{2026, 3, 3, 4, 7, 5, 3, 9};

void WINAPI EarlyMorningLocalTime(SYSTEMTIME* time) {
    *time = kEarlyMorning;
}

TEST(Log, StampHasTwoDigitsForEachPartOfTheLocalTime) {
    WorkingFolder folder;
    {
        testsupport::ImportRedirect redirect("GetLocalTime", reinterpret_cast<void*>(&EarlyMorningLocalTime));
        ASSERT_TRUE(redirect.Installed());
        WriteLog(L"display change %d", 640);
    }
    EXPECT_EQ(testsupport::ReadWholeFile(folder.File(L"OverClock.log")), L"07:05:03\tdisplay change 640\r\n");
}

TEST(Log, OnlyGrows) {
    WorkingFolder folder;
    testsupport::WriteWholeFile(folder.File(L"OverClock.log"), "earlier line\r\n");

    WriteLog(L"display change %d", 800);
    WriteLog(L"display change %d", 1280);

    const std::wstring log = testsupport::ReadWholeFile(folder.File(L"OverClock.log"));
    const std::wstring first = L"earlier line\r\n";
    ASSERT_EQ(log.substr(0, first.size()), first);
    const std::wstring second = log.substr(first.size(), 9 + 20);
    const std::wstring third = log.substr(first.size() + 9 + 20);
    EXPECT_NE(StampSecond(second), -1);
    EXPECT_EQ(second.substr(9), L"display change 800\r\n");
    EXPECT_NE(StampSecond(third), -1);
    EXPECT_EQ(third.substr(9), L"display change 1280\r\n");
}

}  // namespace
