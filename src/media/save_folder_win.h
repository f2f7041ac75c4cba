// The folder photos and videos are saved into at the moment of saving.
#pragma once
#include <string>

struct SaveFolder {
    std::wstring path;      // empty: no folder can be used
    bool fallback = false;  // the image folder could not be used; path is the default folder
};

// The image folder, created when missing. When it cannot be created (a drive that is gone, a
// file in the way), the default folder in the user's documents, as the settings load picks it,
// created when missing; the image folder setting itself is left as the user chose it.
SaveFolder UsableSaveFolder();
