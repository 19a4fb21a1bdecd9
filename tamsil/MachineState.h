// The layout of the simulated machine's shared state: one fixed-size record that every process
// maps from the machine file. Change kStateVersion whenever the layout changes; a file of
// another magic, version or size is made afresh, and so is one whose counts or indexes lie
// out of their bounds.
#pragma once

#include <cstdint>
#include <type_traits>

#include "tamsil/Profile.h"

namespace tamsil {

constexpr uint32_t kStateMagic = 0x4D495354;  // "TSIM"
constexpr uint32_t kStateVersion = 1;

constexpr uint32_t kRegisterCount = 0x10000;  // byte registers 0x0000 to 0xFFFF
constexpr uint32_t kMailboxRegister = 0x75A;
constexpr uint32_t kAcknowledge = 0xFF;

constexpr uint32_t kEventCapacity = 256;

// The journal keeps the newest kJournalCapacity entries: a full journal drops its oldest.
constexpr uint32_t kJournalCapacity = 8192;

// Where the support-byte report stands.
enum class MailboxPhase : uint32_t { kIdle, kCount, kBytes };

// kReset: the machine found in the file was out of its bounds and made afresh; `first` says
// which field (Machine.cpp names them).
enum class JournalCall : uint32_t { kInitTamsilIO, kGetLong32, kReadEC, kWriteEC, kEventInit, kEvent, kPost, kReset };

struct JournalEntry {
    uint64_t stamp;  // microseconds since the machine was made or reset
    JournalCall call;
    uint32_t first;   // register, method, window, or event code
    uint32_t second;  // value, argument or message
    uint32_t result;
};

struct MachineState {
    uint32_t magic;
    uint32_t version;
    uint32_t size;

    int64_t clockOrigin;  // performance-counter reading at which time stamps are 0
    uint64_t lastStamp;   // keeps the journal's stamps from going backwards

    Profile profile;  // the query answers can change after the reset

    MailboxPhase mailboxPhase;
    uint32_t mailboxIndex;      // the byte being reported
    uint32_t mailboxZeroReads;  // reads still to answer 0 before the current value

    uint32_t eventFirst;
    uint32_t eventCount;
    uint32_t events[kEventCapacity];

    uint64_t journalTotal;  // entries appended since the reset; the newest sits at (total - 1) % capacity
    JournalEntry journal[kJournalCapacity];

    uint8_t registers[kRegisterCount];
};

static_assert(std::is_trivially_copyable<MachineState>::value, "the state is shared as raw bytes");

}  // namespace tamsil
