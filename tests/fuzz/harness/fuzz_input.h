// The fuzzer's input read as a stream of choices. Past its end every read
// gives 0, so a short input is simply a quiet one.
#ifndef ZUVELS_TESTS_FUZZ_HARNESS_FUZZ_INPUT_H
#define ZUVELS_TESTS_FUZZ_HARNESS_FUZZ_INPUT_H

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

class FuzzInput {
public:
    FuzzInput(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    bool empty() const { return pos_ >= size_; }
    size_t left() const { return size_ - pos_; }
    uint8_t byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    bool flag() { return (byte() & 1) != 0; }
    uint32_t word32() {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v = v << 8 | byte();
        return v;
    }
    // Up to max bytes copied into out; returns how many there were.
    size_t bytes(uint8_t* out, size_t max) {
        size_t n = 0;
        while (n < max && pos_ < size_) out[n++] = data_[pos_++];
        return n;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

// A broken rule of the code under test: reported and stopped like a crash,
// so that libFuzzer keeps the input.
#define FUZZ_CHECK(cond)                                                                 \
    do {                                                                                 \
        if (!(cond)) {                                                                   \
            std::fprintf(stderr, "%s:%d: rule broken: %s\n", __FILE__, __LINE__, #cond); \
            std::abort();                                                                \
        }                                                                                \
    } while (0)

#endif
