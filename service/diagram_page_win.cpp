// Wiring diagram page: the language's picture copied into a viewport, with
// two scroll bars at the sizes where it doesn't fit whole.
#include "service/diagram_page_win.h"

#include <utility>
#include <windows.h>

#include "res/resource.h"
#include "service/diagram.h"
#include "shell/app_state.h"
#include "shell/dialog_win.h"
#include "shell/pages_win.h"
#include "shell/scoped_win.h"
#include "shell/shell_win.h"

static_assert(SB_LINEUP == ScrollLineUp && SB_LINEDOWN == ScrollLineDown &&
                  SB_PAGEUP == ScrollPageUp && SB_PAGEDOWN == ScrollPageDown &&
                  SB_THUMBPOSITION == ScrollThumbPosition && SB_THUMBTRACK == ScrollThumbTrack &&
                  SB_TOP == ScrollTop && SB_BOTTOM == ScrollBottom && SB_ENDSCROLL == ScrollEnd,
              "scroll request codes");

namespace {

// The view of the page now shown. The set-up takes a memory DC and the
// bitmap; the page gives both back when it goes (releaseView, on WM_DESTROY
// and at the next set-up). The page's paint copies the visible part from the
// memory DC onto whatever DC it is given. The handles go in reverse order:
// the diagram out of the memory DC (a bitmap still selected can't be
// deleted), the memory DC, the bitmap.
struct DiagramView {
    HWND page = nullptr;
    GdiObject<HBITMAP> bitmap;
    MemoryDc memoryDc;
    SelectedObject diagramSelected;  // puts back what the memory DC held before
    int bitmapId = 0;
    DiagramLayout layout = {};
    int offsetX = 0, offsetY = 0;
};
DiagramView view;

void releaseView() {
    // Moved out whole, so that its handles go in the order above (assigning
    // over view would free them member by member, bitmap first).
    { DiagramView gone = std::move(view); }
    view = DiagramView();
}

// The viewport is drawn again at once by the page's paint, without erasing.
void invalidatePicture() {
    if (!view.page) return;
    const DiagramLayout& l = view.layout;
    const RECT r = {l.originX, l.originY, l.originX + l.w, l.originY + l.h};
    InvalidateRect(view.page, &r, FALSE);
    UpdateWindow(view.page);
}

void placeBar(HWND page, int id, const BarPlace& p, bool shown, int maximum) {
    HWND bar = GetDlgItem(page, id);
    if (!bar) return;
    SetWindowPos(bar, nullptr, p.x, p.y, p.w, p.h, SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(bar, shown ? SW_SHOWNA : SW_HIDE);
    if (!shown) return;
    SetScrollRange(bar, SB_CTL, 1, maximum, TRUE);
    SetScrollPos(bar, SB_CTL, 0, TRUE);
}

void applyLayout(HWND page) {
    RECT client = {};
    GetClientRect(mainWindow, &client);
    view.layout = diagramLayout(shownSize, client.right, client.bottom);
    const DiagramLayout& l = view.layout;
    placeBar(page, IDC_DIAGRAM_HBAR, l.hbar, l.scrollBars, l.maxX);
    placeBar(page, IDC_DIAGRAM_VBAR, l.vbar, l.scrollBars, l.maxY);
}

void loadPicture() {
    view.bitmapId = diagramBitmapFor(activeLanguage);
    view.bitmap = GdiObject<HBITMAP>(LoadBitmapA(appInstance, MAKEINTRESOURCEA(view.bitmapId)));
    view.memoryDc = MemoryDc(nullptr);  // compatible with the screen
    if (view.memoryDc && view.bitmap)
        view.diagramSelected = SelectedObject(view.memoryDc.get(), view.bitmap.get());
}

void onScroll(HWND page, bool horizontal, WPARAM wp) {
    if (page != view.page) return;
    int& offset = horizontal ? view.offsetX : view.offsetY;
    const int maximum = horizontal ? view.layout.maxX : view.layout.maxY;
    offset = scrolledOffset(offset, maximum, LOWORD(wp), HIWORD(wp));
    SetScrollPos(GetDlgItem(page, horizontal ? IDC_DIAGRAM_HBAR : IDC_DIAGRAM_VBAR), SB_CTL, offset,
                 TRUE);
    invalidatePicture();
}

// The page's paint: the visible part of the picture in its viewport.
void paintContent(HWND page, HDC dc) {
    if (page != view.page || !view.memoryDc) return;
    const DiagramLayout& l = view.layout;
    BitBlt(dc, l.originX, l.originY, l.w, l.h, view.memoryDc.get(), view.offsetX, view.offsetY,
           SRCCOPY);
}

}  // namespace

INT_PTR CALLBACK diagramPageProc(HWND page, UINT msg, WPARAM wp, LPARAM) {
    if (paintMessage(page, msg, wp, paintContent)) return TRUE;
    switch (msg) {
    case WM_INITDIALOG: return TRUE;
    case WM_HSCROLL: onScroll(page, true, wp); return TRUE;
    case WM_VSCROLL: onScroll(page, false, wp); return TRUE;
    case WM_DESTROY:
        if (page == view.page) releaseView();
        return TRUE;
    }
    return FALSE;
}

void diagramSetUp() {
    releaseView();
    HWND page = currentPage;
    if (!page) return;
    view.page = page;
    applyLayout(page);
    loadPicture();
    invalidatePicture();
}

void deleteDiagramBitmap() { releaseView(); }

DiagramViewState diagramViewState() {
    DiagramViewState s = {};
    s.page = view.page;
    s.bitmapId = view.bitmapId;
    s.bitmapLoaded = static_cast<bool>(view.bitmap);
    s.offsetX = view.offsetX;
    s.offsetY = view.offsetY;
    s.originX = view.layout.originX;
    s.originY = view.layout.originY;
    s.w = view.layout.w;
    s.h = view.layout.h;
    return s;
}

// ---- the page as the shell sees it ----

namespace {

// The view is built only after a size change: showing the page or a
// language change end with applySize (laidOutBySize), which re-creates it.
void onCreated(HWND, PageCreation how) {
    if (how == PageCreation::Resized) diagramSetUp();
}

}  // namespace

extern const PageHooks diagramPage = makePageHooks(
    {IDD_DIAGRAM, IDD_DIAGRAM, IDD_DIAGRAM, IDD_DIAGRAM, IDD_DIAGRAM}, diagramPageProc,
    OnCreate{onCreated}, OnDestroy{deleteDiagramBitmap}, LaidOutBySize{});
