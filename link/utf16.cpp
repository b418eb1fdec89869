#include "link/utf16.h"

#include <cstdio>

namespace {

bool refuseAt(size_t offset, const char* what, std::string* error) {
    char line[96];
    snprintf(line, sizeof line, "not a UTF-8 name: %s at byte %zu", what, offset + 1);
    if (error) *error = line;
    return false;
}

// The code point of the sequence starting at s[i] and its length in *n, or
// -1 with *what set when the bytes there are no UTF-8 character.
long decodeOne(const std::string& s, size_t i, size_t* n, const char** what) {
    const unsigned char lead = static_cast<unsigned char>(s[i]);
    if (lead < 0x80) return *n = 1, lead;
    // Lead byte: the sequence's length and the smallest code point it may
    // carry (anything less is an overlong form).
    size_t length;
    long code, least;
    if ((lead & 0xE0) == 0xC0)
        length = 2, code = lead & 0x1F, least = 0x80;
    else if ((lead & 0xF0) == 0xE0)
        length = 3, code = lead & 0x0F, least = 0x800;
    else if ((lead & 0xF8) == 0xF0)
        length = 4, code = lead & 0x07, least = 0x10000;
    else
        return *what = "a stray byte", -1;
    for (size_t k = 1; k < length; ++k) {
        if (i + k >= s.size()) return *what = "a character cut short", -1;
        const unsigned char b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80) return *what = "a character cut short", -1;
        code = code << 6 | (b & 0x3F);
    }
    if (code < least) return *what = "an overlong character", -1;
    if (code >= 0xD800 && code <= 0xDFFF) return *what = "an encoded surrogate", -1;
    if (code > 0x10FFFF) return *what = "a character past U+10FFFF", -1;
    return *n = length, code;
}

void appendUtf8(long code, std::string* out) {
    if (code < 0x80) {
        out->push_back(static_cast<char>(code));
        return;
    }
    const int length = code < 0x800 ? 2 : code < 0x10000 ? 3 : 4;
    static const unsigned char Leads[] = {0, 0, 0xC0, 0xE0, 0xF0};
    out->push_back(static_cast<char>(Leads[length] | code >> 6 * (length - 1)));
    for (int k = length - 2; k >= 0; --k)
        out->push_back(static_cast<char>(0x80 | (code >> 6 * k & 0x3F)));
}

bool isHighSurrogate(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool isLowSurrogate(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

}  // namespace

bool utf8ToUtf16(const std::string& utf8, std::u16string* out, std::string* error) {
    std::u16string wide;
    wide.reserve(utf8.size());
    for (size_t i = 0, n = 0; i < utf8.size(); i += n) {
        const char* what = nullptr;
        const long code = decodeOne(utf8, i, &n, &what);
        if (code < 0) return refuseAt(i, what, error);
        if (code < 0x10000) {
            wide.push_back(static_cast<char16_t>(code));
        } else {
            wide.push_back(static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10)));
            wide.push_back(static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF)));
        }
    }
    *out = std::move(wide);
    return true;
}

bool utf16ToUtf8(const std::u16string& utf16, std::string* out, std::string* error) {
    std::string text;
    text.reserve(utf16.size());
    for (size_t i = 0; i < utf16.size(); ++i) {
        long code = utf16[i];
        if (isHighSurrogate(utf16[i]) && i + 1 < utf16.size() && isLowSurrogate(utf16[i + 1])) {
            code = 0x10000 + ((code - 0xD800) << 10) + (utf16[i + 1] - 0xDC00);
            ++i;
        } else if (isHighSurrogate(utf16[i]) || isLowSurrogate(utf16[i])) {
            char line[96];
            snprintf(line, sizeof line, "a name with a lone surrogate (U+%04lX) at unit %zu", code,
                     i + 1);
            if (error) *error = line;
            return false;
        }
        appendUtf8(code, &text);
    }
    *out = std::move(text);
    return true;
}

namespace {

bool isSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

// "C:\..." or "\\server\share\...", and no "." or ".." part the prefix
// would keep the system from reading.
bool takesLongPrefix(const std::u16string& p) {
    const bool drive = p.size() >= 3 && p[1] == u':' && isSeparator(p[2]) &&
                       ((p[0] >= u'A' && p[0] <= u'Z') || (p[0] >= u'a' && p[0] <= u'z'));
    const bool share =
        p.size() >= 3 && isSeparator(p[0]) && isSeparator(p[1]) && p[2] != u'?' && p[2] != u'.';
    if (!drive && !share) return false;
    for (size_t i = 0; i < p.size();) {
        size_t end = i;
        while (end < p.size() && !isSeparator(p[end])) ++end;
        const std::u16string part = p.substr(i, end - i);
        if (part == u"." || part == u"..") return false;
        i = end + 1;
    }
    return true;
}

}  // namespace

bool windowsFileName(const std::string& utf8, std::u16string* out, std::string* error) {
    std::u16string wide;
    if (!utf8ToUtf16(utf8, &wide, error)) return false;
    if (wide.size() > PlainPathUnits && takesLongPrefix(wide)) {
        for (char16_t& c : wide)
            if (c == u'/') c = u'\\';
        wide = wide[0] == u'\\' ? u"\\\\?\\UNC" + wide.substr(1) : u"\\\\?\\" + wide;
    }
    if (wide.size() > LongPathUnits) {
        if (error) *error = "a name too long for Windows (more than 32767 characters)";
        return false;
    }
    *out = std::move(wide);
    return true;
}
