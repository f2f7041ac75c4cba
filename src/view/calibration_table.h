// The ten named calibration slots and their stored text form, one record per slot:
// "name,unit,referencePixels,referenceLength bits,resolution,date;".
// The table is used only on the user-interface thread.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

constexpr int kCalibrationSlots = 10;
constexpr std::size_t kCalibrationNameChars = 20;     // terminator included
constexpr std::size_t kCalibrationTextMaxChars = 511; // terminator not included

struct Calibration {
    wchar_t name[kCalibrationNameChars];  // at most 19 characters; empty for an empty slot
    int32_t unit;                         // 0 = millimetre, 1 = micrometre
    int32_t referencePixels;              // calibration line length in image pixels
    float referenceLength;                // length the user typed, in the slot's unit
    int32_t resolution;                   // frame size: height << 16 | width
    int32_t date;                         // year * 10000 + month * 100 + day
    float pixelsPerUnit;                  // referencePixels / referenceLength; -1 when empty
};

extern Calibration CalibrationTable[kCalibrationSlots];

// All fields 0, pixelsPerUnit -1.
void EmptyCalibration(Calibration& slot);
inline bool IsCalibrated(const Calibration& slot) { return slot.pixelsPerUnit > 0; }

// Sets a slot's name the way every name enters the table: cut to 19 characters (never in the
// middle of a surrogate pair), and "," and ";", which would break the stored text, replaced
// by "_". A null name gives an empty name.
void SetCalibrationName(Calibration& slot, const wchar_t* name);

// Renames slot index of the table as the user does: the name as SetCalibrationName takes it,
// then cut to the room the other nine records leave in the stored text, so that a long name
// never shortens the stored names of the others.
void RenameCalibration(Calibration* slots, int index, const wchar_t* name);

// pixelsPerUnit for a reference: referencePixels / referenceLength when referenceLength > 0
// and the quotient is a finite number, -1 otherwise.
float PixelsPerUnitFor(int32_t referencePixels, float referenceLength);

// The stored text of ten slots, at most 511 characters. A unit other than 0 is written as 1 and
// a date outside 0..99991231 as 0. When the ten records with their full names would not fit,
// the longest names are shortened (all to the same length, as little as needed) so every
// slot's figures are kept.
std::wstring SerializeCalibrations(const Calibration* slots);

// Reads a stored text (its first 511 characters) into ten slots. All slots are emptied first;
// records are read in order until one is missing its ";" or one of its five ",". Numbers out of
// range are clamped; a name is taken as SetCalibrationName takes it.
void ParseCalibrations(std::wstring_view text, Calibration* slots);
