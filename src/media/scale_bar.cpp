// Scale bar length, label and layout.
#include "media/scale_bar.h"

#include <algorithm>
#include <cmath>

#include "view/overlay.h"

namespace {

// m x 10^e written out exactly: "5", "200", "0.05".
std::wstring RoundNumber(int mantissa, int exponent) {
    std::wstring digits = std::to_wstring(mantissa);
    if (exponent >= 0) return digits + std::wstring(size_t(exponent), L'0');
    return L"0." + std::wstring(size_t(-exponent - 1), L'0') + digits;
}

}  // namespace

ScaleBarLength ChooseScaleBar(double pixelsPerUnit, int unit, int pictureW) {
    ScaleBarLength choice;
    if (!(pixelsPerUnit > 0) || pictureW <= 0) return choice;
    const double target = pictureW / 5.0 / pixelsPerUnit;  // units
    const int decade = int(std::floor(std::log10(target)));
    double best = 0;
    for (int e = decade - 1; e <= decade + 1; ++e) {
        for (int m : {1, 2, 5}) {
            const double length = m * std::pow(10.0, e);
            const double off = std::fabs(std::log(length / target));
            if (choice.mantissa == 0 || off < best - 1e-12) {
                best = off;
                choice.mantissa = m;
                choice.exponent = e;
            }
        }
    }
    const double length = choice.mantissa * std::pow(10.0, choice.exponent);
    choice.pixels = int(std::lround(length * pixelsPerUnit));
    choice.labelUnit = unit == 0 ? 0 : 1;
    if (choice.labelUnit == 0 && choice.exponent < 0) {
        choice.labelUnit = 1;
        choice.exponent += 3;
    } else if (choice.labelUnit == 1 && choice.exponent >= 3) {
        choice.labelUnit = 0;
        choice.exponent -= 3;
    }
    choice.label = RoundNumber(choice.mantissa, choice.exponent) + L" " + UnitText(choice.labelUnit);
    return choice;
}

int ScaleBarTextHeight(int pictureH) { return std::max(12, pictureH / 32); }

ScaleBarLayout LayOutScaleBar(int pictureW, int pictureH, int barPixels, int textW, int textH) {
    ScaleBarLayout l;
    const int margin = std::max(6, pictureW / 80);
    const int thickness = std::max(3, pictureH / 160);
    const int pad = std::max(4, textH / 4);
    const int inner = std::max(barPixels, textW);
    const int width = inner + 2 * pad, height = pad + textH + pad / 2 + thickness + pad;
    if (barPixels < 2 || width + 2 * margin > pictureW || height + 2 * margin > pictureH) return l;
    l.fits = true;
    l.backing = {pictureW - margin - width, pictureH - margin - height, pictureW - margin, pictureH - margin};
    const int centre = l.backing.left + pad + inner / 2;
    l.bar.left = centre - barPixels / 2;
    l.bar.right = l.bar.left + barPixels;
    l.bar.bottom = l.backing.bottom - pad;
    l.bar.top = l.bar.bottom - thickness;
    l.textLeft = centre - textW / 2;
    l.textTop = l.backing.top + pad;
    return l;
}

uint32_t ScaleBarBacking(uint32_t rulerColor) { return ContrastingBacking(rulerColor); }
