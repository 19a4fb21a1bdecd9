// The layer's program entry point, run as a process: InitInstance runs with the
// application named after the program file, and its result decides whether the message
// loop runs (exit code from WM_QUIT) or the program ends at once.
#include <gtest/gtest.h>

#include "TestSupport.h"

using testsupport::ChildProcess;
using testsupport::TempFolder;

namespace {

struct EntryCase {
    const char* label;
    const wchar_t* mode;
    DWORD exitCode;
};

class EntryPoint : public ::testing::TestWithParam<EntryCase> {};

TEST_P(EntryPoint, RunsInitInstanceAndTheLoopOnlyWhenItSucceeds) {
    const EntryCase& c = GetParam();
    TempFolder folder;
    // A name with a space and an extension, like the bar's own program file.
    const std::wstring program = folder.File(L"Probe Name.exe");
    ASSERT_TRUE(CopyFileW((testsupport::TestDirectory() + L"\\AfxAppProbe.exe").c_str(), program.c_str(), FALSE));
    const std::wstring report = folder.File(L"report.txt");
    ChildProcess probe(program, L"\"" + program + L"\" \"" + report + L"\" " + c.mode);
    ASSERT_TRUE(probe.Started());
    ASSERT_TRUE(probe.WaitForExit(20000));
    EXPECT_EQ(c.exitCode, probe.ExitCode());
    EXPECT_EQ(L"Probe Name|Probe Key", testsupport::ReadWholeFile(report));
}

INSTANTIATE_TEST_SUITE_P(Modes, EntryPoint,
                         ::testing::Values(EntryCase{"InitInstanceFails", L"false", 0},
                                           EntryCase{"MessageLoopRuns", L"true", 7}),
                         [](const auto& info) { return std::string(info.param.label); });

}  // namespace
