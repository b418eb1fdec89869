// What the link targets hold every store to.
#ifndef ZUVELS_TESTS_FUZZ_HARNESS_STORE_CHECKS_H
#define ZUVELS_TESTS_FUZZ_HARNESS_STORE_CHECKS_H

#include "link/blocks.h"
#include "tests/fuzz/harness/fuzz_input.h"

// A store marked valid holds a reply as the controller sent it.
template <typename Block>
void checkStore(const Block& b, bool valid) {
    if (!valid) return;
    const uint8_t* bytes = blockBytes(b);
    FUZZ_CHECK(bytes[0] == 0x65);
    FUZZ_CHECK(byteSum(bytes, sizeof b - 1) == bytes[sizeof b - 1]);
}

#endif
