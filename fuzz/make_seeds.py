#!/usr/bin/env python3
"""Writes the generated seeds of fuzz/corpus: recordings cut short at the points a crash can
cut them (with their journals), photos of each kind with scales to write into them, camera
records with device names and capability lists, and settings values as the store hands them
over. Each seed is laid out as its fuzzer's header comment says. The JPEG frames and photos are
the real 32 x 16 camera frame of fuzz/corpus/frame_sample_fuzz/mjpg_32x16; the PNGs are written
here with zlib. Run from anywhere: python3 fuzz/make_seeds.py (it replaces the seeds it makes,
and leaves other seeds, such as those kept by a merge, alone)."""
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
CORPUS = os.path.join(HERE, "corpus")


def write(target, name, data):
    folder = os.path.join(CORPUS, target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def real_jpeg():
    with open(os.path.join(CORPUS, "frame_sample_fuzz", "mjpg_32x16"), "rb") as f:
        return f.read()[8:]  # after the fuzzer's 8-byte header


# ---- recordings cut short (avi_recovery_fuzz: journal text, a zero byte, the video) ----

def journal(width, height, mjpg, rate=300, scale=10):
    return ("Vardelo recording 1\nwidth %d\nheight %d\nframes %s\nrate %d\nscale %d\nend\n"
            % (width, height, "MJPG" if mjpg else "DIB", rate, scale)).encode()


def chunk(cid, data):
    out = cid + struct.pack("<I", len(data)) + data
    return out + (b"\0" if len(data) & 1 else b"")


def dib_frame(width, height, shade):
    row = (width * 3 + 3) // 4 * 4
    return bytes((shade + i) & 0xFF for i in range(row * height))


def avi_seeds():
    jpeg = real_jpeg()
    head = bytes(256)  # the space kept for the headers that were never written (2 KB in a real file)
    # Uncompressed 4 x 2 frames.
    j = journal(4, 2, False)
    frames = head + b"".join(chunk(b"00db", dib_frame(4, 2, k)) for k in range(4))
    write("avi_recovery_fuzz", "dib_whole_frames", j + b"\0" + frames)
    write("avi_recovery_fuzz", "dib_cut_in_frame", j + b"\0" + frames[:-7])
    write("avi_recovery_fuzz", "dib_cut_in_chunk_header", j + b"\0" + frames + b"00db\x18\0")
    write("avi_recovery_fuzz", "dib_dropped_and_junk",
          j + b"\0" + head + chunk(b"00db", dib_frame(4, 2, 1)) + chunk(b"00db", b"") +
          chunk(b"JUNK", bytes(10)) + chunk(b"00db", dib_frame(4, 2, 2)))
    write("avi_recovery_fuzz", "dib_cut_in_headers", j + b"\0" + head[:100])
    # Motion-JPEG frames of the real camera frame (odd and even sizes).
    m = journal(32, 16, True)
    movie = chunk(b"00dc", jpeg) + chunk(b"00dc", b"") + chunk(b"00dc", jpeg)
    write("avi_recovery_fuzz", "mjpg_whole_frames", m + b"\0" + head + movie)
    write("avi_recovery_fuzz", "mjpg_jpeg_without_end", m + b"\0" + head + movie + chunk(b"00dc", jpeg[:-40] + bytes(40)))
    write("avi_recovery_fuzz", "mjpg_cut_mid_frame", m + b"\0" + head + movie + chunk(b"00dc", jpeg)[:200])
    padded = b"00dc" + struct.pack("<I", len(jpeg) + 1) + jpeg[:-2] + b"\0\xff\xd9"  # odd size, the pad byte never written
    write("avi_recovery_fuzz", "mjpg_odd_frame_without_pad", m + b"\0" + head + chunk(b"00dc", jpeg) + padded)
    # A recording that was closed after all: what the recovery would have made of the first.
    write("avi_recovery_fuzz", "closed_file", m + b"\0" + closed_avi(32, 16, [jpeg, b"", jpeg]))
    write("avi_recovery_fuzz", "no_journal_zeros", b"not a journal\0" + bytes(64))


def closed_avi(width, height, frames):
    movie = b"".join(chunk(b"00dc", f) for f in frames)
    index, at = b"", 4
    for f in frames:
        index += b"00dc" + struct.pack("<III", 0x10 if f else 0, at, len(f))
        at += 8 + len(f) + (len(f) & 1)
    avih = b"avih" + struct.pack("<I", 56) + struct.pack("<14I", 33333, 0, 0, 0x10, len(frames), 0, 1, 0,
                                                         width, height, 0, 0, 0, 0)
    hdrl = b"LIST" + struct.pack("<I", 4 + len(avih)) + b"hdrl" + avih
    movi = b"LIST" + struct.pack("<I", 4 + len(movie)) + b"movi" + movie
    idx1 = b"idx1" + struct.pack("<I", len(index)) + index
    body = b"AVI " + hdrl + movi + idx1
    return b"RIFF" + struct.pack("<I", len(body)) + body


# ---- photos and their scales (photo_scale_fuzz) ----

def png(width, height, extra_chunks=b""):
    def c(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    raw = b"".join(b"\0" + bytes((x * 37 + y * 11) & 0xFF for x in range(width * 3)) for y in range(height))
    return (b"\x89PNG\r\n\x1a\n" + c(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)) +
            extra_chunks + c(b"IDAT", zlib.compress(raw)) + c(b"IEND", b""))


def png_chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


def scale_header(kind, unit, ppux, ppuy, name):
    units = name.encode("utf-16-le")
    return bytes([kind | unit << 7]) + struct.pack("<ff", ppux, ppuy) + bytes([len(name)]) + units


def photo_seeds():
    jpeg = real_jpeg()
    write("photo_scale_fuzz", "png_mm", scale_header(0, 0, 250.5, 250.5, "Slide") + png(16, 16))
    write("photo_scale_fuzz", "png_um_with_phys_and_text",
          scale_header(0, 1, 0.42, 0.40, "x40") +
          png(8, 4, png_chunk(b"pHYs", struct.pack(">IIB", 3780, 3780, 1)) + png_chunk(b"tEXt", b"Comment\0old")))
    write("photo_scale_fuzz", "png_chinese_name", scale_header(0, 1, 2.0, 2.0, "\u6807\u5c3a") + png(4, 4))
    write("photo_scale_fuzz", "jpeg_mm", scale_header(1, 0, 120.0, 120.0, "Ruler") + jpeg)
    write("photo_scale_fuzz", "jpeg_um_fine", scale_header(1, 1, 9.5, 9.0, "") + jpeg)  # beyond JFIF's 16 bits
    exif = b"Exif\0\0II*\0\x08\0\0\0\0\0\0\0\0\0"
    app1 = b"\xff\xe1" + struct.pack(">H", 2 + len(exif)) + exif
    write("photo_scale_fuzz", "jpeg_with_exif", scale_header(1, 0, 33.3, 33.3, "Old") + jpeg[:2] + app1 + jpeg[2:])
    pixels = bytes((i * 29) & 0xFF for i in range(5 * 3 * 3))
    write("photo_scale_fuzz", "tiff_um", scale_header(2, 1, 1.5, 1.5, "x10") + bytes([5, 3]) + pixels)
    write("photo_scale_fuzz", "tiff_mm_padded_rows", scale_header(2, 0, 80.0, 79.0, "") + bytes([7 + 24, 2]) + pixels)
    write("photo_scale_fuzz", "tiff_no_scale", scale_header(2, 0, 0.0, 0.0, "") + bytes([2, 2]) + pixels[:12])


# ---- camera records, device names, capabilities (camera_record_fuzz) ----

RECORD_NAMES = ["Name", "LastUsed", "width", "height", "mjpg", "interpolated", "FlipHorizontal", "FlipVertical",
                "CalibrationSlot", "Calibration", "BalanceBlue", "BalanceGreen", "BalanceRed"]
PROPERTIES = ["Exposure", "WhiteBalance", "Gain", "Brightness", "Contrast", "Hue", "Saturation", "Sharpness",
              "Gamma", "Backlight", "PowerLine"]
for p in PROPERTIES:
    RECORD_NAMES += [p, p + "Auto"]


def text(t):
    return bytes([len(t)]) + t.encode("utf-16-le")


def record(values):
    out = b""
    for name in RECORD_NAMES:
        v = values.get(name)
        if v is None:
            out += b"\0"
        elif isinstance(v, int):
            out += b"\1" + struct.pack("<i", v)
        else:
            out += b"\2" + text(v)
    return out


def caps(entries):
    return b"".join(bytes([kind]) + struct.pack("<hh", w, h) + bytes([v2]) for kind, w, h, v2 in entries)


def camera_seeds():
    usual = {"Name": "USB Microscope", "LastUsed": 7, "width": 1280, "height": 720, "mjpg": 1, "interpolated": 0,
             "FlipHorizontal": 1, "FlipVertical": 0, "CalibrationSlot": 2, "Calibration": "x40",
             "BalanceBlue": 5000, "BalanceGreen": 4096, "BalanceRed": 4500, "Brightness": 10, "BrightnessAuto": 0,
             "Exposure": -6, "ExposureAuto": 1}
    props = bytes([3, 7, 2, 6, 3, 1, 2, 3, 0, 4, 2])
    path = "\\\\?\\usb#vid_1b3f&pid_2202&mi_00#6&2d6b4b8e&0&0000#{65e8773d-8f56-11d0-a3b9-00a0c9223196}\\global"
    write("camera_record_fuzz", "usual_camera",
          record(usual) + props + text("@device:pnp:" + path[4:]) + text(path) +
          caps([(0, 1920, 1080, 1), (0, 1920, 1080, 0), (0, 1280, 720, 0), (1, 640, 480, 0), (1, 1280, 720, 1)]))
    vga = {"Name": "Lab cam", "width": 1920, "height": 1080, "interpolated": 1, "mjpg": 0}
    write("camera_record_fuzz", "vga_only_interpolated",
          record(vga) + props + text("@device:sw:{860BB310-5D01-11D0-BD3B-00A0C911CE86}\\Virtual") + text("") +
          caps([(1, 640, 480, 0), (1, 320, 240, 0), (2, 1280, 720, 0)]))
    damaged = {"Name": 5, "width": 0, "height": 99999, "CalibrationSlot": 11, "Calibration": "gone",
               "BalanceBlue": -1, "BalanceRed": 1 << 20, "Gain": "loud"}
    write("camera_record_fuzz", "damaged_record", record(damaged) + props + text("") + text("usb#only") + caps([]))


# ---- settings values as the store returns them (settings_text_fuzz, bit 1 of the first byte) ----

def stored(key_opened, values):
    out = bytes([2 | (4 if key_opened else 0)])
    for v in values:
        out += b"\xff\xff" if v is None else struct.pack("<H", len(v)) + v
    return out


def settings_seeds():
    def num(n):
        return struct.pack("<i", n)

    def wtext(t):
        return (t + "\0").encode("utf-16-le")
    usual = [num(1), num(1), num(1280), num(720), num(0), wtext("C:\\Users\\ann\\Documents\\Vardelo Files"),
             num(0x00FF00), num(0x0000FF), num(2), num(0xFFFF00), num(12), num(2), num(600),
             wtext("Slide,0,400,1065353216,83887360,20240101;"), wtext("C:\\p\\a.jpg;C:\\p\\b.avi;"),
             wtext("USB Microscope\n@device:pnp:\\\\?\\usb#vid_1b3f"), num(1), num(1), num(0), num(1)]
    write("settings_text_fuzz", "stored_values", stored(True, usual))
    damaged = [b"\1\2", None, num(-5), b"", num(7), b"C\0:\0", num(0x123456), None, num(9), num(0), num(100),
               num(-1), num(99999), wtext("x" * 600), b"a\0;\0b", wtext("no line feed"), num(2), None, num(-1), b"\0"]
    write("settings_text_fuzz", "stored_damaged", stored(True, damaged))
    write("settings_text_fuzz", "stored_no_key", stored(False, usual[:3]))


def picture_seeds():
    write("picture_check_fuzz", "camera_frame.jpg", real_jpeg())
    write("picture_check_fuzz", "generated.png", png(5, 3, png_chunk(b"tEXt", b"Comment\0scale")))


if __name__ == "__main__":
    picture_seeds()
    avi_seeds()
    photo_seeds()
    camera_seeds()
    settings_seeds()
