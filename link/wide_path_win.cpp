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

std::wstring utf8Text(const char* utf8) {
    std::u16string wide;
    if (utf8ToUtf16(utf8 ? utf8 : "", &wide, nullptr))
        return std::wstring(asWide(wide), wide.size());
    const int n = MultiByteToWideChar(CP_ACP, 0, utf8, -1, nullptr, 0);
    std::wstring text(n > 0 ? n : 1, L'\0');
    if (n > 0) MultiByteToWideChar(CP_ACP, 0, utf8, -1, &text[0], n);
    text.resize(text.size() - 1);
    return text;
}

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

std::wstring fullFolderOf(const char* utf8) {
    const std::wstring name = widePath(utf8);
    if (name.empty()) return name;
    std::wstring full(LongPathUnits + 1, L'\0');
    wchar_t* file = nullptr;
    const DWORD n =
        GetFullPathNameW(name.c_str(), static_cast<DWORD>(full.size()), &full[0], &file);
    if (n == 0 || n >= full.size()) return std::wstring();
    // The folder without the file's name.
    full.resize(file && file > full.data() ? static_cast<size_t>(file - full.data() - 1) : n);
    return full;
}

FILE* openFile(const char* utf8, const char* mode) {
    const std::wstring name = widePath(utf8);
    std::wstring wideMode;
    for (const char* m = mode; *m; ++m) wideMode.push_back(static_cast<wchar_t>(*m));
    return name.empty() ? nullptr : _wfopen(name.c_str(), wideMode.c_str());
}
