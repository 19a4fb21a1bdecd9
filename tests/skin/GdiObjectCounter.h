// Counts the memory device contexts and DIB sections that this program creates and has not
// deleted yet, and can make their creation fail as when GDI has no room left. Wine answers
// GetGuiResources with 0, so the counter watches the calls instead: while it lives, this
// program's imports of CreateCompatibleDC, CreateDIBSection, DeleteDC and DeleteObject lead
// through it.
#pragma once

namespace skintest {

// Replaces the address `original` in this program's import table for `module` by `replacement`;
// false when the program does not import it from there. The counter, and the other watches of
// the tests, lead the toolkit's calls through their own functions this way.
bool RedirectImport(const char* module, void* original, void* replacement);

class GdiObjectCounter {
public:
    GdiObjectCounter();  // one at a time
    ~GdiObjectCounter();
    GdiObjectCounter(const GdiObjectCounter&) = delete;
    GdiObjectCounter& operator=(const GdiObjectCounter&) = delete;

    bool Installed() const { return installed_; }
    // Created while counting and not deleted since; -1 when more were alive than it can track.
    int LiveDeviceContexts() const;
    int LiveDibSections() const;

    // While set, every CreateDIBSection (CreateCompatibleDC) fails.
    void RefuseDibSections(bool refuse);
    void RefuseDeviceContexts(bool refuse);

private:
    bool installed_ = false;
};

}  // namespace skintest
