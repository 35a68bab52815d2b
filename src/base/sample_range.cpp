#include "base/sample_range.h"

#include <utility>

namespace quillon {

void SampleRange::normalise()
{
    if (end < begin)
        std::swap(begin, end);
}

void SampleRange::clamp(const SampleRange& bounds)
{
    const int64_t len = int64_t(end) - begin;
    if (len >= int64_t(bounds.end) - bounds.begin) {
        *this = bounds;
        return;
    }
    if (begin < bounds.begin) {
        begin = bounds.begin;
        end = static_cast<int32_t>(begin + len);
    }
    if (end > bounds.end) {
        end = bounds.end;
        begin = static_cast<int32_t>(end - len);
    }
}

} // namespace quillon
