// monkey: a restless user for Vardelo. For a given time it clicks, drags, right-clicks, turns the
// wheel and presses keys over the main window and over every dialog, menu and pop-up of
// Vardelo's process, with real input (SendInput after SetForegroundWindow), and now and then
// unplugs the virtual microscope, plugs it back or plugs it in with other formats (vcamctl).
//   monkey --seed N --part K --seconds S --scratch DIR --camera NAME [--log FILE]
// The actions come from a PRNG seeded by (N, K): the same seed and part give the same sequence of
// choices (which windows exist when an action is chosen depends on the program, so a run is
// replayed as far as the program behaves the same). Folder and file dialogs only ever get a
// path inside DIR, or are cancelled; the options dialog's folder field is kept inside DIR.
// Windows of other processes that appear meanwhile (a file manager, a picture viewer) are closed.
// Exit codes: 0 done, 2 Vardelo's window is gone, 3 it stopped answering (60 s), 1 bad use.
#include <windows.h>

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <set>
#include <string>
#include <vector>

namespace {

// splitmix64: small, fast and the same on every compiler, so a seed means the same everywhere.
struct Rng {
    uint64_t state;
    uint64_t Next() {
        uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    int Below(int n) { return n <= 1 ? 0 : int(Next() % uint64_t(n)); }
    int Between(int lo, int hi) { return lo + Below(hi - lo + 1); }
    bool Chance(int percent) { return Below(100) < percent; }
};

struct Options {
    uint64_t seed = 1;
    int part = 0;
    int seconds = 60;
    int calm = 0;  // --calm S: only close the pop-ups and dialogs, for at most S seconds
    std::wstring scratch, camera, log;
};

struct Run {
    Options opt;
    Rng rng;
    FILE* log = nullptr;
    DWORD pid = 0;                       // Vardelo's process
    std::set<HWND> foreignAtStart;       // other processes' windows that were there before us
    bool cameraPlugged = true;
    DWORD longestWaitMs = 0;             // the longest time Vardelo took to answer between actions
    long actions = 0, dialogs = 0, menus = 0, cameraEvents = 0, foreignClosed = 0, pathsGiven = 0;
};

Run gRun;

void Log(const char* format, ...) {
    if (!gRun.log) return;
    va_list args;
    va_start(args, format);
    fprintf(gRun.log, "p%d #%ld ", gRun.opt.part, gRun.actions);
    vfprintf(gRun.log, format, args);
    fputc('\n', gRun.log);
    va_end(args);
    fflush(gRun.log);
}

std::string Narrow(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text) out += c < 128 ? char(c) : '?';
    return out;
}

std::wstring ClassOf(HWND hwnd) {
    wchar_t name[128] = {};
    GetClassNameW(hwnd, name, 128);
    return name;
}

// ---- Finding the windows to act on ----

HWND MainWindow() { return FindWindowW(L"VardeloWndClass", nullptr); }

struct Collect { DWORD pid; std::vector<HWND>* out; };

BOOL CALLBACK CollectProc(HWND hwnd, LPARAM lp) {
    auto* c = reinterpret_cast<Collect*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == c->pid && IsWindowVisible(hwnd)) c->out->push_back(hwnd);
    return TRUE;
}

std::vector<HWND> ProcessWindows(DWORD pid) {
    std::vector<HWND> all;
    Collect c = {pid, &all};
    EnumWindows(CollectProc, reinterpret_cast<LPARAM>(&c));
    return all;
}

BOOL CALLBACK RememberProc(HWND hwnd, LPARAM) {
    gRun.foreignAtStart.insert(hwnd);
    return TRUE;
}

// Windows another program opened on Vardelo's behalf (a file manager for "open folder", a viewer
// for a recent file) are closed: the monkey stays inside Vardelo.
BOOL CALLBACK CloseForeignProc(HWND hwnd, LPARAM) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == gRun.pid || pid == GetCurrentProcessId() || gRun.foreignAtStart.count(hwnd) || !IsWindowVisible(hwnd))
        return TRUE;
    Log("close foreign window %s (pid %lu)", Narrow(ClassOf(hwnd)).c_str(), (unsigned long)pid);
    PostMessageW(hwnd, WM_CLOSE, 0, 0);
    gRun.foreignAtStart.insert(hwnd);  // once is enough; a window that stays is left alone
    gRun.foreignClosed++;
    return TRUE;
}

struct FindChild { const wchar_t* cls; HWND found; };

BOOL CALLBACK FindChildProc(HWND hwnd, LPARAM lp) {
    auto* f = reinterpret_cast<FindChild*>(lp);
    if (ClassOf(hwnd) == f->cls) {
        f->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

HWND DescendantOfClass(HWND parent, const wchar_t* cls) {
    FindChild f = {cls, nullptr};
    EnumChildWindows(parent, FindChildProc, reinterpret_cast<LPARAM>(&f));
    return f.found;
}

// The common item dialog (Windows: DirectUIHWND; Wine: a shell view in a dialog).
bool IsFileDialog(HWND hwnd) {
    return DescendantOfClass(hwnd, L"SHELLDLL_DefView") || DescendantOfClass(hwnd, L"DirectUIHWND") ||
           DescendantOfClass(hwnd, L"ExplorerBrowserControl");
}

// The options dialog's save-folder field (IDC_OPT_FOLDER beside IDC_OPT_BROWSE).
HWND OptionsFolderEdit(HWND dialog) {
    HWND edit = GetDlgItem(dialog, 3001), browse = GetDlgItem(dialog, 3002);
    return edit && browse && ClassOf(edit) == L"Edit" ? edit : nullptr;
}

bool InsideScratch(const std::wstring& path) {
    const std::wstring& root = gRun.opt.scratch;
    return path.size() >= root.size() && _wcsnicmp(path.c_str(), root.c_str(), root.size()) == 0 &&
           (path.size() == root.size() || path[root.size()] == L'\\') && path.find(L"..") == std::wstring::npos;
}

std::wstring ScratchFolder();

// The options dialog's folder field is brought back inside the scratch folder before every
// action, whatever the last one typed into it, so OK can only ever store a folder inside it.
void KeepOptionsFolderInside(const std::vector<HWND>& windows) {
    for (HWND w : windows) {
        HWND folder = OptionsFolderEdit(w);
        if (!folder) continue;
        wchar_t now[1024] = {};
        GetWindowTextW(folder, now, 1024);
        if (InsideScratch(now)) continue;
        const std::wstring path = ScratchFolder();
        SendMessageW(folder, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
        Log("options folder field \"%s\" set to %s", Narrow(now).c_str(), Narrow(path).c_str());
    }
}

std::wstring ScratchFolder() {
    static const wchar_t* kSubs[] = {L"", L"\\a", L"\\b b", L"\\deep\\er"};
    const wchar_t* sub = kSubs[gRun.rng.Below(4)];
    std::wstring path = gRun.opt.scratch + sub;
    CreateDirectoryW((gRun.opt.scratch + L"\\deep").c_str(), nullptr);
    CreateDirectoryW(path.c_str(), nullptr);
    return path;
}

// ---- Real input ----

void SendMouse(DWORD flags, int x, int y, int data = 0) {
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    INPUT in = {};
    in.type = INPUT_MOUSE;
    in.mi.dx = LONG(int64_t(x) * 65535 / (w > 1 ? w - 1 : 1));
    in.mi.dy = LONG(int64_t(y) * 65535 / (h > 1 ? h - 1 : 1));
    in.mi.mouseData = DWORD(data);
    in.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
    SendInput(1, &in, sizeof(in));
}

void SendKey(WORD vk, bool up) {
    INPUT in = {};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &in, sizeof(in));
}

void Press(WORD vk, WORD modifier = 0) {
    if (modifier) SendKey(modifier, false);
    SendKey(vk, false);
    SendKey(vk, true);
    if (modifier) SendKey(modifier, true);
}

void Pause(int ms) { Sleep(DWORD(ms)); }

void Click(POINT p, DWORD down, DWORD up) {
    SendMouse(0, p.x, p.y);
    SendMouse(down, p.x, p.y);
    Pause(gRun.rng.Between(5, 60));
    SendMouse(up, p.x, p.y);
}

// A point in the window: the client area for the main window (its caption's Close button would
// end the session), the whole window for dialogs, menus and pop-ups.
POINT PointIn(HWND hwnd, bool clientOnly) {
    RECT r = {};
    if (clientOnly) {
        GetClientRect(hwnd, &r);
        MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&r), 2);
    } else {
        GetWindowRect(hwnd, &r);
    }
    const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    if (r.left < 0) r.left = 0;
    if (r.top < 0) r.top = 0;
    if (r.right > sw) r.right = sw;
    if (r.bottom > sh) r.bottom = sh;
    if (r.right <= r.left || r.bottom <= r.top) return {sw / 2, sh / 2};
    return {r.left + gRun.rng.Below(r.right - r.left), r.top + gRun.rng.Below(r.bottom - r.top)};
}

// A point on one of the window's enabled, visible child controls (buttons, lists, sliders), where
// random points rarely land on the small ones.
bool PointOnControl(HWND hwnd, POINT* p) {
    std::vector<HWND> controls;
    for (HWND c = GetWindow(hwnd, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (IsWindowVisible(c) && IsWindowEnabled(c)) controls.push_back(c);
    if (controls.empty()) return false;
    HWND c = controls[size_t(gRun.rng.Below(int(controls.size())))];
    RECT r;
    GetWindowRect(c, &r);
    if (r.right <= r.left || r.bottom <= r.top) return false;
    p->x = r.left + gRun.rng.Below(r.right - r.left);
    p->y = r.top + gRun.rng.Below(r.bottom - r.top);
    return true;
}

// ---- The camera, through vcamctl beside this tool ----

bool RunVcamctl(const std::wstring& args) {
    wchar_t exe[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring path(exe, n);
    path = path.substr(0, path.find_last_of(L"\\/") + 1) + L"vcamctl.exe";
    std::wstring line = L"\"" + path + L"\" " + args;
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(path.c_str(), &line[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi))
        return false;
    WaitForSingleObject(pi.hProcess, 60000);
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return code == 0;
}

void CameraEvent() {
    static const wchar_t* kFormats[] = {
        L"MJPG 1280x720,MJPG 1920x1080,YUY2 640x480",
        L"YUY2 640x480",
        L"MJPG 640x480,YUY2 320x240",
        L"MJPG 1920x1080",
        L"YUY2 1280x720,MJPG 800x600,MJPG 1280x720",
    };
    const std::wstring name = L"\"" + gRun.opt.camera + L"\"";
    gRun.cameraEvents++;
    if (gRun.cameraPlugged) {
        const bool ok = RunVcamctl(L"remove " + name);
        Log("camera unplugged%s", ok ? "" : " (vcamctl failed)");
        gRun.cameraPlugged = false;
    } else {
        const int f = gRun.rng.Below(5);
        const bool ok = RunVcamctl(L"add " + name + L" --formats \"" + kFormats[f] + L"\"");
        Log("camera plugged in with formats %d%s", f, ok ? "" : " (vcamctl failed)");
        gRun.cameraPlugged = true;
    }
}

// ---- Answering dialogs ----

void AnswerFileDialog(HWND dialog) {
    gRun.dialogs++;
    if (gRun.rng.Chance(50)) {
        Log("file dialog: cancel");
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        return;
    }
    // The file-name field: a combo box with an edit (Windows, id 1148) or a plain edit (Wine, 1152).
    HWND edit = GetDlgItem(dialog, 1152);
    if (!edit) edit = GetDlgItem(dialog, 1148);
    if (edit && ClassOf(edit) != L"Edit") edit = FindWindowExW(edit, nullptr, L"Edit", nullptr);
    if (!edit) {
        FindChild f = {L"Edit", nullptr};
        EnumChildWindows(dialog, FindChildProc, reinterpret_cast<LPARAM>(&f));
        edit = f.found;
    }
    if (!edit) {
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        return;
    }
    std::wstring path = ScratchFolder();
    if (gRun.rng.Chance(50)) path += L"\\measures" + std::to_wstring(gRun.rng.Below(100)) + L".csv";
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    Log("file dialog: %s", Narrow(path).c_str());
    gRun.pathsGiven++;
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
}

// ---- One action ----

void Act(HWND target, bool isMain, bool inBurst = false) {
    const std::wstring cls = ClassOf(target);
    const bool menu = cls == L"#32768";
    if (menu) gRun.menus++;
    if (!isMain && !menu) {
        if (IsFileDialog(target)) {
            AnswerFileDialog(target);
            return;
        }
    }
    if (!menu) SetForegroundWindow(target);
    const int roll = gRun.rng.Below(100);
    POINT p = PointIn(target, isMain);
    const std::string where = Narrow(cls);
    if (roll < 28) {
        Log("click %ld,%ld in %s", p.x, p.y, where.c_str());
        Click(p, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
    } else if (roll < 36 && !menu) {
        if (!PointOnControl(target, &p)) p = PointIn(target, isMain);
        Log("click on a control %ld,%ld in %s", p.x, p.y, where.c_str());
        Click(p, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
    } else if (roll < 40) {
        Log("double-click %ld,%ld in %s", p.x, p.y, where.c_str());
        Click(p, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
        Click(p, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
    } else if (roll < 54) {
        const POINT to = PointIn(target, isMain);
        const bool right = gRun.rng.Chance(15);
        Log("%sdrag %ld,%ld to %ld,%ld in %s", right ? "right-" : "", p.x, p.y, to.x, to.y, where.c_str());
        SendMouse(0, p.x, p.y);
        SendMouse(right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN, p.x, p.y);
        const int steps = gRun.rng.Between(2, 12);
        for (int i = 1; i <= steps; ++i) {
            Pause(gRun.rng.Between(5, 30));
            SendMouse(0, p.x + (to.x - p.x) * i / steps, p.y + (to.y - p.y) * i / steps);
        }
        SendMouse(right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP, to.x, to.y);
    } else if (roll < 61) {
        Log("right-click %ld,%ld in %s", p.x, p.y, where.c_str());
        Click(p, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
    } else if (roll < 68) {
        const int notches = gRun.rng.Between(-3, 3);
        const bool ctrl = gRun.rng.Chance(30);
        Log("wheel %d%s at %ld,%ld in %s", notches, ctrl ? " with Ctrl" : "", p.x, p.y, where.c_str());
        SendMouse(0, p.x, p.y);
        if (ctrl) SendKey(VK_CONTROL, false);
        SendMouse(MOUSEEVENTF_WHEEL, p.x, p.y, notches * WHEEL_DELTA);
        if (ctrl) SendKey(VK_CONTROL, true);
    } else if (roll < 92) {
        // Keys a user presses here: the view's keys, the shortcuts, moving about dialogs. Never
        // Alt+F4: the session would end.
        static const struct { WORD vk, modifier; const char* name; } kKeys[] = {
            {VK_SPACE, 0, "Space"}, {VK_ESCAPE, 0, "Escape"}, {VK_DELETE, 0, "Delete"}, {VK_BACK, 0, "Backspace"},
            {'F', 0, "F"}, {'T', VK_CONTROL, "Ctrl+T"}, {'M', VK_CONTROL, "Ctrl+M"}, {VK_RETURN, 0, "Enter"},
            {VK_TAB, 0, "Tab"}, {VK_TAB, VK_SHIFT, "Shift+Tab"}, {VK_LEFT, 0, "Left"}, {VK_RIGHT, 0, "Right"},
            {VK_UP, 0, "Up"}, {VK_DOWN, 0, "Down"}, {VK_HOME, 0, "Home"}, {VK_END, 0, "End"},
            {VK_PRIOR, 0, "PageUp"}, {VK_NEXT, 0, "PageDown"}, {'C', VK_CONTROL, "Ctrl+C"}, {'V', VK_CONTROL, "Ctrl+V"},
            {'A', VK_CONTROL, "Ctrl+A"}, {'Z', VK_CONTROL, "Ctrl+Z"}, {VK_F1, 0, "F1"}, {VK_F11, 0, "F11"},
        };
        const auto& k = kKeys[gRun.rng.Below(int(sizeof kKeys / sizeof kKeys[0]))];
        Log("key %s in %s", k.name, where.c_str());
        Press(k.vk, k.modifier);
    } else if (roll < 97) {
        // Typing into whatever has the focus: digits, letters, a dot, a minus.
        static const char kChars[] = "0123456789.-abcxyz ";
        std::string typed;
        const int n = gRun.rng.Between(1, 6);
        for (int i = 0; i < n; ++i) typed += kChars[gRun.rng.Below(int(sizeof kChars) - 1)];
        Log("type \"%s\" in %s", typed.c_str(), where.c_str());
        for (char c : typed) {
            const SHORT vk = VkKeyScanW(wchar_t(c));
            if (vk == -1) continue;
            Press(LOBYTE(vk), (HIBYTE(vk) & 1) ? VK_SHIFT : 0);
        }
    } else if (!inBurst && roll < 99) {
        // A burst: several actions as fast as they can be sent, without waiting for Vardelo to
        // take each one (an impatient user, a key held down).
        const int n = gRun.rng.Between(4, 12);
        Log("burst of %d", n);
        for (int i = 0; i < n && IsWindow(target) && IsWindowEnabled(target); ++i) {
            Act(target, isMain, true);
            Pause(gRun.rng.Between(0, 10));
        }
    } else {
        Log("pause");
        Pause(gRun.rng.Between(200, 1500));
    }
}

// Waits until Vardelo's main window answers (its thread took our input); false after 60 s.
bool Settle(HWND main) {
    const DWORD start = GetTickCount();
    for (int i = 0; i < 30; ++i) {
        DWORD_PTR result = 0;
        if (SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_BLOCK, 2000, &result)) {
            if (i > 0 && GetTickCount() - start > gRun.longestWaitMs) gRun.longestWaitMs = GetTickCount() - start;
            return true;
        }
        if (!IsWindow(main)) return false;
        Log("no answer within 2 s (%d)", i + 1);
    }
    return false;
}

// Closes what is open over the main window as a user would before leaving: menus with Escape,
// dialogs with Cancel, then with their Close box, other windows with their Close box. 0 when only
// the main window is left.
int Calm(HWND main, int seconds) {
    const DWORD end = GetTickCount() + DWORD(seconds) * 1000;
    for (int round = 0; int(end - GetTickCount()) > 0; ++round) {
        if (!IsWindow(main)) return 2;
        std::vector<HWND> open;
        for (HWND w : ProcessWindows(gRun.pid))
            if (w != main) open.push_back(w);
        if (open.empty()) return 0;
        for (HWND w : open) {
            const std::wstring cls = ClassOf(w);
            Log("calm: close %s (round %d)", Narrow(cls).c_str(), round);
            if (cls == L"#32768") {
                Press(VK_ESCAPE);
            } else if (cls == L"#32770" && round % 3 == 0) {
                PostMessageW(w, WM_COMMAND, IDCANCEL, 0);
            } else if (round % 3 == 2) {
                SetForegroundWindow(w);
                Press(VK_ESCAPE);
            } else {
                PostMessageW(w, WM_CLOSE, 0, 0);
            }
        }
        DWORD_PTR result = 0;
        SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_BLOCK, 2000, &result);
        Pause(300);
    }
    return 3;
}

bool ParseArgs(int argc, wchar_t** argv, Options* o) {
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::wstring name = argv[i], value = argv[i + 1];
        if (name == L"--seed") o->seed = _wcstoui64(value.c_str(), nullptr, 10);
        else if (name == L"--part") o->part = _wtoi(value.c_str());
        else if (name == L"--seconds") o->seconds = _wtoi(value.c_str());
        else if (name == L"--calm") o->calm = _wtoi(value.c_str());
        else if (name == L"--scratch") o->scratch = value;
        else if (name == L"--camera") o->camera = value;
        else if (name == L"--log") o->log = value;
        else return false;
    }
    while (!o->scratch.empty() && (o->scratch.back() == L'\\' || o->scratch.back() == L'/')) o->scratch.pop_back();
    return !o->scratch.empty() && !o->camera.empty() && (o->seconds > 0 || o->calm > 0);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    Run& run = gRun;
    if (!ParseArgs(argc, argv, &run.opt)) {
        fprintf(stderr,
                "usage: monkey --seed N --part K --seconds S --scratch DIR --camera NAME [--log FILE]\n");
        return 1;
    }
    run.rng.state = run.opt.seed * 0x100000001B3ull + uint64_t(run.opt.part) * 0x9E3779B97F4A7C15ull;
    if (!run.opt.log.empty()) run.log = _wfopen(run.opt.log.c_str(), L"a");
    HWND main = MainWindow();
    if (!main) {
        printf("monkey: no Vardelo window\n");
        return 2;
    }
    GetWindowThreadProcessId(main, &run.pid);
    EnumWindows(RememberProc, 0);
    for (HWND w : ProcessWindows(run.pid)) run.foreignAtStart.erase(w);
    if (run.opt.calm > 0) {
        const int code = Calm(main, run.opt.calm);
        if (run.log) fclose(run.log);
        return code;
    }
    // Whether the camera is plugged in when this part starts: the script leaves it plugged.
    const DWORD end = GetTickCount() + DWORD(run.opt.seconds) * 1000;
    int code = 0;
    while (int(end - GetTickCount()) > 0) {
        main = MainWindow();
        if (!main) {
            Log("Vardelo's window is gone");
            code = 2;
            break;
        }
        if (!Settle(main)) {
            Log(IsWindow(main) ? "Vardelo does not answer" : "Vardelo's window is gone");
            code = IsWindow(main) ? 3 : 2;
            break;
        }
        EnumWindows(CloseForeignProc, 0);
        ++run.actions;
        // Unplugged now and then (about twice a minute), plugged back in soon after.
        if (run.rng.Below(1000) < (run.cameraPlugged ? 5 : 40)) {
            CameraEvent();
            continue;
        }
        // Of the process's windows that take input, the pop-ups and dialogs come first as a user's
        // eye would go to them; the main window while nothing modal covers it.
        std::vector<HWND> usable;
        HWND mainTarget = nullptr;
        const std::vector<HWND> windows = ProcessWindows(run.pid);
        KeepOptionsFolderInside(windows);
        for (HWND w : windows) {
            if (!IsWindowEnabled(w)) continue;
            if (w == main) mainTarget = w;
            else usable.push_back(w);
        }
        HWND target = nullptr;
        if (!usable.empty() && (!mainTarget || run.rng.Chance(70)))
            target = usable[size_t(run.rng.Below(int(usable.size())))];
        else
            target = mainTarget;
        if (!target) {
            Pause(100);
            continue;
        }
        if (target != main && ClassOf(target) == L"#32770") run.dialogs++;
        Act(target, target == main);
        Pause(run.rng.Between(10, 120));
    }
    // The camera is left plugged in for the next part and for the checks.
    if (!run.cameraPlugged) {
        RunVcamctl(L"add \"" + run.opt.camera + L"\" --formats \"MJPG 1280x720,MJPG 1920x1080,YUY2 640x480\"");
        Log("camera plugged back in at the end of the part");
    }
    printf("actions=%ld dialog_actions=%ld menu_actions=%ld camera_events=%ld foreign_closed=%ld paths_given=%ld "
           "longest_wait_s=%lu\n",
           run.actions, run.dialogs, run.menus, run.cameraEvents, run.foreignClosed, run.pathsGiven,
           static_cast<unsigned long>(run.longestWaitMs / 1000));
    if (run.log) fclose(run.log);
    return code;
}
