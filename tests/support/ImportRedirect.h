// Leads this program's calls of one imported system function to a replacement while the
// object lives: for cases that need the system to answer what this machine does not (another
// screen width, another Windows version, a system menu, a creation that fails) and for watches
// that count calls. The code under test is linked into the test program, so its calls go
// through this program's import table.
#pragma once

#include <windows.h>

#include <cstddef>
#include <optional>

namespace testsupport {

class ImportRedirect {
public:
    // `function` as imported by name from any module; `replacement` has its signature.
    ImportRedirect(const char* function, void* replacement);
    ~ImportRedirect();
    ImportRedirect(const ImportRedirect&) = delete;
    ImportRedirect& operator=(const ImportRedirect&) = delete;

    bool Installed() const { return slot_ != nullptr; }
    // The function the import led to before, for a replacement that passes calls on.
    template <typename Function>
    Function Original() const {
        return reinterpret_cast<Function>(original_);
    }

private:
    ULONG_PTR* slot_ = nullptr;
    ULONG_PTR original_ = 0;
};

// Whether every redirect of a watch that leads several functions is in place.
template <size_t N>
bool AllInstalled(const std::optional<ImportRedirect> (&redirects)[N]) {
    for (const auto& redirect : redirects)
        if (!redirect || !redirect->Installed())
            return false;
    return true;
}

}  // namespace testsupport
