// A plain second reading of a settings file, to hold the program's reader
// against (the byte-flip test and the settings-file fuzz target): the header
// words, then key word and value by turns, separated by white space; a value
// is an optional sign and decimal digits (at most 15 characters) worth
// 0..255, negative only as zero; what follows the last value is not read.
#ifndef ZUVELS_TESTS_UNIT_PLAIN_SETTINGS_H
#define ZUVELS_TESTS_UNIT_PLAIN_SETTINGS_H

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "shell/settings_file.h"

namespace plain {

// The first max words of the bytes; a zero byte is part of a word.
inline std::vector<std::string> words(const uint8_t* data, size_t size, size_t max) {
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

inline bool value(const std::string& w, uint8_t* out) {
    if (w.empty() || w.size() > 15) return false;
    size_t i = w[0] == '+' || w[0] == '-' ? 1 : 0;
    if (i == w.size()) return false;
    unsigned v = 0;
    for (; i < w.size(); ++i) {
        if (w[i] < '0' || w[i] > '9') return false;
        v = v * 10 + static_cast<unsigned>(w[i] - '0');
        if (v > 255) return false;
    }
    if (w[0] == '-' && v != 0) return false;
    *out = static_cast<uint8_t>(v);
    return true;
}

// True when the file loads; its values (fmt.keyCount of them) in out.
inline bool readSettings(const uint8_t* data, size_t size, const SettingsFormat& fmt,
                         uint8_t* out) {
    const int headerWords = 3;
    const size_t needed = headerWords + 2 * static_cast<size_t>(fmt.keyCount);
    const std::vector<std::string> w = words(data, size, needed);
    if (w.size() < needed) return false;
    for (int i = 0; i < headerWords; ++i)
        if (w[i] != settingsKeyWord(fmt, i)) return false;
    for (int k = 0; k < fmt.keyCount; ++k) {
        if (w[headerWords + 2 * k] != settingsKeyWord(fmt, headerWords + k)) return false;
        if (!value(w[headerWords + 2 * k + 1], &out[k])) return false;
    }
    return true;
}

inline bool readSettings(const std::string& file, const SettingsFormat& fmt, uint8_t* out) {
    return readSettings(reinterpret_cast<const uint8_t*>(file.data()), file.size(), fmt, out);
}

}  // namespace plain

#endif
