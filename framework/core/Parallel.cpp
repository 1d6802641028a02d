#include "Parallel.h"

#include <algorithm>

int WorkParts(size_t nItems, size_t nMinPerPart) {
    // More threads than processors only take turns; one where the count is not known.
    const size_t nProcessors = std::max(1u, std::min(std::thread::hardware_concurrency(), 8u));
    const size_t nBySize = nMinPerPart == 0 ? nProcessors : std::max<size_t>(1, nItems / nMinPerPart);
    return static_cast<int>(std::min(nProcessors, nBySize));
}
