// Encoding pictures to JPEG or PNG files with GDI+ and to TIFF files with libtiff: the camera
// view's composed picture, the camera's still frame and any 24-bit picture, each written so that
// no half-written file ever stands under the final name. User-interface thread only.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "media/file_commit_win.h"
#include "media/photo_scale.h"

// Looks up the "image/jpeg" and "image/png" encoders; at start-up, after GDI+ has started.
// Without them every save fails.
void FindImageEncoders();

// Encodes width x height pixels in blue, green, red order, rows top-down and stride bytes apart
// (a multiple of 4), to path in the format PhotoEncoderFor(path) names: JPEG at quality 100, PNG
// or TIFF. With a scale, the file also records its pixel size (see photo_scale.h and
// tiff_encoder.h).
bool SaveBgrImage(const uint8_t* rows, int width, int height, int stride, const std::wstring& path,
                  const PhotoScale* scale = nullptr);

// A picture as a photo saves it, in a 24-bit top-down DIB section of its own.
struct PhotoPicture {
    HBITMAP bitmap = nullptr;
    uint8_t* bits = nullptr;
    int width = 0, height = 0, stride = 0;
    PhotoScale scale;  // pixel size while a calibration is applied, else zero
    PhotoPicture() = default;
    PhotoPicture(const PhotoPicture&) = delete;
    PhotoPicture& operator=(const PhotoPicture&) = delete;
    ~PhotoPicture() {
        if (bitmap) DeleteObject(bitmap);
    }
};
// A blank picture of width x height for a photo made of something else than the view or a frame
// (a mosaic), its scale left zero; false without memory.
bool MakePhotoPicture(int width, int height, PhotoPicture* picture);
// The scale bar drawn into a picture when that option is on and the picture has a scale, as photos
// have it.
void AddScaleBar(PhotoPicture* picture);

// The view's picture as a photo of it shows it: the composed picture, with the scale bar drawn
// in when that option is on and a calibration is applied. False when no camera is open or
// nothing has been composed yet.
bool ComposeViewPhoto(PhotoPicture* picture);

// The frame the camera sent last, at its own size, with the effects but without the overlays (a
// scale bar drawn in as on photos); false when no camera is open.
bool ComposeFramePhoto(PhotoPicture* picture);

// The camera view's picture exactly as shown (display size, digital zoom crop, overlays,
// effects); false when no camera is open or nothing has been composed yet.
bool SaveViewImage(const std::wstring& path);

// A picture of the camera's frame size (a fused focus stack, its depth map) saved as the still
// is: the view's pixel size and calibration recorded; with withOverlay also the measurements
// drawn in as the view draws them at 100 % (when the picture has the image's size) and the scale
// bar when that option is on. rows top-down, width * 3 bytes apart.
bool SaveFramePicture(const std::wstring& path, const uint8_t* bgr, int width, int height, bool withOverlay);

// The camera's last still frame at its own size, without effects or overlays; false when the
// camera has no still branch. Without a graph or a still frame the view's picture is saved.
bool SaveStillImage(const std::wstring& path);
