#include "tamsil/Machine.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <iterator>

namespace tamsil {

namespace {

constexpr uint32_t kMethodFunction = 0x200;
constexpr uint32_t kFunctionSupportReport = 0x80;
constexpr uint32_t kQuery1900 = 0x1900;
constexpr uint32_t kQuery2000 = 0x2000;
constexpr uint32_t kQuery2500 = 0x2500;
constexpr uint32_t kRegister75B = 0x75B;
constexpr uint32_t kRegister79B = 0x79B;

std::wstring Environment(const wchar_t* name) {
    const DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
    if (size == 0)
        return {};
    std::wstring value(size, L'\0');
    const DWORD length = GetEnvironmentVariableW(name, &value[0], size);
    value.resize(length < size ? length : 0);
    return value;
}

// The name the system resolves the open file to, so that every spelling of one file's path
// (relative, short, differently cased) leads to the same lock; the given path if there is none.
std::wstring ResolvedName(HANDLE file, const std::wstring& path) {
    std::wstring name(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetFinalPathNameByHandleW(file, &name[0], static_cast<DWORD>(name.size()), 0);
        if (length == 0)
            return path;
        if (length < name.size()) {
            name.resize(length);
            return name;
        }
        name.resize(length + 1);
    }
}

int64_t PerformanceCounter() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

// Kernel object names cannot hold a path, so the objects of one machine are named after a
// hash of its file's name (upper-cased: the file system ignores case).
std::wstring ObjectNamePrefix(const std::wstring& fileName) {
    std::wstring upper = fileName;
    CharUpperBuffW(&upper[0], static_cast<DWORD>(upper.size()));
    uint64_t hash = 14695981039346656037ull;
    for (wchar_t c : upper) {
        hash ^= static_cast<uint16_t>(c);
        hash *= 1099511628211ull;
    }
    wchar_t name[64];
    swprintf(name, 64, L"Local\\TamsilIO.%08lX%08lX", static_cast<unsigned long>(hash >> 32),
             static_cast<unsigned long>(hash & 0xFFFFFFFF));
    return name;
}

void Initialise(MachineState* state, const Profile& profile) {
    std::memset(state, 0, sizeof(*state));
    state->magic = kStateMagic;
    state->version = kStateVersion;
    state->size = sizeof(MachineState);
    state->clockOrigin = PerformanceCounter();
    state->profile = profile;
    state->registers[kRegister75B] = profile.reg75B;
    state->registers[kRegister79B] = profile.reg79B;
}

bool HoldsMachine(const MachineState& state) {
    return state.magic == kStateMagic && state.version == kStateVersion && state.size == sizeof(MachineState);
}

// The counts and indexes of the state that index its arrays. A file of the right layout can
// still hold any bytes (left by a crash, another build or anyone who can write the file), so
// these are checked before the state is used; the journal names a field that fails.
enum class CheckedField : uint32_t { kByteCount, kMailboxPhase, kMailboxIndex, kEventFirst, kEventCount, kNone };

constexpr const char* kCheckedFieldNames[] = {"SupportByteCount", "MailboxPhase", "MailboxIndex", "EventFirst",
                                              "EventCount"};
static_assert(std::size(kCheckedFieldNames) == static_cast<size_t>(CheckedField::kNone), "one name per field");

const char* CheckedFieldName(uint32_t field) {
    return field < std::size(kCheckedFieldNames) ? kCheckedFieldNames[field] : "unknown field";
}

CheckedField FieldOutOfBounds(const MachineState& state) {
    if (state.profile.byteCount > kMaxSupportBytes)
        return CheckedField::kByteCount;
    if (state.mailboxPhase > MailboxPhase::kBytes)
        return CheckedField::kMailboxPhase;
    if (state.mailboxPhase == MailboxPhase::kBytes && state.mailboxIndex >= state.profile.byteCount)
        return CheckedField::kMailboxIndex;
    if (state.eventFirst >= kEventCapacity)
        return CheckedField::kEventFirst;
    if (state.eventCount > kEventCapacity)
        return CheckedField::kEventCount;
    return CheckedField::kNone;
}

// Microseconds since the origin, never less than the last stamp handed out.
uint64_t TakeStamp(MachineState* state) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    const int64_t elapsed = PerformanceCounter() - state->clockOrigin;
    const uint64_t ticks = elapsed > 0 ? static_cast<uint64_t>(elapsed) : 0;
    const uint64_t perSecond = static_cast<uint64_t>(frequency.QuadPart);
    uint64_t stamp = ticks / perSecond * 1000000 + ticks % perSecond * 1000000 / perSecond;
    if (stamp < state->lastStamp)
        stamp = state->lastStamp;
    state->lastStamp = stamp;
    return stamp;
}

// Moves the mailbox to byte `index`, or ends the report after the last one.
void EnterByte(MachineState* state, uint32_t index) {
    const Profile& profile = state->profile;
    if (index >= profile.byteCount) {
        state->mailboxPhase = MailboxPhase::kIdle;
        return;
    }
    state->mailboxPhase = MailboxPhase::kBytes;
    state->mailboxIndex = index;
    state->mailboxZeroReads = profile.byteZeroReads[index];
}

uint32_t MailboxValue(const MachineState& state) {
    switch (state.mailboxPhase) {
        case MailboxPhase::kCount:
            return state.profile.byteCount;
        case MailboxPhase::kBytes:
            return state.profile.supportBytes[state.mailboxIndex];
        default:
            return 0;
    }
}

uint32_t PeekMailbox(const MachineState& state) {
    return state.mailboxZeroReads > 0 ? 0 : MailboxValue(state);
}

uint32_t ReadRegister(MachineState* state, uint32_t reg) {
    if (reg >= kRegisterCount)
        return 0;
    if (reg != kMailboxRegister)
        return state->registers[reg];
    if (state->mailboxPhase != MailboxPhase::kIdle && state->mailboxZeroReads > 0) {
        --state->mailboxZeroReads;
        return 0;
    }
    return MailboxValue(*state);
}

void WriteRegister(MachineState* state, uint32_t reg, uint32_t value) {
    if (reg >= kRegisterCount)
        return;
    if (reg != kMailboxRegister) {
        state->registers[reg] = static_cast<uint8_t>(value);
        return;
    }
    if (value != kAcknowledge)
        return;
    if (state->mailboxPhase == MailboxPhase::kCount)
        EnterByte(state, 0);
    else if (state->mailboxPhase == MailboxPhase::kBytes)
        EnterByte(state, state->mailboxIndex + 1);
}

void StartReport(MachineState* state) {
    state->mailboxPhase = MailboxPhase::kCount;
    state->mailboxIndex = 0;
    state->mailboxZeroReads = state->profile.countZeroReads;
}

uint32_t* Answer(Profile* profile, uint32_t query) {
    switch (query) {
        case kQuery1900:
            return &profile->query1900;
        case kQuery2000:
            return &profile->query2000;
        case kQuery2500:
            return &profile->query2500;
        default:
            return nullptr;
    }
}

}  // namespace

// Holds the machine's mutex for one operation. An abandoned mutex (its owner died) is taken
// over: every operation leaves the state consistent before it releases the mutex, except one
// cut off midway, which at worst leaves one journal entry or register half-written.
class Machine::Lock {
public:
    explicit Lock(HANDLE mutex) : mutex_(mutex) { WaitForSingleObject(mutex_, INFINITE); }
    ~Lock() { ReleaseMutex(mutex_); }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

private:
    HANDLE mutex_;
};

std::wstring MachinePath() {
    const std::wstring named = Environment(L"TAMSILIO_MACHINE");
    if (!named.empty())
        return named;
    wchar_t folder[MAX_PATH + 1];
    const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
    return std::wstring(folder, length > MAX_PATH ? 0 : length) + L"TamsilIO.machine";
}

bool CreationProfile(Profile* profile, std::string* error) {
    const std::wstring path = Environment(L"TAMSILIO_PROFILE");
    if (path.empty()) {
        *profile = DefaultProfile();
        return true;
    }
    if (LoadProfile(path, profile, error))
        return true;
    *error = "TAMSILIO_PROFILE: " + *error;
    return false;
}

std::string FormatJournalEntry(const JournalEntry& entry) {
    char line[128];
    const int written = std::snprintf(line, sizeof(line), "%s.%03u ", std::to_string(entry.stamp / 1000).c_str(),
                                      static_cast<unsigned>(entry.stamp % 1000));
    char* rest = line + written;
    const size_t room = sizeof(line) - written;
    switch (entry.call) {
        case JournalCall::kInitTamsilIO:
            std::snprintf(rest, room, "InitTamsilIO -> %d", static_cast<int32_t>(entry.result));
            break;
        case JournalCall::kGetLong32:
            std::snprintf(rest, room, "GetLong32 0x%X 0x%X -> 0x%X", entry.first, entry.second, entry.result);
            break;
        case JournalCall::kReadEC:
            std::snprintf(rest, room, "ReadEC 0x%X -> 0x%X", entry.first, entry.result);
            break;
        case JournalCall::kWriteEC:
            std::snprintf(rest, room, "WriteEC 0x%X 0x%X", entry.first, entry.second);
            break;
        case JournalCall::kEventInit:
            std::snprintf(rest, room, "Init 0x%X 0x%X -> %d", entry.first, entry.second,
                          static_cast<int32_t>(entry.result));
            break;
        case JournalCall::kEvent:
            std::snprintf(rest, room, "Event 0x%X", entry.first);
            break;
        case JournalCall::kPost:
            std::snprintf(rest, room, "Post 0x%X", entry.first);
            break;
        case JournalCall::kReset:
            std::snprintf(rest, room, "Reset %s out of bounds", CheckedFieldName(entry.first));
            break;
        default:
            std::snprintf(rest, room, "Unknown");
            break;
    }
    return line;
}

std::unique_ptr<Machine> Machine::Open(const std::wstring& path, const Profile* creation, std::string* error) {
    std::unique_ptr<Machine> machine(new Machine);
    machine->file_ = UniqueHandle(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!machine->file_) {
        *error = "cannot open the machine file";
        return nullptr;
    }
    const std::wstring prefix = ObjectNamePrefix(ResolvedName(machine->file_.Get(), path));
    machine->mutex_ = UniqueHandle(CreateMutexW(nullptr, FALSE, (prefix + L".lock").c_str()));
    machine->eventQueued_ = UniqueHandle(CreateEventW(nullptr, FALSE, FALSE, (prefix + L".events").c_str()));
    if (!machine->mutex_ || !machine->eventQueued_) {
        *error = "cannot create the machine's lock";
        return nullptr;
    }

    // A new file is empty. It is sized, checked and made into a machine under the lock, so that
    // of two first users one makes the machine and the other finds it made.
    Lock lock(machine->mutex_.Get());
    machine->mapping_ = UniqueHandle(
        CreateFileMappingW(machine->file_.Get(), nullptr, PAGE_READWRITE, 0, sizeof(MachineState), nullptr));
    if (machine->mapping_)
        machine->state_ = static_cast<MachineState*>(
            MapViewOfFile(machine->mapping_.Get(), FILE_MAP_ALL_ACCESS, 0, 0, sizeof(MachineState)));
    if (!machine->state_) {
        *error = "cannot map the machine file";
        return nullptr;
    }
    const bool holdsMachine = HoldsMachine(*machine->state_);
    const CheckedField damaged = holdsMachine ? FieldOutOfBounds(*machine->state_) : CheckedField::kNone;
    if (!holdsMachine || damaged != CheckedField::kNone) {
        Profile profile;
        if (creation)
            profile = *creation;
        else if (!CreationProfile(&profile, error))
            return nullptr;
        Initialise(machine->state_, profile);
    }
    if (damaged != CheckedField::kNone)
        machine->Append(JournalCall::kReset, static_cast<uint32_t>(damaged));
    return machine;
}

Machine::~Machine() {
    if (state_)
        UnmapViewOfFile(state_);
}

void Machine::Append(JournalCall call, uint32_t first, uint32_t second, uint32_t result) {
    JournalEntry& entry = state_->journal[state_->journalTotal % kJournalCapacity];
    entry.stamp = TakeStamp(state_);
    entry.call = call;
    entry.first = first;
    entry.second = second;
    entry.result = result;
    ++state_->journalTotal;
}

int Machine::InitTamsilIO() {
    Lock lock(mutex_.Get());
    const int32_t result = state_->profile.initResult;
    Append(JournalCall::kInitTamsilIO, 0, 0, static_cast<uint32_t>(result));
    return result;
}

uint32_t Machine::GetLong32(uint32_t method, uint32_t arg) {
    Lock lock(mutex_.Get());
    uint32_t result = 0;
    if (method == kMethodFunction && arg == kFunctionSupportReport)
        StartReport(state_);
    else if (const uint32_t* answer = Answer(&state_->profile, method))
        result = *answer;
    Append(JournalCall::kGetLong32, method, arg, result);
    return result;
}

uint32_t Machine::ReadEC(uint32_t reg) {
    Lock lock(mutex_.Get());
    const uint32_t value = ReadRegister(state_, reg);
    Append(JournalCall::kReadEC, reg, 0, value);
    return value;
}

void Machine::WriteEC(uint32_t reg, uint32_t value) {
    Lock lock(mutex_.Get());
    WriteRegister(state_, reg, value);
    Append(JournalCall::kWriteEC, reg, value);
}

void Machine::JournalEventInit(uint32_t window, uint32_t message, int result) {
    Lock lock(mutex_.Get());
    Append(JournalCall::kEventInit, window, message, static_cast<uint32_t>(result));
}

bool Machine::InjectEvent(uint32_t code) {
    {
        Lock lock(mutex_.Get());
        if (state_->eventCount == kEventCapacity)
            return false;
        state_->events[(state_->eventFirst + state_->eventCount) % kEventCapacity] = code;
        ++state_->eventCount;
        Append(JournalCall::kEvent, code);
    }
    SetEvent(eventQueued_.Get());
    return true;
}

void Machine::DeliverEvents(const std::function<bool(uint32_t code)>& post) {
    Lock lock(mutex_.Get());
    for (; state_->eventCount > 0; --state_->eventCount) {
        const uint32_t code = state_->events[state_->eventFirst];
        state_->eventFirst = (state_->eventFirst + 1) % kEventCapacity;
        if (post(code))
            Append(JournalCall::kPost, code);
    }
}

uint32_t Machine::PeekRegister(uint32_t reg) {
    Lock lock(mutex_.Get());
    if (reg >= kRegisterCount)
        return 0;
    return reg == kMailboxRegister ? PeekMailbox(*state_) : state_->registers[reg];
}

void Machine::SetRegister(uint32_t reg, uint32_t value) {
    Lock lock(mutex_.Get());
    WriteRegister(state_, reg, value);
}

bool Machine::SetAnswer(uint32_t query, uint32_t value) {
    Lock lock(mutex_.Get());
    uint32_t* answer = Answer(&state_->profile, query);
    if (!answer)
        return false;
    *answer = value;
    return true;
}

void Machine::Reset(const Profile& profile) {
    Lock lock(mutex_.Get());
    Initialise(state_, profile);
}

std::vector<std::string> Machine::Journal() {
    Lock lock(mutex_.Get());
    const uint64_t total = state_->journalTotal;
    const uint64_t first = total > kJournalCapacity ? total - kJournalCapacity : 0;
    std::vector<std::string> lines;
    lines.reserve(static_cast<size_t>(total - first));
    for (uint64_t i = first; i < total; ++i)
        lines.push_back(FormatJournalEntry(state_->journal[i % kJournalCapacity]));
    return lines;
}

}  // namespace tamsil
