// Factory reset page: the frame the shell needs until the reset procedure is
// in place. The control placement is the page's final one.
#include "service/reset_page_win.h"

#include "res/resource.h"

namespace {

struct ResetLayout {
    int labelX, label1Y, label2Y, buttonX, buttonY, buttonW, buttonH;
};
const ResetLayout Layouts[5] = {
    {65, 90, 130, 85, 190, 450, 45},    {150, 130, 170, 120, 250, 550, 55},
    {250, 150, 200, 150, 300, 700, 65}, {360, 250, 300, 220, 400, 800, 75},
    {360, 300, 350, 220, 450, 800, 75},
};
const int LabelW = 800, LabelH = 40;

void place(HWND page, int id, int x, int y, int w, int h) {
    HWND control = GetDlgItem(page, id);
    if (control) SetWindowPos(control, nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

INT_PTR CALLBACK resetPageProc(HWND, UINT msg, WPARAM, LPARAM) {
    return msg == WM_INITDIALOG ? TRUE : FALSE;
}

void placeResetControls(HWND page, int sizeMode) {
    if (sizeMode < 1 || sizeMode > 5) return;
    const ResetLayout& l = Layouts[sizeMode - 1];
    place(page, IDC_RESET_LABEL1, l.labelX, l.label1Y, LabelW, LabelH);
    place(page, IDC_RESET_LABEL2, l.labelX, l.label2Y, LabelW, LabelH);
    place(page, IDC_RESET_BUTTON, l.buttonX, l.buttonY, l.buttonW, l.buttonH);
}
