// The bar's globals: a run leaves them changed, and ResetBarGlobals gives back what the
// program had at its start; the hardware objects of a run go with it, event thread and all.
#include <gtest/gtest.h>

#include <windows.h>

#include <tlhelp32.h>

#include <map>
#include <string>
#include <vector>

#include "BarDialogRun.h"
#include "bar/Globals.h"
#include "skin/SkinPack.h"

namespace {

using bartest::BarDialogRun;

// Every scalar global by name, the support table as one entry.
std::map<std::string, std::vector<int>> Scalars() {
    return {{"g_supportBytes", std::vector<int>(g_supportBytes, g_supportBytes + kSupportTableSize)},
            {"g_nButtonTotal", {g_nButtonTotal}},
            {"g_nButtonVisible", {g_nButtonVisible}},
            {"g_bWindows8", {g_bWindows8}},
            {"g_bCrtInDetect", {g_bCrtInDetect}},
            {"g_nVanteloSkin", {g_nVanteloSkin}},
            {"g_nPemroSkin", {g_nPemroSkin}},
            {"g_nBarWidth", {g_nBarWidth}},
            {"g_nBarHeight", {g_nBarHeight}},
            {"g_nBarAlpha", {g_nBarAlpha}},
            {"g_bDragging", {g_bDragging}},
            {"g_bDisplayChanged", {g_bDisplayChanged}},
            {"g_bVisScan", {g_bVisScan}}};
}

// Every field of a picture, handles as numbers.
std::vector<long long> Fields(const MemoryBitmap& p) {
    auto number = [](const void* handle) { return static_cast<long long>(reinterpret_cast<UINT_PTR>(handle)); };
    return {p.bpp,    number(p.hdc), number(p.hbm), number(p.hbmOld), number(p.bits), p.width,
            p.height, p.dispWidth,   p.dispHeight,  p.offsetX,        p.offsetY};
}

std::map<std::string, std::vector<long long>> Pictures() {
    return {{"g_bmpLeftBg", Fields(g_bmpLeftBg)},
            {"g_bmpMiddleBg", Fields(g_bmpMiddleBg)},
            {"g_bmpRightBg", Fields(g_bmpRightBg)},
            {"g_bmpSingleBg", Fields(g_bmpSingleBg)},
            {"g_bmpSurface", Fields(g_bmpSurface)}};
}

// Taken before any test runs: the globals as the program starts with them.
const std::map<std::string, std::vector<int>> kScalarsAtStart = Scalars();
const std::map<std::string, std::vector<long long>> kPicturesAtStart = Pictures();

TEST(BarGlobals, ResetAfterARunGivesEveryGlobalItsStartValue) {
    // Every button, the CRT-in-detect one included, and the Pemro family beside the main
    // one, so that every count, flag and answer is set.
    BarDialogRun run(bartest::ProfileWithBytes("1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1", "Query2000=1\r\n"));
    ASSERT_TRUE(run.Run([](CNewVanteloDlg&) {
        // What a run in this process does not reach by itself: the system version, a press
        // held down, a display change and a matching installed version.
        g_bWindows8 = 1;
        g_bDragging = 1;
        g_bDisplayChanged = 1;
        g_bVisScan = 1;
    }));
    LoadSkinPack(L"img\\Vantelo64.SKN");
    ASSERT_NE(nullptr, g_pSkinPack);

    const auto changed = Scalars();
    for (const auto& [name, value] : changed)
        ASSERT_NE(kScalarsAtStart.at(name), value) << name << " was not changed by the run";
    const auto pictures = Pictures();
    for (const auto& [name, value] : pictures)
        ASSERT_NE(kPicturesAtStart.at(name), value) << name << " was not changed by the run";

    ResetBarGlobals();
    for (const auto& [name, value] : Scalars())
        EXPECT_EQ(kScalarsAtStart.at(name), value) << name;
    for (const auto& [name, value] : Pictures())
        EXPECT_EQ(kPicturesAtStart.at(name), value) << name;
    EXPECT_EQ(nullptr, g_pSkinPack);
    EXPECT_EQ(0, g_nSkinPackSize);
}

// Where a thread of this process started, as the system recorded it.
void* StartAddress(DWORD threadId) {
    using Query = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
    static const auto query = reinterpret_cast<Query>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationThread")));
    constexpr int kWin32StartAddress = 9;
    void* start = nullptr;
    if (HANDLE thread = OpenThread(THREAD_QUERY_INFORMATION, FALSE, threadId)) {
        query(thread, kWin32StartAddress, &start, sizeof(start), nullptr);
        CloseHandle(thread);
    }
    return start;
}

// The threads of this process that run code of the hardware library: its event thread.
int HardwareLibraryThreads() {
    const auto* base = reinterpret_cast<const BYTE*>(GetModuleHandleW(L"TamsilIO.dll"));
    if (!base)
        return -1;
    const auto* nt =
        reinterpret_cast<const IMAGE_NT_HEADERS*>(base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const BYTE* end = base + nt->OptionalHeader.SizeOfImage;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    int count = 0;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID != GetCurrentProcessId())
            continue;
        const auto* start = static_cast<const BYTE*>(StartAddress(entry.th32ThreadID));
        if (start >= base && start < end)
            ++count;
    }
    CloseHandle(snapshot);
    return count;
}

TEST(BarGlobals, TheHardwareObjectsOfARunAreReleasedAtItsEnd) {
    BarDialogRun run(bartest::ProfileWithBytes("1 1 1"));
    int duringRun = 0;
    ASSERT_TRUE(run.Run([&](CNewVanteloDlg&) {
        EXPECT_NE(nullptr, g_pTamsilWMI);
        EXPECT_NE(nullptr, g_pTamsilEC);
        EXPECT_NE(nullptr, g_pTamsilWMIEvent);
        duringRun = HardwareLibraryThreads();
    }));
    EXPECT_EQ(1, duringRun) << "the event sink's thread while the bar runs";
    EXPECT_EQ(nullptr, g_pTamsilWMI);
    EXPECT_EQ(nullptr, g_pTamsilEC);
    EXPECT_EQ(nullptr, g_pTamsilWMIEvent);
    EXPECT_TRUE(testsupport::WaitUntil([] { return HardwareLibraryThreads() == 0; }, 5000))
        << HardwareLibraryThreads() << " thread(s) of the hardware library still run after the run";
}

}  // namespace
