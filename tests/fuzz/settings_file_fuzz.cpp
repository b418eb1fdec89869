// The settings-file reader on any bytes, for both formats. Besides crashes,
// its verdict is held against a plain reading of the format: the header
// words, then key word and value by turns, separated by white space; a value
// is an optional sign and decimal digits (at most 15 characters) worth
// 0..255, negative only as zero. A file loads exactly when it reads so, with
// those values, and is refused otherwise.
#include <cctype>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "link/blocks.h"
#include "shell/settings_file.h"
#include "tests/fuzz/harness/fuzz_input.h"
#include "tests/fuzz/harness/scratch_file.h"

namespace {

std::vector<std::string> words(const uint8_t* data, size_t size, size_t max) {
    std::vector<std::string> out;
    size_t i = 0;
    while (i < size && out.size() < max) {
        while (i < size && isspace(data[i])) ++i;
        if (i == size) break;
        std::string w;
        while (i < size && !isspace(data[i])) w += static_cast<char>(data[i++]);
        out.push_back(w);
    }
    return out;
}

bool plainValue(const std::string& w, uint8_t* value) {
    if (w.size() > 15) return false;
    size_t i = w[0] == '+' || w[0] == '-' ? 1 : 0;
    if (i == w.size()) return false;
    unsigned v = 0;
    for (; i < w.size(); ++i) {
        if (w[i] < '0' || w[i] > '9') return false;
        v = v * 10 + static_cast<unsigned>(w[i] - '0');
        if (v > 255) return false;
    }
    if (w[0] == '-' && v != 0) return false;
    *value = static_cast<uint8_t>(v);
    return true;
}

// The verdict of the plain reading; values in out when it loads.
bool plainRead(const uint8_t* data, size_t size, const SettingsFormat& fmt, uint8_t* out) {
    const int headerWords = 3;
    const size_t needed = headerWords + 2 * static_cast<size_t>(fmt.keyCount);
    const std::vector<std::string> w = words(data, size, needed);
    if (w.size() < needed) return false;
    for (int i = 0; i < headerWords; ++i)
        if (w[i] != settingsKeyWord(fmt, i)) return false;
    for (int k = 0; k < fmt.keyCount; ++k) {
        if (w[headerWords + 2 * k] != settingsKeyWord(fmt, headerWords + k)) return false;
        if (!plainValue(w[headerWords + 2 * k + 1], &out[k])) return false;
    }
    return true;
}

void checkFormat(const char* path, const uint8_t* data, size_t size, int generation) {
    const SettingsFormat& fmt = settingsFormatFor(generation);
    LoadedSettings s;
    const LoadCheck check = readSettingsFile(path, fmt, &s);
    FUZZ_CHECK(check != LoadCheck::CannotOpen);
    uint8_t expected[33] = {0};
    const bool loads = plainRead(data, size, fmt, expected);
    FUZZ_CHECK(loads == (check == LoadCheck::Ok));
    if (!loads) {
        FUZZ_CHECK(s.keyCount == 0 && s.sendCount == 0);
        return;
    }
    FUZZ_CHECK(s.keyCount == fmt.keyCount);
    FUZZ_CHECK(s.sendCount == (fmt.version == 3 ? 32 : 27));
    FUZZ_CHECK(memcmp(s.values, expected, static_cast<size_t>(fmt.keyCount)) == 0);
    for (int k = 0; k < s.sendCount; ++k) FUZZ_CHECK(s.addresses[k] == settingsAddresses[k]);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fillSettingsKeyTables();
    const char* path = writeScratchFile("settings", data, size);
    checkFormat(path, data, size, 1);
    checkFormat(path, data, size, 3);
    return 0;
}
