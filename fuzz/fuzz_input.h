#pragma once
// Reads a fuzz input front to back: small numbers and byte runs. Past the end every number
// reads as 0 and every run as empty, so any input is a complete script.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string_view>

class FuzzInput {
  public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : rest_(data, size) {}

    bool Empty() const { return rest_.empty(); }
    std::size_t Remaining() const { return rest_.size(); }

    std::uint8_t Byte() {
        if (rest_.empty()) return 0;
        const std::uint8_t b = rest_.front();
        rest_ = rest_.subspan(1);
        return b;
    }

    std::uint16_t Word() {
        const std::uint16_t low = Byte();
        return static_cast<std::uint16_t>(low | (Byte() << 8));
    }

    // Up to `count` bytes, fewer at the end of the input.
    std::span<const std::uint8_t> Bytes(std::size_t count) {
        const std::size_t n = count < rest_.size() ? count : rest_.size();
        const auto run = rest_.first(n);
        rest_ = rest_.subspan(n);
        return run;
    }

    std::string_view Text(std::size_t count) {
        const auto run = Bytes(count);
        return {reinterpret_cast<const char*>(run.data()), run.size()};
    }

    // Everything up to the next `separator` (which is consumed), or the rest.
    std::string_view TextUntil(std::uint8_t separator) {
        std::size_t n = 0;
        while (n < rest_.size() && rest_[n] != separator) ++n;
        const std::string_view text = Text(n);
        if (!rest_.empty()) rest_ = rest_.subspan(1);
        return text;
    }

  private:
    std::span<const std::uint8_t> rest_;
};

// Stops the run with a message when a property does not hold: libFuzzer records the input.
[[noreturn]] inline void FuzzFailure(const char* what, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: property does not hold: %s\n", file, line, what);
    std::abort();
}

#define FUZZ_CHECK(condition) \
    ((condition) ? static_cast<void>(0) : FuzzFailure(#condition, __FILE__, __LINE__))
