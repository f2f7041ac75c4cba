// Portable rules of photo saving: which encoder a path gets, the photo formats' extensions, the
// text of a save message and what the open-folder command shows.
#pragma once
#include <functional>
#include <string>
#include <string_view>

// The encoder a path gets: JPEG for a path ending exactly in "jpg", TIFF for one ending in "tif"
// or "tiff", PNG for every other (".png", but also ".JPG").
enum class PhotoEncoder { Jpeg, Png, Tiff };
PhotoEncoder PhotoEncoderFor(std::wstring_view path);

// The extension of photos (and video covers) in the stored photo format: 0 "jpg", 1 "png",
// 2 "tif"; any other value "jpg".
const wchar_t* PhotoExtension(int photoFormat);

// A message text with the path put in place of its "%s" (appended when there is none).
std::wstring TextWithPath(std::wstring_view text, std::wstring_view path);

// What the open-folder command shows: the last saved file, selected in its folder, when there is
// one; otherwise the first file of the folder with the extension "jpg", then "png", "tif",
// "tiff", then "avi", as "<folder>\<name>", selected; otherwise the folder itself, opened
// (selecting it would open its parent). firstFile(pattern) answers the first file name the file
// system lists for a pattern such as "<folder>\*.jpg", empty when none.
struct FolderTarget {
    std::wstring path;
    bool selectInFolder = false;  // path is a file to select in its folder; else a folder to open
};
FolderTarget OpenFolderTarget(std::wstring_view savePath, std::wstring_view folder,
                              const std::function<std::wstring(const std::wstring& pattern)>& firstFile);
