// Win32 handles that give themselves back: a window's DC, a memory DC, an
// object selected into a DC, a GDI object and a kernel handle. Each owns at
// most one handle, moves but never copies, and frees it when it goes or is
// replaced, so a page that keeps handles across messages frees them in one
// place and in the right order (declared first, freed last).
#ifndef ZUVELS_SHELL_SCOPED_WIN_H
#define ZUVELS_SHELL_SCOPED_WIN_H

#include <utility>
#include <windows.h>

// The common part: Free(handle) runs once for a handle that is not Empty.
template <typename Handle, typename Free>
class ScopedWin {
public:
    ScopedWin() = default;
    explicit ScopedWin(Handle h, Free free = Free()) : h_(h), free_(free) {}
    ~ScopedWin() { reset(); }
    ScopedWin(ScopedWin&& o) noexcept : h_(o.h_), free_(o.free_) { o.h_ = Free::Empty; }
    ScopedWin& operator=(ScopedWin&& o) noexcept {
        if (this != &o) {
            reset();
            h_ = std::exchange(o.h_, Free::Empty);
            free_ = o.free_;
        }
        return *this;
    }
    ScopedWin(const ScopedWin&) = delete;
    ScopedWin& operator=(const ScopedWin&) = delete;

    Handle get() const { return h_; }
    explicit operator bool() const { return h_ != Free::Empty; }
    void reset() {
        if (h_ != Free::Empty) free_(h_);
        h_ = Free::Empty;
    }

private:
    Handle h_ = Free::Empty;
    Free free_;
};

struct FreeWindowDc {
    static constexpr HDC Empty = nullptr;
    HWND window = nullptr;
    void operator()(HDC dc) const { ReleaseDC(window, dc); }
};
struct FreeMemoryDc {
    static constexpr HDC Empty = nullptr;
    void operator()(HDC dc) const { DeleteDC(dc); }
};
template <typename Object>
struct FreeGdiObject {
    static constexpr Object Empty = nullptr;
    void operator()(Object o) const { DeleteObject(o); }
};
// What the DC held before: put back.
struct FreeSelection {
    static constexpr HGDIOBJ Empty = nullptr;
    HDC dc = nullptr;
    void operator()(HGDIOBJ old) const { SelectObject(dc, old); }
};
struct FreeHandle {
    static constexpr HANDLE Empty = nullptr;
    void operator()(HANDLE h) const { CloseHandle(h); }
};

// A window's DC from GetDC, given back with ReleaseDC.
struct WindowDc : ScopedWin<HDC, FreeWindowDc> {
    WindowDc() = default;
    explicit WindowDc(HWND window) : ScopedWin(GetDC(window), FreeWindowDc{window}) {}
};
// A memory DC compatible with dc, deleted with DeleteDC.
struct MemoryDc : ScopedWin<HDC, FreeMemoryDc> {
    MemoryDc() = default;
    explicit MemoryDc(HDC dc) : ScopedWin(CreateCompatibleDC(dc)) {}
};
// A pen, brush, font or bitmap, deleted with DeleteObject. Not while it is
// selected into a DC: a SelectedObject declared after it puts the old one
// back first.
template <typename Object>
using GdiObject = ScopedWin<Object, FreeGdiObject<Object>>;
// object selected into dc; the object it replaced goes back. (Not named
// Selection: the link's port selection has that name.)
struct SelectedObject : ScopedWin<HGDIOBJ, FreeSelection> {
    SelectedObject() = default;
    SelectedObject(HDC dc, HGDIOBJ object)
        : ScopedWin(SelectObject(dc, object), FreeSelection{dc}) {}
};
// A kernel handle (file, thread), closed with CloseHandle. CreateFile's
// INVALID_HANDLE_VALUE is taken as none: see fileHandle.
using ScopedHandle = ScopedWin<HANDLE, FreeHandle>;
inline ScopedHandle fileHandle(HANDLE h) {
    return ScopedHandle(h == INVALID_HANDLE_VALUE ? nullptr : h);
}

#endif
