// verinfo: prints the version resource of an executable as Windows reads it, for the
// packaging checks:
//   verinfo FILE   one "name=value" line each: FileVersion and ProductVersion from the fixed
//                  part (a.b.c.d), then the strings of the first translation
#include <windows.h>

#include <cstdio>
#include <vector>

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) return 2;
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeW(argv[1], &ignored);
    if (size == 0) return 1;
    std::vector<BYTE> data(size);
    if (!GetFileVersionInfoW(argv[1], 0, size, data.data())) return 1;

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT len = 0;
    if (!VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &len) || len < sizeof *fixed)
        return 1;
    printf("FixedFileVersion=%d.%d.%d.%d\n", HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
           HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS));
    printf("FixedProductVersion=%d.%d.%d.%d\n", HIWORD(fixed->dwProductVersionMS),
           LOWORD(fixed->dwProductVersionMS), HIWORD(fixed->dwProductVersionLS), LOWORD(fixed->dwProductVersionLS));

    struct Translation { WORD language, codePage; }* tr = nullptr;
    if (!VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&tr), &len) ||
        len < sizeof *tr)
        return 1;
    for (const wchar_t* name : {L"FileVersion", L"ProductVersion", L"ProductName", L"FileDescription"}) {
        wchar_t path[128];
        swprintf(path, 128, L"\\StringFileInfo\\%04x%04x\\%ls", tr->language, tr->codePage, name);
        wchar_t* value = nullptr;
        if (VerQueryValueW(data.data(), path, reinterpret_cast<void**>(&value), &len) && value)
            printf("%ls=%ls\n", name, value);
    }
    return 0;
}
