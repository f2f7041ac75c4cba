// CtrlPanelFilesWndClass (see ctrl_panel_files_win.h): the section protocol towards the panel
// (heights, toggling, texts), the owner-drawn list over gRecentFiles and its image view.
#include "panel/ctrl_panel_files_win.h"

#include <shellapi.h>

#include <new>
#include <string>
#include <vector>

#include "app/display_scale.h"
#include "app/image_view_win.h"
#include "app/messages.h"
#include "panel/ctrl_panel_win.h"
#include "panel/files_section_layout.h"
#include "panel/panel_section_win.h"
#include "panel/recent_file_rows.h"
#include "settings/recent_files.h"
#include "settings/text_table.h"

FileOpenFunction gOpenFile = ShellOpenFile;

namespace {

struct FilesSectionState {
    HWND window = nullptr;
    HWND list = nullptr;
    HWND view = nullptr;
    int width = 0;  // client width the heights follow
    int rowHeight = 0;
    // The entry of gRecentFiles each row shows: the files there at creation in ordinal order,
    // then each file added since, at the end.
    std::vector<size_t> rows;
};

// The section's open flag, one for the class, as each section keeps it.
bool filesSectionOpen = false;

// "ZH" in the title bars' 12 pt light face, plus 6 pixels at 96 dpi.
int RowHeight() {
    HDC screen = GetDC(nullptr);
    HGDIOBJ old = SelectObject(screen, GetPanelResources().headerFont);
    SIZE size = {0, 0};
    GetTextExtentPoint32W(screen, L"ZH", 2, &size);
    SelectObject(screen, old);
    ReleaseDC(nullptr, screen);
    return size.cy + ScalePx(6, GetPanelResources().dpi);
}

// A file is listed when it can be opened for reading now (missing, locked or unreadable ones
// are left out without a word).
bool CanOpenForReading(const std::wstring& path) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    CloseHandle(h);
    return true;
}

// A listed file is gone when its path names nothing now (or a folder), its drive included; a
// file that cannot be read but is there stays. Network paths are left alone: an unreachable
// server can keep the question waiting for many seconds. A removed or empty drive answers at
// once without asking for a disk (the process fails critical errors).
bool FileGone(const std::wstring& path) {
    const std::wstring root = PathDriveRoot(path);
    if (root.empty()) return false;
    switch (GetDriveTypeW(root.c_str())) {
    case DRIVE_NO_ROOT_DIR: return true;
    case DRIVE_REMOTE: return false;
    default: break;
    }
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    switch (GetLastError()) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_NOT_READY:
    case ERROR_INVALID_NAME:
        return true;
    default:
        return false;
    }
}

// The recent file a row shows; null for no row or an entry no longer in the list.
const std::wstring* RowFile(FilesSectionState* s, LRESULT row) {
    if (row < 0 || size_t(row) >= s->rows.size() || s->rows[size_t(row)] >= gRecentFiles.size()) return nullptr;
    return &gRecentFiles[s->rows[size_t(row)]];
}

const std::wstring* SelectedFile(FilesSectionState* s) { return RowFile(s, SendMessageW(s->list, LB_GETCURSEL, 0, 0)); }

void ShowInView(FilesSectionState* s, const wchar_t* path) {
    SendMessageW(s->view, WM_COMMAND, IMAGE_CMD_LOAD, reinterpret_cast<LPARAM>(path));
}

// Drops the rows whose file is gone, from the list and gRecentFiles; the selection stays on its
// file, or goes with the preview when that file went. Asks the disk once per listed file: when
// the list is shown or a row chosen, never to paint.
void FilesDropGone(FilesSectionState* s) {
    int selected = int(SendMessageW(s->list, LB_GETCURSEL, 0, 0));
    const int before = selected;
    if (!DropGoneFiles(gRecentFiles, s->rows, FileGone, selected)) return;
    SendMessageW(s->list, LB_SETCOUNT, s->rows.size(), 0);
    SendMessageW(s->list, LB_SETCURSEL, WPARAM(selected), 0);
    if (before >= 0 && selected < 0) ShowInView(s, L"");
    InvalidateRect(s->list, nullptr, TRUE);
}

// The panel scrolls so that the preview is seen whole (below the fold on a low screen).
void FilesShowPreview(FilesSectionState* s) {
    HWND panel = GetParent(s->window);
    RECT area;
    if (!panel || !GetWindowRect(s->view, &area)) return;
    MapWindowPoints(nullptr, panel, reinterpret_cast<POINT*>(&area), 2);
    SendMessageW(panel, WMU_PANEL_SHOW_AREA, 0, reinterpret_cast<LPARAM>(&area));
}

void FilesLayOutControls(FilesSectionState* s) {
    FilesLayout l = LayOutFilesSection(s->width, GetPanelResources().base);
    PanelSectionLayOut(s->window, l.data(), int(l.size()));
}

// Rows are added for the entries appended to gRecentFiles since.
void FilesOnFileAdded(FilesSectionState* s) {
    if (s->rows.size() >= gRecentFiles.size()) return;
    for (size_t i = s->rows.size(); i < gRecentFiles.size(); ++i) s->rows.push_back(i);
    LRESULT selected = SendMessageW(s->list, LB_GETCURSEL, 0, 0);
    SendMessageW(s->list, LB_SETCOUNT, s->rows.size(), 0);
    if (selected >= 0 && SendMessageW(s->list, LB_GETCURSEL, 0, 0) != selected)
        SendMessageW(s->list, LB_SETCURSEL, WPARAM(selected), 0);
}

void FilesOnListNotify(FilesSectionState* s, bool doubleClick) {
    FilesDropGone(s);  // a file deleted since is neither opened nor previewed
    const std::wstring* file = SelectedFile(s);
    if (!file) {
        ShowInView(s, L"");
        return;
    }
    std::wstring path = *file;  // the open may run a message loop that changes the list
    if (doubleClick) gOpenFile(s->window, path.c_str());
    ShowInView(s, path.c_str());
    FilesShowPreview(s);
}

void FilesOnDrawItem(FilesSectionState* s, const DRAWITEMSTRUCT* item) {
    const std::wstring* file = item->CtlID == ID_FILES_LIST ? RowFile(s, LRESULT(item->itemID)) : nullptr;
    if (!file) return;
    std::wstring_view text = RecentRowText(*file);
    HDC hdc = item->hDC;
    RECT rc = item->rcItem;
    SetBkColor(hdc, (item->itemState & ODS_SELECTED) ? kFilesRowSelected : kFilesRow);
    SetTextColor(hdc, RGB(0, 0, 0));
    const int inset = ScalePx(3, GetPanelResources().dpi);
    ExtTextOutW(hdc, rc.left + inset, rc.top + inset, ETO_OPAQUE | ETO_CLIPPED, &rc, text.data(), UINT(text.size()), nullptr);
}

bool FilesOnCreate(FilesSectionState* s, const CREATESTRUCTW* cs) {
    HWND hwnd = s->window;
    s->width = int(reinterpret_cast<INT_PTR>(cs->lpCreateParams)) - ScalePx(kFilesSectionInset, GetPanelResources().dpi);
    s->rowHeight = RowHeight();
    CreatePanelHeader(hwnd, GetText("files").c_str());
    KeepListedFiles(gRecentFiles, CanOpenForReading);
    s->rows = ListedOrder(gRecentFiles);
    // Hidden until the section opens. The list asks for its row height (WM_MEASUREITEM) while
    // it is being created.
    s->list = CreatePanelControl(hwnd, L"LISTBOX", nullptr,
                                 WS_BORDER | WS_VSCROLL | LBS_OWNERDRAWFIXED | LBS_NODATA | LBS_NOINTEGRALHEIGHT |
                                     LBS_NOTIFY,
                                 ID_FILES_LIST);
    s->view = CreatePanelControl(hwnd, kImageWndClass, L"", 0, ID_FILES_VIEW);
    if (!s->list || !s->view) return false;
    SendMessageW(s->list, LB_SETCOUNT, s->rows.size(), 0);
    SendMessageW(s->view, WM_COMMAND, IMAGE_CMD_SET_SCALE, kFilesPreviewScale);
    FilesLayOutControls(s);
    return true;
}

LRESULT CALLBACK FilesSectionProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* created = new (std::nothrow) FilesSectionState();
        if (!created) return FALSE;
        created->window = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
    }
    auto* s = reinterpret_cast<FilesSectionState*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!s) return DefWindowProcW(hwnd, msg, wp, lp);
    switch (msg) {
    case WM_CREATE:
        return FilesOnCreate(s, reinterpret_cast<CREATESTRUCTW*>(lp)) ? 0 : -1;
    case WM_SIZE:
        if (LOWORD(lp) && HIWORD(lp)) {
            s->width = LOWORD(lp);
            FilesLayOutControls(s);
        }
        return 0;
    case WM_DPICHANGED_AFTERPARENT:
        s->rowHeight = RowHeight();
        SendMessageW(s->list, LB_SETITEMHEIGHT, 0, s->rowHeight);
        FilesLayOutControls(s);
        return 0;
    case WMU_SECTION_HEIGHTS:
        return LRESULT(PackSectionHeights(FilesSectionHeights(s->width, GetPanelResources().base)));
    case WMU_SECTION_TOGGLE:
        filesSectionOpen = wp != 0;
        if (filesSectionOpen) FilesDropGone(s);
        PanelSectionToggled(hwnd, kFilesSectionIndex, ID_FILES_VIEW, filesSectionOpen);
        return 0;
    case WMU_RECENT_CHECK:
        if (filesSectionOpen) FilesDropGone(s);
        return 0;
    case WMU_PANEL_REFRESH:
        return 0;
    case WMU_FILE_ADDED:
        FilesOnFileAdded(s);
        return 0;
    case WMU_IMAGE_CLICK:
        if (wp) {
            if (const std::wstring* file = SelectedFile(s)) {
                std::wstring path = *file;
                gOpenFile(hwnd, path.c_str());
            }
        }
        return 0;
    case WM_COMMAND:
        if (LOWORD(wp) == ID_FILES_LIST && reinterpret_cast<HWND>(lp) == s->list) {
            if (HIWORD(wp) == LBN_SELCHANGE) FilesOnListNotify(s, false);
            else if (HIWORD(wp) == LBN_DBLCLK) FilesOnListNotify(s, true);
        } else if (LOWORD(wp) == CMD_RELOAD_TEXTS) {
            PanelSetText(hwnd, ID_FILES_TITLE, "files");
        }
        return 0;
    case WM_MEASUREITEM: {
        auto* mi = reinterpret_cast<MEASUREITEMSTRUCT*>(lp);
        if (mi->CtlID != ID_FILES_LIST) break;
        mi->itemHeight = UINT(s->rowHeight);
        return TRUE;
    }
    case WM_DRAWITEM:
        FilesOnDrawItem(s, reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
        return TRUE;
    default:
        if (IsCtlColorMessage(msg)) return PanelSectionCtlColor(reinterpret_cast<HDC>(wp));
        break;
    case WM_NCDESTROY:
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        delete s;
        break;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

void ShellOpenFile(HWND owner, const wchar_t* path) {
    // A failure to open is not reported.
    ShellExecuteW(owner, L"open", path, nullptr, nullptr, SW_SHOWNORMAL);
}

bool RegisterCtrlPanelFilesClass(HINSTANCE instance) {
    WNDCLASSEXW wc = {sizeof(wc)};
    wc.lpfnWndProc = FilesSectionProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = CtrlPanelBrush();
    wc.lpszClassName = kFilesSectionClass;
    return RegisterClassExW(&wc) != 0;
}
