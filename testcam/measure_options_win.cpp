// Registry and command-line form of the virtual microscope's measuring options.
#include "measure_options_win.h"

#include <cwchar>

namespace {

DWORD ReadDwordValue(HKEY key, const wchar_t* name) {
    DWORD data = 0, size = sizeof(data), type = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size) != ERROR_SUCCESS ||
        type != REG_DWORD)
        return 0;
    return data;
}

// A whole number in lo..hi, else -1.
int WholeNumber(const wchar_t* text, int lo, int hi) {
    wchar_t* end = nullptr;
    long v = std::wcstol(text, &end, 10);
    return end != text && *end == 0 && v >= lo && v <= hi ? static_cast<int>(v) : -1;
}

}  // namespace

const wchar_t kMeasureOptionsUsage[] = L"                       [--pre-encoded N] [--drop-every N] [--trace FILE]\n";

void ReadMeasureOptions(HKEY key, VcamMeasureOptions* out) {
    VcamMeasureOptions o;
    DWORD n = ReadDwordValue(key, L"PreEncoded");
    o.preEncoded = n <= 600 ? static_cast<int>(n) : 0;
    n = ReadDwordValue(key, L"DropEvery");
    o.dropEvery = n >= 2 && n <= 1000 ? static_cast<int>(n) : 0;
    wchar_t path[MAX_PATH + 1] = {};
    DWORD size = sizeof(path) - sizeof(wchar_t), type = 0;
    if (RegQueryValueExW(key, L"TraceFile", nullptr, &type, reinterpret_cast<BYTE*>(path), &size) == ERROR_SUCCESS &&
        type == REG_SZ) {
        path[size / sizeof(wchar_t)] = 0;
        o.traceFile = path;
    }
    *out = o;
}

void WriteMeasureOptions(HKEY key, const VcamMeasureOptions& o) {
    const DWORD pre = static_cast<DWORD>(o.preEncoded), drop = static_cast<DWORD>(o.dropEvery);
    RegSetValueExW(key, L"PreEncoded", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&pre), sizeof(pre));
    RegSetValueExW(key, L"DropEvery", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&drop), sizeof(drop));
    if (o.traceFile.empty())
        RegDeleteValueW(key, L"TraceFile");
    else
        RegSetValueExW(key, L"TraceFile", 0, REG_SZ, reinterpret_cast<const BYTE*>(o.traceFile.c_str()),
                       static_cast<DWORD>((o.traceFile.size() + 1) * sizeof(wchar_t)));
}

int TakeMeasureOption(int argc, wchar_t** argv, int* i, VcamMeasureOptions* out) {
    const std::wstring opt = argv[*i];
    const bool known = opt == L"--pre-encoded" || opt == L"--drop-every" || opt == L"--trace";
    if (!known) return 0;
    if (*i + 1 >= argc) return -1;
    const wchar_t* value = argv[++*i];
    if (opt == L"--pre-encoded") {
        out->preEncoded = WholeNumber(value, 1, 600);
        return out->preEncoded > 0 ? 1 : -1;
    }
    if (opt == L"--drop-every") {
        out->dropEvery = WholeNumber(value, 2, 1000);
        return out->dropEvery > 0 ? 1 : -1;
    }
    if (!*value || std::wcslen(value) > MAX_PATH) return -1;
    out->traceFile = value;
    return 1;
}

std::wstring MeasureOptionsText(const VcamMeasureOptions& o) {
    wchar_t text[64];
    std::swprintf(text, 64, L" pre-encoded=%d drop-every=%d trace=", o.preEncoded, o.dropEvery);
    return text + (o.traceFile.empty() ? std::wstring(L"-") : o.traceFile);
}
