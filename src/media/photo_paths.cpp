// Encoder choice, save message texts and the open-folder target (see photo_paths.h).
#include "media/photo_paths.h"

static bool EndsWith(std::wstring_view path, std::wstring_view end) {
    return path.size() >= end.size() && path.substr(path.size() - end.size()) == end;
}

PhotoEncoder PhotoEncoderFor(std::wstring_view path) {
    if (EndsWith(path, L"jpg")) return PhotoEncoder::Jpeg;
    if (EndsWith(path, L"tif") || EndsWith(path, L"tiff")) return PhotoEncoder::Tiff;
    return PhotoEncoder::Png;
}

const wchar_t* PhotoExtension(int photoFormat) {
    switch (photoFormat) {
    case 1: return L"png";
    case 2: return L"tif";
    default: return L"jpg";
    }
}

std::wstring TextWithPath(std::wstring_view text, std::wstring_view path) {
    std::wstring out(text);
    const size_t at = out.find(L"%s");
    if (at == std::wstring::npos) return out.append(path);
    return out.replace(at, 2, path);
}

FolderTarget OpenFolderTarget(std::wstring_view savePath, std::wstring_view folder,
                              const std::function<std::wstring(const std::wstring& pattern)>& firstFile) {
    if (!savePath.empty()) return {std::wstring(savePath), true};
    for (const wchar_t* ext : {L"jpg", L"png", L"tif", L"tiff", L"avi"}) {
        std::wstring name = firstFile(std::wstring(folder) + L"\\*." + ext);
        if (!name.empty()) return {std::wstring(folder) + L"\\" + name, true};
    }
    return {std::wstring(folder), false};
}
