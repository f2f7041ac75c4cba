// The camera view window (CameraWndClass): the live picture with the measurement overlay.
#pragma once
#include <windows.h>

#include <string>

bool RegisterCameraWndClass(HINSTANCE instance);
// The main window's camera view: child id 108 with border, both scroll bars (hidden at once),
// tab stop, clip siblings and clip children, zero size until the layout places it.
HWND CreateCameraView(HWND parent, HINSTANCE instance);

// Called by the capture session around opening and closing a camera.
void CameraViewTearDown(HWND view);      // free the composition surface, clear shapes, sizes 0
void CameraViewResetPicture(HWND view);  // new picture: sizes from the pipeline and requestedFormat
void CameraViewResetZoom(HWND view);     // digital zoom back to 0
// The reset with explicit sizes: frame fw x fh as delivered, image W x H; ratio 100, zoom 0, no
// calibration; posts the view its centring size message.
void CameraViewSetPictureSize(HWND view, int frameW, int frameH, int imageW, int imageH);

// ---- Calibration and text annotation hooks (calibration dialogs, text input dialog, main window) ----
// A fresh calibration line, laid out centred at the next composition. Invalidates the view.
void CameraViewRequestCalibrationLine(HWND view);
// The calibration line at a length (0 ends calibrating, also a pending request). Invalidates
// the view.
void CameraViewSetCalibrationLength(HWND view, int length);
// Current length of the calibration line in image pixels (0 while not calibrating, and while a
// requested line has not been drawn yet).
int CameraViewCalibrationLength(HWND view);
// Pixels per unit of the calibration the view labels with (<= 0: not calibrated).
float CameraViewPixelsPerUnit(HWND view);
// Unit of that calibration: 0 mm, 1 µm.
int CameraViewUnit(HWND view);
// The crossline overlay flag; setting it invalidates the view.
bool CameraViewCrossline(HWND view);
void CameraViewSetCrossline(HWND view, bool on);
// The text input dialog's field changed: the pending annotation shows text (at most 255
// characters are kept) and the view is invalidated.
void CameraViewSetPendingText(HWND view, const wchar_t* text);

// ---- Main window hooks ----
// The main window's mode: in full screen the corner button shows how to leave it (its icon and
// tooltip).
void CameraViewSetFullScreen(HWND view, bool fullScreen);
bool CameraViewFullScreen(HWND view);
// The no-device message and the empty-annotation prompt (each cut to 63 characters).
void CameraViewSetPrompts(HWND view, const wchar_t* noDevice, const wchar_t* textPrompt);
// The two prompts as the view holds them (empty without a view).
std::wstring CameraViewNoDevicePrompt(HWND view);
std::wstring CameraViewTextPrompt(HWND view);
// Digital zoom step 0..5; stepping goes 1, 2, ... 5, 0 and invalidates the view.
int CameraViewZoom(HWND view);
void CameraViewStepZoom(HWND view);
// ID_DELETE_LAST and ID_DELETE_ALL on the view's shapes (the caller checks its guards).
void CameraViewDeleteLast(HWND view);
void CameraViewDeleteAll(HWND view);
// The retained composition bitmap (display size, overlay drawn in), or null before the first
// composition after a reset, ratio change or settings change. Owned by the view.
HBITMAP CameraViewSurfaceBitmap(HWND view);
// The memory drawing context that bitmap is selected into (null with it): the way to copy the
// picture out, as a bitmap selected into a context may not be handed to other functions.
HDC CameraViewSurfaceDc(HWND view);

// ---- White balance from an area ----
// Arms (or disarms) the view for one rectangle: the next left-button drag draws it instead of
// measuring, and on release the view sends its parent WMU_NEUTRAL_AREA with the rectangle in
// frame pixels. Escape, a lost mouse capture or disarming drops it.
void CameraViewPickArea(HWND view, bool on);
bool CameraViewPickingArea(HWND view);

// Draws the measurements, as the view draws them over the picture at 100 %, onto a picture of the
// image's size selected into dc (a photo of the camera's size made elsewhere). False, drawing
// nothing, when the picture has another size than the image.
bool CameraViewDrawShapes(HWND view, HDC dc, int width, int height);

// A snapshot of the view's geometry and counters, for the panel's ratio display and the tests.
struct CameraViewInfo {
    int frameW = 0, frameH = 0, imageW = 0, imageH = 0, displayW = 0, displayH = 0;
    int ratio = 100;
    bool fit = false;
    int zoom = 0;
    int scrollX = 0, scrollY = 0;
    bool hBar = false, vBar = false;
    int reopenCountdown = 0;
    unsigned long long composedFrames = 0;  // compositions that drew a frame
    bool hasSurface = false;
};
CameraViewInfo CameraViewGetInfo(HWND view);
