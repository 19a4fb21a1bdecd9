// Counts the memory device contexts and DIB sections that this program creates and has not
// deleted yet. Wine answers GetGuiResources with 0, so the counter watches the calls instead:
// while it lives, this program's imports of CreateCompatibleDC, CreateDIBSection, DeleteDC
// and DeleteObject lead through it.
#pragma once

namespace skintest {

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

private:
    bool installed_ = false;
};

}  // namespace skintest
