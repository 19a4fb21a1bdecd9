// The largest block that this program asks the C runtime's heap for while the object lives:
// the decoders and libpng take their memory there, so a picture refused before its pixels are
// taken leaves it small. Its imports of malloc, calloc and realloc lead through the watch.
#pragma once

#include <cstddef>
#include <optional>

#include "ImportRedirect.h"

namespace skintest {

class LargestAllocation {
public:
    LargestAllocation();  // one at a time
    ~LargestAllocation();
    LargestAllocation(const LargestAllocation&) = delete;
    LargestAllocation& operator=(const LargestAllocation&) = delete;

    bool Installed() const;
    // In bytes, whether the request was met or not.
    size_t Bytes() const;

private:
    // Made in place: a watch of the heap must not take from it.
    std::optional<testsupport::ImportRedirect> redirects_[3];
};

}  // namespace skintest
