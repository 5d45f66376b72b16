// Test buffers fenced by guard entries. Each guard holds a NaN of a fixed
// bit pattern: a routine that reads one carries a NaN into its result, and
// one that writes one is caught by guards_intact(). Under AddressSanitizer
// the guards are also poisoned, so any access to them is reported at once.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#define GUARDED_BUFFER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define GUARDED_BUFFER_ASAN 1
#endif
#endif

#ifdef GUARDED_BUFFER_ASAN
#include <sanitizer/asan_interface.h>
#endif

class GuardedBuffer {
public:
    // The values, with one guard entry before and one after them.
    explicit GuardedBuffer(const std::vector<double>& values)
        : storage_(values.size() + 2)
    {
        storage_.front() = guard_value();
        storage_.back() = guard_value();
        std::memcpy(storage_.data() + 1, values.data(), values.size() * sizeof(double));
        poison(true);
    }
    GuardedBuffer(const GuardedBuffer&) = delete;
    GuardedBuffer& operator=(const GuardedBuffer&) = delete;
    ~GuardedBuffer() { poison(false); }

    double* data() { return storage_.data() + 1; }
    const double* data() const { return storage_.data() + 1; }
    std::size_t size() const { return storage_.size() - 2; }
    std::vector<double> values() const { return {storage_.begin() + 1, storage_.end() - 1}; }

    // Both guards still hold their bit pattern.
    bool guards_intact() const
    {
        poison(false);
        const bool intact = is_guard(storage_.front()) && is_guard(storage_.back());
        poison(true);
        return intact;
    }

private:
    static constexpr std::uint64_t guard_bits = 0x7ff8dead0000beefULL;

    static double guard_value()
    {
        double v;
        std::memcpy(&v, &guard_bits, sizeof v);
        return v;
    }

    static bool is_guard(double v)
    {
        std::uint64_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        return bits == guard_bits;
    }

    // Each guard is one whole 8-byte shadow granule (the storage is at least
    // 8-byte aligned), so it can be poisoned on its own.
    void poison([[maybe_unused]] bool on) const
    {
#ifdef GUARDED_BUFFER_ASAN
        const double* front = storage_.data();
        const double* back = storage_.data() + storage_.size() - 1;
        if (on) {
            ASAN_POISON_MEMORY_REGION(front, sizeof(double));
            ASAN_POISON_MEMORY_REGION(back, sizeof(double));
        } else {
            ASAN_UNPOISON_MEMORY_REGION(front, sizeof(double));
            ASAN_UNPOISON_MEMORY_REGION(back, sizeof(double));
        }
#endif
    }

    std::vector<double> storage_;
};

// "(v0, v1, ...)" with whole numbers printed exactly, for failure messages.
inline std::string entries_text(const std::vector<double>& values)
{
    std::string out = "(";
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i > 0) {
            out += ", ";
        }
        char text[40];
        std::snprintf(text, sizeof text, "%.17g", values[i]);
        out += text;
    }
    return out + ")";
}
