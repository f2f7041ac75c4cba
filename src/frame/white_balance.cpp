// White balance from a neutral area (see white_balance.h).
#include "frame/white_balance.h"

#include <algorithm>
#include <cmath>

AreaMeans MeanOfArea(const DisplayFrame* frame, int width, int height, FrameArea area) {
    AreaMeans m;
    if (!frame || DisplayFrameBytes(width, height) == 0) return m;
    area.x0 = std::max(area.x0, 0);
    area.y0 = std::max(area.y0, 0);
    area.x1 = std::min(area.x1, width);
    area.y1 = std::min(area.y1, height);
    if (area.Empty()) return m;
    uint64_t sum[3] = {};
    for (int y = area.y0; y < area.y1; ++y) {
        const uint8_t* p = frame + (size_t(y) * size_t(width) + size_t(area.x0)) * 3;
        for (int x = area.x0; x < area.x1; ++x, p += 3) {
            if (std::min({p[0], p[1], p[2]}) == 0 || std::max({p[0], p[1], p[2]}) == 255) {
                ++m.clipped;
                continue;
            }
            sum[0] += p[0];
            sum[1] += p[1];
            sum[2] += p[2];
            ++m.pixels;
        }
    }
    if (m.pixels) {
        m.blue = double(sum[0]) / double(m.pixels);
        m.green = double(sum[1]) / double(m.pixels);
        m.red = double(sum[2]) / double(m.pixels);
    }
    return m;
}

std::optional<ChannelGains> NeutralGains(const AreaMeans& means, const ChannelGains& current,
                                         NeutralProblem* problem) {
    auto fail = [&](NeutralProblem why) -> std::optional<ChannelGains> {
        if (problem) *problem = why;
        return std::nullopt;
    };
    if (means.pixels == 0 || means.clipped > means.pixels) return fail(NeutralProblem::Clipped);
    // The camera's own means, before the gains now applied.
    const double raw[3] = {means.blue * kUnityGain / current.blue, means.green * kUnityGain / current.green,
                           means.red * kUnityGain / current.red};
    const double target = std::max({raw[0], raw[1], raw[2]});
    uint16_t gains[3];
    for (int c = 0; c < 3; ++c) {
        const double gain = raw[c] > 0 ? target / raw[c] * kUnityGain : HUGE_VAL;
        if (!(gain <= kMaxGain)) return fail(NeutralProblem::TooDark);
        gains[c] = ClampGain(std::lround(gain));
    }
    if (problem) *problem = NeutralProblem::None;
    return ChannelGains{gains[0], gains[1], gains[2]};
}
