// The hardware library's classes over the simulated machine. Each object maps the machine
// that the environment names when it is made; an object whose machine cannot be opened answers
// 0 to every call and changes nothing.
#include "tamsil/TamsilIO.h"

#include "tamsil/Machine.h"

namespace {

using tamsil::Machine;

std::unique_ptr<Machine> OpenMachine() {
    std::string error;
    std::unique_ptr<Machine> machine = Machine::Open(tamsil::MachinePath(), nullptr, &error);
    if (!machine)
        OutputDebugStringA(("TamsilIO: " + error + "\n").c_str());
    return machine;
}

// Failure of a kind that is neither "no driver" nor "not the maker's machine".
constexpr int kNoMachine = -1;

// How long the event thread sleeps when no wake-up comes: a wake-up meant for another
// process's event thread of the same machine is not lost for longer than this.
constexpr DWORD kEventPollMilliseconds = 100;

}  // namespace

struct TamsilWMI::Impl {
    std::unique_ptr<Machine> machine = OpenMachine();
};

TamsilWMI::TamsilWMI() : m_impl(new Impl) {}

TamsilWMI::~TamsilWMI() {
    delete m_impl;
}

unsigned long TamsilWMI::GetLong32(int method, int arg) {
    if (!m_impl->machine)
        return 0;
    return m_impl->machine->GetLong32(static_cast<uint32_t>(method), static_cast<uint32_t>(arg));
}

struct TamsilEC::Impl {
    std::unique_ptr<Machine> machine = OpenMachine();
};

TamsilEC::TamsilEC() : m_impl(new Impl) {}

TamsilEC::~TamsilEC() {
    delete m_impl;
}

unsigned TamsilEC::ReadEC(unsigned reg, int) {
    return m_impl->machine ? m_impl->machine->ReadEC(reg) : 0;
}

void TamsilEC::WriteEC(unsigned reg, unsigned value, int) {
    if (m_impl->machine)
        m_impl->machine->WriteEC(reg, value);
}

// The event thread waits for a queued event (or the next poll) and posts every queued event to
// the bound window; it ends when `stop` is set. An event for a window that is gone is dropped.
struct TamsilWMIEvent::Impl {
    std::unique_ptr<Machine> machine = OpenMachine();
    HWND window = nullptr;
    UINT message = 0;
    tamsil::UniqueHandle stop;
    tamsil::UniqueHandle thread;

    ~Impl() { StopThread(); }

    void StopThread() {
        if (!thread)
            return;
        SetEvent(stop.Get());
        WaitForSingleObject(thread.Get(), INFINITE);
        thread.Reset();
        stop.Reset();
    }

    // The thread is made suspended, so that nothing is posted before Init has journaled itself.
    bool PrepareThread() {
        stop = tamsil::UniqueHandle(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        if (stop)
            thread = tamsil::UniqueHandle(CreateThread(nullptr, 0, &Impl::Run, this, CREATE_SUSPENDED, nullptr));
        return static_cast<bool>(thread);
    }

    static DWORD WINAPI Run(void* parameter) {
        Impl* self = static_cast<Impl*>(parameter);
        const HANDLE waits[] = {self->stop.Get(), self->machine->EventQueued()};
        while (WaitForMultipleObjects(2, waits, FALSE, kEventPollMilliseconds) != WAIT_OBJECT_0) {
            self->machine->DeliverEvents(
                [self](uint32_t code) { return PostMessageW(self->window, self->message, code, 0) != FALSE; });
        }
        return 0;
    }
};

TamsilWMIEvent::TamsilWMIEvent() : m_impl(new Impl) {}

TamsilWMIEvent::~TamsilWMIEvent() {
    delete m_impl;
}

int TamsilWMIEvent::Init(HWND window, unsigned long message) {
    if (!m_impl->machine)
        return 0;
    m_impl->StopThread();
    m_impl->window = window;
    m_impl->message = static_cast<UINT>(message);
    const int result = IsWindow(window) && m_impl->PrepareThread() ? 1 : 0;
    m_impl->machine->JournalEventInit(static_cast<uint32_t>(reinterpret_cast<UINT_PTR>(window)),
                                      static_cast<uint32_t>(message), result);
    if (result)
        ResumeThread(m_impl->thread.Get());
    return result;
}

int InitTamsilIO(TamsilWMI** wmi) {
    if (wmi)
        *wmi = nullptr;
    std::unique_ptr<Machine> machine = OpenMachine();
    if (!machine)
        return kNoMachine;
    const int result = machine->InitTamsilIO();
    if (result == 0 && wmi)
        *wmi = new TamsilWMI;
    return result;
}
