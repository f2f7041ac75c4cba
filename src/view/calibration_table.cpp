// The calibration slots and their stored text.
#include "view/calibration_table.h"

#include <cmath>
#include <cstring>
#include <limits>

Calibration CalibrationTable[kCalibrationSlots];

namespace {

constexpr int32_t kLatestDate = 99991231;

bool IsHighSurrogate(wchar_t c) { return uint32_t(c) >= 0xD800 && uint32_t(c) <= 0xDBFF; }

// The first n units of name, n reduced by one when it would end in the middle of a surrogate pair.
std::wstring_view CutName(std::wstring_view name, std::size_t n) {
    if (name.size() <= n) return name;
    if (n > 0 && IsHighSurrogate(name[n - 1])) --n;
    return name.substr(0, n);
}

// A name as it may be stored: at most 19 characters, no "," or ";".
std::wstring CleanName(std::wstring_view name) {
    std::wstring clean(CutName(name, kCalibrationNameChars - 1));
    for (wchar_t& c : clean)
        if (c == L',' || c == L';') c = L'_';
    return clean;
}

// The name held in a slot, even when its array is not terminated.
std::wstring_view SlotName(const Calibration& slot) {
    std::size_t n = 0;
    while (n < kCalibrationNameChars && slot.name[n]) ++n;
    return std::wstring_view(slot.name, n);
}

void StoreName(Calibration& slot, std::wstring_view name) {
    std::wstring clean = CleanName(name);
    std::memset(slot.name, 0, sizeof(slot.name));
    std::memcpy(slot.name, clean.data(), clean.size() * sizeof(wchar_t));
}

bool IsBlank(wchar_t c) { return c == L' ' || (c >= L'\t' && c <= L'\r'); }

// Leading blanks, an optional sign, the leading digits. Returns the magnitude (saturated just
// above the 32-bit unsigned range) and whether a minus sign came first.
uint64_t ReadMagnitude(std::wstring_view s, bool& negative) {
    std::size_t i = 0;
    while (i < s.size() && IsBlank(s[i])) ++i;
    negative = false;
    if (i < s.size() && (s[i] == L'+' || s[i] == L'-')) negative = s[i++] == L'-';
    uint64_t value = 0;
    for (; i < s.size() && s[i] >= L'0' && s[i] <= L'9'; ++i) {
        value = value * 10 + uint64_t(s[i] - L'0');
        if (value > 0x100000000ull) value = 0x100000000ull;  // enough to know it is out of range
    }
    return value;
}

// A decimal integer, clamped to the 32-bit signed range; 0 when there are no digits.
int32_t ReadInt(std::wstring_view s) {
    bool negative;
    uint64_t m = ReadMagnitude(s, negative);
    if (negative) return m >= 0x80000000ull ? std::numeric_limits<int32_t>::min() : -int32_t(m);
    return m > 0x7FFFFFFFull ? std::numeric_limits<int32_t>::max() : int32_t(m);
}

// An unsigned decimal as the C library reads it into 32 bits: a minus sign negates modulo 2^32,
// a magnitude beyond the range gives the largest value.
uint32_t ReadUnsigned(std::wstring_view s) {
    bool negative;
    uint64_t m = ReadMagnitude(s, negative);
    if (m > 0xFFFFFFFFull) return 0xFFFFFFFFu;
    return negative ? uint32_t(0u - uint32_t(m)) : uint32_t(m);
}

int32_t StoredUnit(int32_t unit) { return unit == 0 ? 0 : 1; }
int32_t StoredDate(int32_t date) { return date < 0 || date > kLatestDate ? 0 : date; }

uint32_t FloatBits(float f) {
    uint32_t bits;
    std::memcpy(&bits, &f, sizeof(bits));
    return bits;
}

float BitsFloat(uint32_t bits) {
    float f;
    std::memcpy(&f, &bits, sizeof(f));
    return f;
}

}  // namespace

void EmptyCalibration(Calibration& slot) {
    std::memset(&slot, 0, sizeof(slot));
    slot.pixelsPerUnit = -1.0f;
}

void SetCalibrationName(Calibration& slot, const wchar_t* name) {
    StoreName(slot, name ? std::wstring_view(name) : std::wstring_view());
}

float PixelsPerUnitFor(int32_t referencePixels, float referenceLength) {
    if (!(referenceLength > 0)) return -1.0f;
    float ppu = float(referencePixels) / referenceLength;
    return std::isfinite(ppu) ? ppu : -1.0f;
}

namespace {

// A record's text after its name: ",unit,pixels,length bits,resolution,date;".
std::wstring RecordFigures(const Calibration& s) {
    return L"," + std::to_wstring(StoredUnit(s.unit)) + L"," + std::to_wstring(s.referencePixels) + L"," +
           std::to_wstring(FloatBits(s.referenceLength)) + L"," + std::to_wstring(s.resolution) + L"," +
           std::to_wstring(StoredDate(s.date)) + L";";
}

}  // namespace

void RenameCalibration(Calibration* slots, int index, const wchar_t* name) {
    if (index < 0 || index >= kCalibrationSlots) return;
    SetCalibrationName(slots[index], name);
    std::size_t used = 0;
    for (int i = 0; i < kCalibrationSlots; ++i) {
        used += RecordFigures(slots[i]).size();
        if (i != index) used += SlotName(slots[i]).size();
    }
    if (used >= kCalibrationTextMaxChars) return;  // the others alone overflow: the common cut applies
    const std::wstring current(SlotName(slots[index]));
    const std::size_t room = kCalibrationTextMaxChars - used;
    if (current.size() > room) StoreName(slots[index], CutName(current, room));
}

std::wstring SerializeCalibrations(const Calibration* slots) {
    std::wstring names[kCalibrationSlots];
    std::wstring figures[kCalibrationSlots];
    std::size_t figureChars = 0, nameChars = 0;
    for (int i = 0; i < kCalibrationSlots; ++i) {
        const Calibration& s = slots[i];
        names[i] = CleanName(SlotName(s));
        figures[i] = RecordFigures(s);
        figureChars += figures[i].size();
        nameChars += names[i].size();
    }
    // With a unit of one digit and a date of eight, a record's figures take at most 47
    // characters, so ten of them always fit; names get what is left.
    std::size_t budget = figureChars < kCalibrationTextMaxChars ? kCalibrationTextMaxChars - figureChars : 0;
    if (nameChars > budget) {
        // The longest common length that fits: every name is cut to it, shorter names stay.
        std::size_t cap = kCalibrationNameChars - 1;
        auto total = [&](std::size_t c) {
            std::size_t t = 0;
            for (auto& n : names) t += n.size() < c ? n.size() : c;
            return t;
        };
        while (cap > 0 && total(cap) > budget) --cap;
        for (auto& n : names) n = std::wstring(CutName(n, cap));
    }
    std::wstring text;
    for (int i = 0; i < kCalibrationSlots; ++i) {
        std::wstring record = names[i] + figures[i];
        if (text.size() + record.size() > kCalibrationTextMaxChars) break;  // only whole records
        text += record;
    }
    return text;
}

void ParseCalibrations(std::wstring_view text, Calibration* slots) {
    for (int i = 0; i < kCalibrationSlots; ++i) EmptyCalibration(slots[i]);
    std::size_t len = 0;
    while (len < text.size() && len < kCalibrationTextMaxChars && text[len]) ++len;
    text = text.substr(0, len);

    std::size_t pos = 0;
    for (int i = 0; i < kCalibrationSlots; ++i) {
        std::size_t end = text.find(L';', pos);
        if (end == std::wstring_view::npos) return;
        std::wstring_view record = text.substr(pos, end - pos);
        std::size_t comma[5];
        std::size_t from = 0;
        for (std::size_t& c : comma) {
            c = record.find(L',', from);
            if (c == std::wstring_view::npos) return;
            from = c + 1;
        }
        auto field = [&](int k) {  // field k (1..4) lies between comma k-1 and comma k
            return record.substr(comma[k - 1] + 1, comma[k] - comma[k - 1] - 1);
        };
        Calibration& s = slots[i];
        StoreName(s, record.substr(0, comma[0]));
        s.unit = StoredUnit(ReadInt(field(1)));
        s.referencePixels = ReadInt(field(2));
        s.referenceLength = BitsFloat(ReadUnsigned(field(3)));
        s.resolution = ReadInt(field(4));
        s.date = StoredDate(ReadInt(record.substr(comma[4] + 1)));
        s.pixelsPerUnit = PixelsPerUnitFor(s.referencePixels, s.referenceLength);
        pos = end + 1;
    }
}
