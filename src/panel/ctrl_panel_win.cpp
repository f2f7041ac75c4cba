// The control panel container: a table of collapsible sections stacked from the top, a
// vertical scroll bar when they are taller than the panel, and the forwarding of the panel's
// broadcasts (refresh, reload texts, file added, recent files check) to the sections, and
// scrolls a section's area into view when it asks. A section whose window class
// is not registered keeps its place in the table without a window. User-interface thread only.
#include "panel/ctrl_panel_win.h"

#include <new>

#include "app/messages.h"
#include "panel/flip_section_win.h"
#include "panel/histogram_view_win.h"
#include "panel/source_section_win.h"
#include "panel/stack_section_win.h"

namespace {

constexpr wchar_t kPanelClass[] = L"CtrlPanelWndClass";
constexpr int kPanelRelayout = 6;  // WM_COMMAND the container posts itself

struct SectionSpec {
    const wchar_t* cls;
    int id;
};
constexpr SectionSpec kSectionTable[] = {
    {L"CtrlPanelSourceWndClass", 100},
    {L"CtrlPanelFlipWndClass", 101},
    {L"CtrlPanelStackWndClass", 103},
    {L"CtrlPanelFilesWndClass", 102},
};
constexpr int kSectionCount = int(sizeof(kSectionTable) / sizeof(kSectionTable[0]));

struct PanelSection {
    HWND window = nullptr;
    int collapsed = 0, expanded = 0;
    bool open = false;
    int Visible() const { return window ? (open ? expanded : collapsed) : 0; }
};

struct PanelState {
    HWND window = nullptr;
    PanelSection sections[kPanelMaxSections];
    int count = 0;
    int contentHeight = 0;
    int position = 0;
    int panelWidth = 0;  // the creation parameter, handed to the files section
    bool barShown = false;
    int settling = 0;    // re-stackings since the last outside change (see PanelRelayout)
};

void VisibleHeights(const PanelState* p, int* out) {
    for (int i = 0; i < p->count; ++i) out[i] = p->sections[i].Visible();
}

void PanelQueryHeights(PanelState* p) {
    for (int i = 0; i < p->count; ++i) {
        PanelSection& s = p->sections[i];
        if (!s.window) continue;
        SectionHeights h = UnpackSectionHeights(uint32_t(SendMessageW(s.window, WMU_SECTION_HEIGHTS, 0, 0)));
        s.collapsed = h.collapsed;
        s.expanded = h.expanded;
    }
}

void PanelUpdateScroll(PanelState* p);

void PanelRelayout(PanelState* p) {
    if (p->count <= 0) return;
    RECT rc;
    GetClientRect(p->window, &rc);
    int heights[kPanelMaxSections];
    PanelRect rects[kPanelMaxSections];
    VisibleHeights(p, heights);
    StackPanelSections(rc.right, GetPanelResources().metrics, p->position, heights, p->count, rects);
    HDWP dwp = BeginDeferWindowPos(p->count);
    for (int i = 0; i < p->count && dwp; ++i) {
        if (!p->sections[i].window) continue;
        const PanelRect& r = rects[i];
        dwp = DeferWindowPos(dwp, p->sections[i].window, nullptr, r.x, r.y, r.width, r.height,
                             SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (dwp) EndDeferWindowPos(dwp);
    // A section whose height follows its width (the files section) reports another height
    // once it has its new width: stack again with it. Bounded, as the scroll bar showing or
    // going changes the width once more.
    SectionHeights before[kPanelMaxSections];
    for (int i = 0; i < p->count; ++i) before[i] = {p->sections[i].collapsed, p->sections[i].expanded};
    PanelQueryHeights(p);
    bool changed = false;
    for (int i = 0; i < p->count; ++i)
        changed = changed || !(before[i] == SectionHeights{p->sections[i].collapsed, p->sections[i].expanded});
    if (changed && p->settling++ < 2) PanelUpdateScroll(p);
}

void PanelUpdateScroll(PanelState* p) {
    int heights[kPanelMaxSections];
    VisibleHeights(p, heights);
    p->contentHeight = PanelContentHeight(GetPanelResources().metrics.marginY, heights, p->count);
    RECT rc;
    GetClientRect(p->window, &rc);
    PanelScroll s = UpdatePanelScroll(p->contentHeight, rc.bottom, p->position);
    p->position = s.position;
    if (s.showBar) {
        SCROLLINFO si = {sizeof(si)};
        si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
        si.nMin = 0;
        si.nMax = s.maximum;
        si.nPage = kPanelScrollPage;
        si.nPos = s.position;
        // Showing the bar narrows the client area; the size message it sends comes back here.
        p->barShown = true;
        ShowScrollBar(p->window, SB_VERT, TRUE);
        SetScrollInfo(p->window, SB_VERT, &si, TRUE);
    } else {
        p->barShown = false;
        SetScrollPos(p->window, SB_VERT, 0, FALSE);
        ShowScrollBar(p->window, SB_VERT, FALSE);
    }
    PostMessageW(p->window, WM_COMMAND, kPanelRelayout, 0);
}

void PanelScrollBy(PanelState* p, int code, int thumb) {
    RECT rc;
    GetClientRect(p->window, &rc);
    if (p->contentHeight <= rc.bottom) return;
    int excess = p->contentHeight - rc.bottom;
    int next = PanelScrollTo(code, p->position, excess, GetPanelResources().scrollStep, thumb);
    if (next == p->position) return;
    p->position = next;
    SetScrollPos(p->window, SB_VERT, next, TRUE);
    PostMessageW(p->window, WM_COMMAND, kPanelRelayout, 0);
}

void PanelShowArea(PanelState* p, const RECT* area) {
    RECT rc;
    GetClientRect(p->window, &rc);
    if (!area || p->contentHeight <= rc.bottom) return;
    int next = PanelScrollToShow(p->position, p->contentHeight - rc.bottom, area->top, area->bottom, rc.bottom);
    if (next == p->position) return;
    p->position = next;
    SetScrollPos(p->window, SB_VERT, next, TRUE);
    PanelRelayout(p);  // now: the sender reads where its controls went
}

bool PanelOnCreate(PanelState* p, const CREATESTRUCTW* cs) {
    p->panelWidth = int(reinterpret_cast<INT_PTR>(cs->lpCreateParams));
    UpdatePanelResources(p->window);  // at the scale of the monitor the window is made on
    p->count = kSectionCount;
    for (int i = 0; i < kSectionCount; ++i) {
        // A section exists only where its class does.
        WNDCLASSEXW wc = {sizeof(wc)};
        if (!GetClassInfoExW(cs->hInstance, kSectionTable[i].cls, &wc)) continue;
        LPVOID param = i == kFilesSectionIndex ? reinterpret_cast<LPVOID>(INT_PTR(p->panelWidth)) : nullptr;
        p->sections[i].window = CreateWindowExW(
            0, kSectionTable[i].cls, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0, 0, 0,
            p->window, reinterpret_cast<HMENU>(INT_PTR(kSectionTable[i].id)), cs->hInstance, param);
    }
    PanelQueryHeights(p);
    for (int i = 0; i < p->count; ++i) {
        if (!p->sections[i].window) continue;
        if (HWND header = GetDlgItem(p->sections[i].window, 100)) PostMessageW(header, WMU_SECTION_TOGGLE, 0, 0);
    }
    return true;
}

void PanelOnCommand(PanelState* p, WPARAM wp, LPARAM lp) {
    switch (LOWORD(wp)) {
    case kPanelRelayout:
        PanelRelayout(p);
        break;
    case CMD_RELOAD_TEXTS:
        for (int i = 0; i < p->count; ++i)
            if (p->sections[i].window) PostMessageW(p->sections[i].window, WM_COMMAND, CMD_RELOAD_TEXTS, 0);
        break;
    }
}

LRESULT CALLBACK CtrlPanelProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* p = new (std::nothrow) PanelState();
        if (!p) return FALSE;
        p->window = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(p));
    }
    auto* p = reinterpret_cast<PanelState*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!p) return DefWindowProcW(hwnd, msg, wp, lp);
    switch (msg) {
    case WM_CREATE:
        return PanelOnCreate(p, reinterpret_cast<CREATESTRUCTW*>(lp)) ? 0 : -1;
    case WM_SIZE:
        if (LOWORD(lp) && HIWORD(lp)) {
            p->settling = 0;
            PanelQueryHeights(p);
            PanelUpdateScroll(p);
        }
        return 0;
    case WM_VSCROLL:
        PanelScrollBy(p, LOWORD(wp), short(HIWORD(wp)));
        return 0;
    case WM_MOUSEWHEEL:
        PanelScrollBy(p, PanelWheelCode(GET_WHEEL_DELTA_WPARAM(wp)), 0);
        return 0;
    case WM_COMMAND:
        PanelOnCommand(p, wp, lp);
        return 0;
    case WMU_PANEL_REFRESH:
        for (int i = 0; i < p->count; ++i)
            if (p->sections[i].window) SendMessageW(p->sections[i].window, WMU_PANEL_REFRESH, wp, 0);
        PanelUpdateScroll(p);
        return 0;
    case WMU_SECTION_TOGGLE:
        if (wp < WPARAM(p->count)) {
            p->settling = 0;
            p->sections[wp].open = lp != 0;
            PanelUpdateScroll(p);
        }
        return 0;
    case WM_DPICHANGED_AFTERPARENT:
        // On a monitor of another scale: new fonts and dialog units, then each section lays
        // itself out again and reports its new heights.
        UpdatePanelResources(hwnd);
        for (int i = 0; i < p->count; ++i)
            if (p->sections[i].window) SendMessageW(p->sections[i].window, WM_DPICHANGED_AFTERPARENT, 0, 0);
        PanelQueryHeights(p);
        PanelUpdateScroll(p);
        return 0;
    case WMU_FILE_ADDED:
    case WMU_RECENT_CHECK:
        if (HWND files = p->sections[kFilesSectionIndex].window) PostMessageW(files, msg, wp, lp);
        return 0;
    case WMU_PANEL_SHOW_AREA:
        PanelShowArea(p, reinterpret_cast<const RECT*>(lp));
        return 0;
    case WMU_STACK_STATE:
        if (HWND stack = p->sections[kStackSectionIndex].window) PostMessageW(stack, WMU_STACK_STATE, wp, lp);
        return 0;
    case WM_NCDESTROY:
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        delete p;
        break;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

bool RegisterCtrlPanelClass(HINSTANCE instance) {
    WNDCLASSEXW wc = {sizeof(wc)};
    wc.lpfnWndProc = CtrlPanelProc;
    wc.cbWndExtra = 4;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = CtrlPanelBrush();
    wc.lpszClassName = kPanelClass;
    bool ok = RegisterClassExW(&wc) != 0;
    ok = RegisterPanelHeaderClass(instance) && ok;
    ok = RegisterSourceSectionClass(instance) && ok;
    ok = RegisterFlipSectionClass(instance) && ok;
    ok = RegisterHistogramClass(instance) && ok;
    ok = RegisterStackSectionClass(instance) && ok;
    return ok;
}

HWND CreateCtrlPanel(HWND parent, int width) {
    HWND panel = CreateWindowExW(0, kPanelClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_VSCROLL,
                                 0, 0, 0, 0, parent, reinterpret_cast<HMENU>(INT_PTR(ID_CTRL_PANEL)),
                                 reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE)),
                                 reinterpret_cast<LPVOID>(INT_PTR(width)));
    if (panel) ShowScrollBar(panel, SB_VERT, FALSE);
    return panel;
}

CtrlPanelInfo CtrlPanelGetInfo(HWND panel) {
    CtrlPanelInfo info;
    auto* p = reinterpret_cast<PanelState*>(GetWindowLongPtrW(panel, GWLP_USERDATA));
    if (!p) return info;
    info.count = p->count;
    for (int i = 0; i < kSectionCount; ++i) {
        info.sections[i] = p->sections[i].window;
        info.open[i] = p->sections[i].open;
    }
    info.contentHeight = p->contentHeight;
    info.position = p->position;
    info.barShown = p->barShown;
    return info;
}
