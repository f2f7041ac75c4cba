// The physical scale a photo carries when a calibration is applied: its pixel size worked out
// from the view's geometry, and the encoded file rewritten to hold it (PNG pHYs and a text
// chunk; JPEG JFIF density, an EXIF resolution with a user comment, and a comment segment).
// Portable; the photo saver calls it on the encoded bytes before the file takes its name.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct PhotoScale {
    double pixelsPerUnitX = 0, pixelsPerUnitY = 0;  // photo pixels per unit of the calibration
    int unit = 0;                                    // 0 mm, 1 µm
    std::wstring name;                               // the calibration's name
};

// The photo's pixels per unit for a calibration of ppu image pixels per unit (measured along x,
// as the calibration line lies), when the photo shows the frame (frameW x frameH, the camera's
// own square pixels) that the view shows as the image W x H, cropped by digital zoom and
// stretched to photoW x photoH. A still of the whole field is the same with zoom 0 and its own
// size. Zero when not calibrated.
PhotoScale ViewPhotoScale(float ppu, int imageW, int imageH, int frameW, int frameH, int photoW,
                          int photoH, int zoom);

inline bool HasScale(const PhotoScale& s) { return s.pixelsPerUnitX > 0 && s.pixelsPerUnitY > 0; }

double PixelsPerMetre(double pixelsPerUnit, int unit);
double MicronsPerPixel(double pixelsPerUnit, int unit);

// "Calibration: <name>, 2.5 µm per pixel" (two figures "x by y" where they differ), µ being
// U+00B5; without a name "Calibration: 2.5 µm per pixel".
std::wstring ScaleComment(const PhotoScale& scale);

// The PNG's pHYs field values (pixels per metre, rounded, within 1 ... 2^32 - 1).
uint32_t PngPixelsPerMetre(double pixelsPerUnit, int unit);

// JFIF density: units 2 (pixels per centimetre) when both figures fit its 16-bit fields;
// beyond 65535 pixels per centimetre (finer than about 0.15 µm per pixel) units 0 with a 1:1
// aspect, and the EXIF resolution, a 32-bit fraction, carries the figure alone.
struct JfifDensity {
    uint8_t units = 0;
    uint16_t x = 1, y = 1;
};
JfifDensity JfifDensityFor(const PhotoScale& scale);

// The encoded file with the scale written in; an input that is not a well-formed PNG (or JPEG
// up to its scan) comes back empty. Earlier pHYs chunks, JFIF and EXIF segments are replaced.
std::vector<uint8_t> PngWithScale(const std::vector<uint8_t>& png, const PhotoScale& scale);
std::vector<uint8_t> JpegWithScale(const std::vector<uint8_t>& jpeg, const PhotoScale& scale);
