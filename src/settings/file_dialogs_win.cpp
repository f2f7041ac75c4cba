// The common item dialogs for a folder and a file to save (see file_dialogs_win.h).
#include "settings/file_dialogs_win.h"

#include <shobjidl.h>

#include "capture/com_ptr_win.h"

namespace {

// Opens the dialog in folder, whatever it remembers of its last use; a folder that does not
// exist (a removed drive) leaves the dialog where it would open by itself.
void StartIn(IFileDialog* dialog, const std::wstring& folder) {
    ComPtr<IShellItem> item;
    if (!folder.empty() &&
        SUCCEEDED(SHCreateItemFromParsingName(folder.c_str(), nullptr, IID_IShellItem, item.PutVoid())))
        dialog->SetFolder(item.Get());
}

// Shows the dialog; true with the file-system path of what was chosen.
bool ShowFor(IFileDialog* dialog, HWND owner, std::wstring* path) {
    if (dialog->Show(owner) != S_OK) return false;  // cancelled, or the dialog failed
    ComPtr<IShellItem> result;
    wchar_t* name = nullptr;
    if (FAILED(dialog->GetResult(result.Put())) || FAILED(result->GetDisplayName(SIGDN_FILESYSPATH, &name)) || !name)
        return false;
    *path = name;
    CoTaskMemFree(name);
    return !path->empty();
}

}  // namespace

bool PickFolder(HWND owner, const std::wstring& start, std::wstring* picked) {
    ComPtr<IFileOpenDialog> dialog;
    if (FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_IFileOpenDialog,
                                dialog.PutVoid())))
        return false;
    FILEOPENDIALOGOPTIONS options = 0;
    dialog->GetOptions(&options);
    dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST | FOS_NOCHANGEDIR);
    StartIn(dialog.Get(), start);
    return ShowFor(dialog.Get(), owner, picked);
}

bool AskSavePath(HWND owner, const SaveRequest& request, std::wstring* path) {
    ComPtr<IFileSaveDialog> dialog;
    if (FAILED(CoCreateInstance(CLSID_FileSaveDialog, nullptr, CLSCTX_INPROC_SERVER, IID_IFileSaveDialog,
                                dialog.PutVoid())))
        return false;
    const COMDLG_FILTERSPEC type = {request.typeName.c_str(), request.typeFilter.c_str()};
    dialog->SetFileTypes(1, &type);
    dialog->SetDefaultExtension(request.extension.c_str());
    dialog->SetFileName(request.fileName.c_str());
    FILEOPENDIALOGOPTIONS options = 0;
    dialog->GetOptions(&options);
    dialog->SetOptions(options | FOS_OVERWRITEPROMPT | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST | FOS_NOCHANGEDIR);
    StartIn(dialog.Get(), request.folder);
    return ShowFor(dialog.Get(), owner, path);
}
