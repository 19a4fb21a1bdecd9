// tamsilctl: watches and steers the simulated machine named by TAMSILIO_MACHINE (else
// TamsilIO.machine in the temporary folder). Each command prints nothing but its answer and
// exits with 0; bad use prints a message on standard error and exits with 2.
//
//   reset [PROFILE]     new machine state from PROFILE or the default; journal cleared
//   event CODE          queue a hotkey event for the library's event thread to post
//   read REG            print the register as 0x%X (the mailbox 0x75A without taking a read)
//   write REG VALUE     set a register (0xFF to 0x75A acknowledges, as from the library)
//   answer QUERY VALUE  change the answer of query 0x1900, 0x2000 or 0x2500
//   journal             print the journal, oldest line first (it keeps the newest 8192 calls)
//
// Its reads and writes are not library calls and are not journaled.
#include <windows.h>

#include <cstdio>
#include <string>

#include "tamsil/Machine.h"
#include "tamsil/Numbers.h"

namespace {

using tamsil::Machine;

constexpr int kSuccess = 0;
constexpr int kBadUse = 2;

constexpr const char* kUsage =
    "usage: tamsilctl reset [PROFILE]\n"
    "       tamsilctl event CODE\n"
    "       tamsilctl read REG\n"
    "       tamsilctl write REG VALUE\n"
    "       tamsilctl answer QUERY VALUE\n"
    "       tamsilctl journal\n";

int Fail(const std::string& message) {
    std::fprintf(stderr, "tamsilctl: %s\n", message.c_str());
    return kBadUse;
}

int Usage() {
    std::fputs(kUsage, stderr);
    return kBadUse;
}

// Numbers are ASCII; anything else fails to parse.
bool Number(const wchar_t* text, uint32_t max, uint32_t* value) {
    std::string narrow;
    for (const wchar_t* c = text; *c; ++c) {
        if (*c > 0x7F)
            return false;
        narrow.push_back(static_cast<char>(*c));
    }
    return tamsil::ParseUnsigned(narrow, max, value);
}

std::unique_ptr<Machine> Open(const tamsil::Profile* creation, std::string* error) {
    return Machine::Open(tamsil::MachinePath(), creation, error);
}

int Reset(int argc, wchar_t** argv) {
    tamsil::Profile profile = tamsil::DefaultProfile();
    std::string error;
    if (argc == 3 && !tamsil::LoadProfile(argv[2], &profile, &error))
        return Fail("profile: " + error);
    std::unique_ptr<Machine> machine = Open(&profile, &error);
    if (!machine)
        return Fail(error);
    machine->Reset(profile);
    return kSuccess;
}

int Event(wchar_t** argv) {
    uint32_t code;
    if (!Number(argv[2], UINT32_MAX, &code))
        return Fail("bad event code (decimal or 0x hex)");
    std::string error;
    std::unique_ptr<Machine> machine = Open(nullptr, &error);
    if (!machine)
        return Fail(error);
    if (!machine->InjectEvent(code))
        return Fail("event queue full: no event thread takes the events");
    return kSuccess;
}

int Read(wchar_t** argv) {
    uint32_t reg;
    if (!Number(argv[2], tamsil::kRegisterCount - 1, &reg))
        return Fail("bad register (0 to 0xFFFF)");
    std::string error;
    std::unique_ptr<Machine> machine = Open(nullptr, &error);
    if (!machine)
        return Fail(error);
    std::printf("0x%X\n", machine->PeekRegister(reg));
    return kSuccess;
}

int Write(wchar_t** argv) {
    uint32_t reg;
    uint32_t value;
    if (!Number(argv[2], tamsil::kRegisterCount - 1, &reg))
        return Fail("bad register (0 to 0xFFFF)");
    if (!Number(argv[3], 0xFF, &value))
        return Fail("bad value (0 to 0xFF)");
    std::string error;
    std::unique_ptr<Machine> machine = Open(nullptr, &error);
    if (!machine)
        return Fail(error);
    machine->SetRegister(reg, value);
    return kSuccess;
}

int Answer(wchar_t** argv) {
    uint32_t query;
    uint32_t value;
    if (!Number(argv[2], UINT32_MAX, &query) || (query != 0x1900 && query != 0x2000 && query != 0x2500))
        return Fail("bad query (0x1900, 0x2000 or 0x2500)");
    if (!Number(argv[3], UINT32_MAX, &value))
        return Fail("bad answer (decimal or 0x hex)");
    std::string error;
    std::unique_ptr<Machine> machine = Open(nullptr, &error);
    if (!machine)
        return Fail(error);
    machine->SetAnswer(query, value);
    return kSuccess;
}

int Journal() {
    std::string error;
    std::unique_ptr<Machine> machine = Open(nullptr, &error);
    if (!machine)
        return Fail(error);
    for (const std::string& line : machine->Journal())
        std::printf("%s\n", line.c_str());
    return kSuccess;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2)
        return Usage();
    const std::wstring command = argv[1];
    if (command == L"reset" && (argc == 2 || argc == 3))
        return Reset(argc, argv);
    if (command == L"event" && argc == 3)
        return Event(argv);
    if (command == L"read" && argc == 3)
        return Read(argv);
    if (command == L"write" && argc == 4)
        return Write(argv);
    if (command == L"answer" && argc == 4)
        return Answer(argv);
    if (command == L"journal" && argc == 2)
        return Journal();
    return Usage();
}
