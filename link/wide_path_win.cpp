#include "link/wide_path_win.h"

#include <vector>

namespace {

const wchar_t* asWide(const std::u16string& s) {
    return reinterpret_cast<const wchar_t*>(s.c_str());
}

// The system's answer to a call that fills a buffer of `units` and returns
// the length it needs when that is more: grown until the text fits.
template <typename Call>
std::string askGrowing(Call call) {
    std::vector<wchar_t> buffer(MAX_PATH + 1);
    for (int round = 0; round < 8; ++round) {
        const DWORD n = call(buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return "";
        if (n < buffer.size()) return utf8Path(buffer.data(), n);
        buffer.resize(static_cast<size_t>(n) + 1 > buffer.size() * 2 ? n + 1 : buffer.size() * 2);
    }
    return "";
}

}  // namespace

std::wstring widePath(const char* utf8, std::string* error) {
    std::u16string name;
    if (!windowsFileName(utf8 ? utf8 : "", &name, error)) return std::wstring();
    return std::wstring(asWide(name), name.size());
}

std::wstring widePath(const char* utf8) { return widePath(utf8, nullptr); }

std::string utf8Path(const wchar_t* wide, size_t units) {
    std::string text;
    const std::u16string units16(reinterpret_cast<const char16_t*>(wide), units);
    return utf16ToUtf8(units16, &text, nullptr) ? text : std::string();
}

std::string utf8Path(const wchar_t* wide) { return wide ? utf8Path(wide, wcslen(wide)) : ""; }

std::string modulePath() {
    // GetModuleFileNameW cuts the name short (returning the buffer's size)
    // rather than saying how long it is.
    std::vector<wchar_t> buffer(MAX_PATH + 1);
    while (buffer.size() <= LongPathUnits + 1) {
        const DWORD n =
            GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return "";
        if (n < buffer.size()) return utf8Path(buffer.data(), n);
        buffer.resize(buffer.size() * 2);
    }
    return "";
}

std::string moduleFolder() {
    std::string path = modulePath();
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? "" : path.substr(0, slash + 1);
}

std::string currentFolder() {
    return askGrowing([](wchar_t* b, DWORD n) { return GetCurrentDirectoryW(n, b); });
}

bool setCurrentFolder(const char* utf8) {
    const std::wstring name = widePath(utf8);
    return !name.empty() && SetCurrentDirectoryW(name.c_str()) != 0;
}

FILE* openFile(const char* utf8, const char* mode) {
    const std::wstring name = widePath(utf8);
    std::wstring wideMode;
    for (const char* m = mode; *m; ++m) wideMode.push_back(static_cast<wchar_t>(*m));
    return name.empty() ? nullptr : _wfopen(name.c_str(), wideMode.c_str());
}
