// The shipped bar wearing a package whose left background declares a picture far larger than
// any screen: a complete, valid PNG of 30000 x 20000 transparent pixels that compresses to
// about 2.3 MB, so that a decoder without a bound would take gigabytes and most of a minute.
// The bar must refuse it as a damaged picture: one "Imag load error !" box, then on as for a
// missing package, with the memory of a normal start.
#include <gtest/gtest.h>
#include <windows.h>
#include <zlib.h>

#include <psapi.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "BarHarness.h"
#include "MessageBoxes.h"
#include "tamsil/Machine.h"

using e2e::BarRun;
using e2e::kStartTimeout;
using testsupport::ChildProcess;

namespace {

// A bar that decodes the picture takes about a minute before it goes on; this bound only
// ends a test whose box never comes, within CTest's own limit.
constexpr DWORD kBoxTimeout = 100000;
// Read by the test to stamp a moment on the machine's clock; reading it changes nothing.
constexpr uint32_t kCableRegister = 0x79B;

void PutBigEndian32(std::string& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<char>(value >> shift));
}

void PutChunk(std::string& png, const char* type, const std::string& data) {
    PutBigEndian32(png, static_cast<uint32_t>(data.size()));
    const std::string typed = type + data;
    png += typed;
    PutBigEndian32(png, crc32(0, reinterpret_cast<const Bytef*>(typed.data()), static_cast<uInt>(typed.size())));
}

// Raw deflate of `zeros` zero bytes ended by a full flush: the bytes depend on nothing that
// came before, so the same run can stand for every such stretch of the stream.
std::string DeflateZeros(z_stream& stream, size_t zeros, int flush) {
    const std::vector<Bytef> input(zeros, 0);
    std::string output;
    stream.next_in = const_cast<Bytef*>(input.data());
    stream.avail_in = static_cast<uInt>(input.size());
    Bytef buffer[65536];
    do {
        stream.next_out = buffer;
        stream.avail_out = sizeof(buffer);
        deflate(&stream, flush);
        output.append(reinterpret_cast<char*>(buffer), sizeof(buffer) - stream.avail_out);
    } while (stream.avail_out == 0 || stream.avail_in > 0);
    return output;
}

// The zlib stream of `total` zero bytes, built from one deflated stretch repeated: deflating
// gigabytes here would take longer than the test. All-zero data has the Adler-32 sum
// (total mod 65521) << 16 | 1.
std::string ZlibOfZeros(uint64_t total) {
    constexpr size_t kStretch = 1 << 20;
    z_stream stream{};
    deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY);
    std::string zlib = "\x78\xDA";
    const std::string stretch = DeflateZeros(stream, kStretch, Z_FULL_FLUSH);
    for (uint64_t n = total / kStretch; n > 0; --n)
        zlib += stretch;
    zlib += DeflateZeros(stream, static_cast<size_t>(total % kStretch), Z_FINISH);
    deflateEnd(&stream);
    PutBigEndian32(zlib, static_cast<uint32_t>(total % 65521) << 16 | 1);
    return zlib;
}

// A complete 8-bit RGBA PNG of the size given, every row filtered "none" and every pixel zero.
std::string TransparentPng(uint32_t width, uint32_t height) {
    std::string png = "\x89PNG\r\n\x1A\n";
    std::string header;
    PutBigEndian32(header, width);
    PutBigEndian32(header, height);
    header += std::string("\x08\x06\x00\x00\x00", 5);  // depth 8, RGBA, deflate, no filter, no interlace
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", ZlibOfZeros((1 + 4 * static_cast<uint64_t>(width)) * height));
    PutChunk(png, "IEND", "");
    return png;
}

// Writes the package with skinpack, the skin makers' tool, over both Vantelo packages of the
// run folder, so that it is worn on any screen width.
void WearOnly(const BarRun& run, const std::wstring& picture) {
    const std::wstring tests = testsupport::TestDirectory();
    const std::wstring tool = tests.substr(0, tests.find_last_of(L'\\')) + L"\\buildtools\\skinpack.exe";
    for (const wchar_t* package : {L"Vantelo64.SKN", L"Vantelo50.SKN"}) {
        const std::wstring path = run.Folder().File(std::wstring(L"img\\") + package);
        std::string output, errors;
        ASSERT_EQ(0u, testsupport::RunAndCapture(tool, L"\"" + tool + L"\" \"" + path + L"\" \"" + picture + L"\"",
                                                 output, errors))
            << errors;
    }
}

// The most memory the process has held in its working set so far, in megabytes.
double PeakWorkingSetMegabytes(const ChildProcess& process) {
    HANDLE handle = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, process.ProcessId());
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    const bool read = handle && GetProcessMemoryInfo(handle, &counters, sizeof(counters));
    if (handle)
        CloseHandle(handle);
    return read ? counters.PeakWorkingSetSize / (1024.0 * 1024.0) : -1;
}

double NormalStartPeakMegabytes() {
    BarRun run;
    const ChildProcess& bar = run.Start();
    if (!run.WaitForStartedBar(bar, kStartTimeout))
        return -1;
    return PeakWorkingSetMegabytes(bar);
}

TEST(HostileSkin, OversizedLeftBackgroundGivesOneBoxAndTheMemoryOfANormalStart) {
    const double normalPeak = NormalStartPeakMegabytes();
    ASSERT_GT(normalPeak, 0) << "the bar with the sample skins did not start";

    BarRun run;
    const std::wstring picture = run.Folder().File(L"LeftBg.PNG");
    testsupport::WriteWholeFile(picture, TransparentPng(30000, 20000));
    WearOnly(run, picture);
    std::string error;
    const auto machine = tamsil::Machine::Open(run.Folder().File(L"TamsilIO.machine"), nullptr, &error);
    ASSERT_NE(machine, nullptr) << error;
    const ChildProcess& bar = run.Start();

    const auto boxes = testsupport::WaitForMessageBoxes(bar.ProcessId(), kBoxTimeout);
    machine->ReadEC(kCableRegister);
    const double hostilePeak = PeakWorkingSetMegabytes(bar);
    const auto journal = run.Journal();
    const size_t running = e2e::FindLine(journal, 0, e2e::SetsRunningBit);
    const size_t stamp = e2e::FindLine(journal, running == e2e::kNoLine ? 0 : running,
                                       [](const e2e::JournalLine& line) { return IsCall(line, "ReadEC", "0x79B"); });
    std::printf("peak working set: normal start %.1f MB, hostile package %.1f MB\n", normalPeak, hostilePeak);
    if (running != e2e::kNoLine && stamp != e2e::kNoLine && !boxes.empty())
        std::printf("running bit to the box: %.0f ms\n", journal[stamp].milliseconds - journal[running].milliseconds);

    ASSERT_NE(running, e2e::kNoLine) << "the start did not reach the running bit";
    ASSERT_EQ(boxes.size(), 1u) << "no box, or more than one";
    EXPECT_EQ(boxes[0].caption, L"Vantelo II");
    EXPECT_EQ(boxes[0].text, L"Imag load error !");
    EXPECT_LT(hostilePeak, 3 * normalPeak) << "the picture was decoded";
    testsupport::AnswerMessageBox(boxes[0], IDOK);

    // The start goes on as without a package and leaves the bar running, without a second box.
    EXPECT_NE(run.WaitForStartedBar(bar, kStartTimeout), nullptr);
    EXPECT_TRUE(testsupport::FindMessageBoxes(bar.ProcessId()).empty());
    EXPECT_FALSE(bar.WaitForExit(0));
}

}  // namespace
