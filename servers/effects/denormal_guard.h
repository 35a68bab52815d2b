#pragma once
// Flushes denormal floats to zero while an effect processes: decaying feedback paths
// (filters, delays, reverb tails) would otherwise crawl through the denormal range
// and make silence many times slower to process than sound.

#include <cstdint>

#if defined(__x86_64__) || defined(__i386__)
#include <xmmintrin.h>
#endif

namespace quillon::fx {

class DenormalGuard {
public:
#if defined(__x86_64__) || defined(__i386__)
    DenormalGuard() : m_saved(_mm_getcsr()) { _mm_setcsr(m_saved | kFlushToZero | kDenormalsAreZero); }
    ~DenormalGuard() { _mm_setcsr(m_saved); }

private:
    static constexpr unsigned kFlushToZero = 0x8000;
    static constexpr unsigned kDenormalsAreZero = 0x0040;
    unsigned m_saved;
#elif defined(__aarch64__)
    DenormalGuard()
    {
        asm volatile("mrs %0, fpcr" : "=r"(m_saved));
        const uint64_t flushed = m_saved | (uint64_t(1) << 24);
        asm volatile("msr fpcr, %0" : : "r"(flushed));
    }
    ~DenormalGuard() { asm volatile("msr fpcr, %0" : : "r"(m_saved)); }

private:
    uint64_t m_saved;
#else
    DenormalGuard() = default;
#endif
public:
    DenormalGuard(const DenormalGuard&) = delete;
    DenormalGuard& operator=(const DenormalGuard&) = delete;
};

} // namespace quillon::fx
