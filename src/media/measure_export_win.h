// Measurements and pictures taken away from the camera view: its context menu ("Copy
// measurements", "Save measurements…", "Copy picture"), the clipboard, the CSV beside a photo.
// User-interface thread only.
#pragma once
#include <windows.h>

#include <string>

// The context menu of the camera view at a screen point (lParam of WM_CONTEXTMENU; -1 from the
// keyboard puts it at the view's centre). Its commands go to owner.
void ShowViewContextMenu(HWND owner, HWND view, LPARAM screenPoint);

// Whether the table of the drawn shapes has a row: a shape of some size is drawn.
bool HasMeasurements();

// The table of the drawn shapes with the view's calibration, as tab-separated text on the
// clipboard (CF_UNICODETEXT). False when the table has no row or the clipboard refused.
bool CopyMeasurements(HWND owner);
// The same table as a CSV file (UTF-8 with byte-order mark), never replacing a file.
bool WriteMeasurementsCsv(const std::wstring& path);
// The composed picture (as a photo saves it) on the clipboard as a CF_DIB bitmap, with the
// photo's pixel size in its resolution fields while calibrated.
bool CopyPicture(HWND owner);

// The CSV beside a photo: same name, extension ".csv".
std::wstring MeasurementsPathFor(const std::wstring& photoPath);

// The main window's handling of the view's WM_CONTEXTMENU and of ID_COPY_MEASUREMENTS,
// ID_SAVE_MEASUREMENTS and ID_COPY_PICTURE. Returns true when msg was one of them.
bool MainOnMeasureExportMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
