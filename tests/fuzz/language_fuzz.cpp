// The language-file reader on any bytes. The table must end up as a plain
// reading of the file says: line k's text after its last '=' (at most 127
// bytes, up to a zero byte) replaces entry k; other entries keep their text,
// but for those added after the first files, which start from English.
// The shown table holds each text decoded from the code page it was read in.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "shell/language.h"
#include "tests/fuzz/harness/fuzz_input.h"
#include "tests/fuzz/harness/scratch_file.h"

namespace {

const char Untouched[] = "untouched";

// The expected text of every entry where no line with '=' is: Untouched,
// or the English text of an entry added after the first files.
std::string textWithoutLine(int k) {
    return k >= FirstAppendedEntry ? AppendedEnglishTexts[k - FirstAppendedEntry] : Untouched;
}

std::vector<std::string> plainTable(const uint8_t* data, size_t size) {
    std::vector<std::string> table;
    for (int k = 0; k < LanguageEntries; ++k) table.push_back(textWithoutLine(k));
    size_t at = 0;
    for (int k = 0; k < LanguageEntries && size > 0; ++k) {
        const void* nl = memchr(data + at, '\n', size - at);
        const size_t end = nl ? static_cast<size_t>(static_cast<const uint8_t*>(nl) - data) : size;
        const std::string line(reinterpret_cast<const char*>(data + at), end - at);
        const size_t eq = line.rfind('=');
        if (eq != std::string::npos) {
            const std::string text = line.substr(eq + 1, LanguageTextSize - 1);
            table[k] = text.substr(0, strnlen(text.c_str(), text.size()));
        }
        if (!nl) break;
        at = end + 1;
    }
    return table;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    for (int k = 0; k < LanguageEntries; ++k) setLanguageEntry(k, Untouched);
    // The code page follows the first byte, so every table is driven.
    const CodePage cp = static_cast<CodePage>(size ? data[0] % 3 : 0);
    const char* path = writeScratchFile("language", data, size);
    FUZZ_CHECK(loadLanguageFile(path, cp));
    const std::vector<std::string> expected = plainTable(data, size);
    char16_t decoded[LanguageTextSize];
    for (int k = 0; k < LanguageEntries; ++k) {
        FUZZ_CHECK(memchr(LanguageTable[k], '\0', LanguageTextSize) != nullptr);
        FUZZ_CHECK(expected[k] == LanguageTable[k]);
        // What is shown is the stored text decoded, one character per byte.
        decodeText(LanguageTable[k], cp, decoded, LanguageTextSize);
        FUZZ_CHECK(std::u16string(decoded) == LanguageText[k]);
        FUZZ_CHECK(std::char_traits<char16_t>::length(LanguageText[k]) == strlen(LanguageTable[k]));
    }
    return 0;
}
