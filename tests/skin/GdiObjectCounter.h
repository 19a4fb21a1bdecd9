// Counts the memory device contexts and DIB sections that this program creates and has not
// deleted yet, and can make their creation fail as when GDI has no room left. Wine answers
// GetGuiResources with 0, so the counter watches the calls instead: while it lives, this
// program's imports of CreateCompatibleDC, CreateDIBSection, DeleteDC and DeleteObject lead
// through it.
#pragma once

#include <optional>

#include "ImportRedirect.h"

namespace skintest {

class GdiObjectCounter {
public:
    GdiObjectCounter();  // one at a time
    ~GdiObjectCounter();
    GdiObjectCounter(const GdiObjectCounter&) = delete;
    GdiObjectCounter& operator=(const GdiObjectCounter&) = delete;

    bool Installed() const;
    // Created while counting and not deleted since; -1 when more were alive than it can track.
    int LiveDeviceContexts() const;
    int LiveDibSections() const;

    // While set, every CreateDIBSection (CreateCompatibleDC) fails.
    void RefuseDibSections(bool refuse);
    void RefuseDeviceContexts(bool refuse);

private:
    // Made in place, without the heap that the tests count.
    std::optional<testsupport::ImportRedirect> redirects_[4];
};

}  // namespace skintest
