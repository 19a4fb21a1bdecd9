// The simulated machine behind the hardware library, as every process sees it.
//
// Its state (MachineState.h) lives in one memory-mapped file, so that tamsilctl in one process
// can watch and steer the bar in another. A named mutex derived from the file's resolved name
// serialises every access across processes: each operation below takes it, does its work and
// appends its journal entry in one step, so the journal's order is the order in which the
// operations took effect. Time stamps come from the performance counter, which is one clock
// for the whole system, counted from the moment the machine was made or last reset, and never
// go backwards in the journal. The journal is a ring of the newest kJournalCapacity entries;
// the event queue holds at most kEventCapacity events and refuses more.
//
// Register 0x75A is the support-byte mailbox: outside a report it reads 0 and ignores writes.
// GetLong32(0x200, 0x80) starts a report: reads then give 0 for the profile's CountZeroReads and
// after that the count; each write of 0xFF moves on to the next support byte, which reads 0 for
// its ByteZeroReads and then its value; the write after the last byte ends the report.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tamsil/Handle.h"
#include "tamsil/MachineState.h"
#include "tamsil/Profile.h"

namespace tamsil {

// The machine file: TAMSILIO_MACHINE, else TamsilIO.machine in the temporary folder.
std::wstring MachinePath();

// What a machine is made from when its file does not hold one yet: the profile named by
// TAMSILIO_PROFILE, else the default machine.
bool CreationProfile(Profile* profile, std::string* error);

// One journal entry as a line, without line end: "1573.600 ReadEC 0x75A -> 0x13".
std::string FormatJournalEntry(const JournalEntry& entry);

class Machine {
public:
    // Maps the machine at `path`. A file that does not hold a machine of this layout yet, or
    // whose counts and indexes lie out of their bounds, is made from `creation`, or from
    // CreationProfile() when that is null; the latter is journaled as a reset.
    static std::unique_ptr<Machine> Open(const std::wstring& path, const Profile* creation, std::string* error);
    ~Machine();
    Machine(const Machine&) = delete;
    Machine& operator=(const Machine&) = delete;

    // The library's calls, each journaled.
    int InitTamsilIO();
    uint32_t GetLong32(uint32_t method, uint32_t arg);
    uint32_t ReadEC(uint32_t reg);
    void WriteEC(uint32_t reg, uint32_t value);
    void JournalEventInit(uint32_t window, uint32_t message, int result);

    // Hotkey events: queued by InjectEvent (journaled "Event"; false when the queue is full),
    // and handed oldest first to `post` by DeliverEvents, which journals "Post" for each one that
    // `post` accepts. Posting happens under the lock, so the "Post" line comes before anything
    // the receiver does with the machine in answer.
    bool InjectEvent(uint32_t code);
    void DeliverEvents(const std::function<bool(uint32_t code)>& post);
    HANDLE EventQueued() const { return eventQueued_.Get(); }  // auto-reset, set by InjectEvent

    // Control of the machine from outside, not journaled. PeekRegister gives what the next
    // read would give without reading; SetRegister writes as the library does.
    uint32_t PeekRegister(uint32_t reg);
    void SetRegister(uint32_t reg, uint32_t value);
    bool SetAnswer(uint32_t query, uint32_t value);  // query 0x1900, 0x2000 or 0x2500
    void Reset(const Profile& profile);              // new state, journal cleared, clock at 0

    // The journal, oldest line first.
    std::vector<std::string> Journal();

private:
    class Lock;

    Machine() = default;
    void Append(JournalCall call, uint32_t first, uint32_t second = 0, uint32_t result = 0);

    UniqueHandle mutex_;
    UniqueHandle eventQueued_;
    UniqueHandle file_;
    UniqueHandle mapping_;
    MachineState* state_ = nullptr;
};

}  // namespace tamsil
