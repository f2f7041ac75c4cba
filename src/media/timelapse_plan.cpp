// The time-lapse schedule, picture names and interval texts (see timelapse_plan.h).
#include "media/timelapse_plan.h"

#include <algorithm>
#include <cwchar>

TimelapsePlan ClampTimelapsePlan(TimelapsePlan plan) {
    plan.intervalMs = std::clamp(plan.intervalMs, kTimelapseMinIntervalMs, kTimelapseMaxIntervalMs);
    plan.count = std::max<int64_t>(plan.count, 1);
    plan.durationMs = std::max(plan.durationMs, plan.intervalMs);
    plan.videoFps = std::clamp(plan.videoFps, 1, kTimelapseMaxVideoFps);
    return plan;
}

TimelapsePlan PlanFromForm(const TimelapseForm& form) {
    constexpr int64_t kIntervalUnitMs[] = {1000, 60000, 3600000};
    constexpr int64_t kDurationUnitMs[] = {60000, 3600000};
    TimelapsePlan plan;
    // Limited before the product, so that no number typed can overflow it.
    plan.intervalMs = std::clamp<int64_t>(form.interval, 0, 1000000) * kIntervalUnitMs[std::clamp(form.intervalUnit, 0, 2)];
    plan.stop = form.stop;
    plan.count = std::clamp<int64_t>(form.count, 1, 100000000);
    plan.durationMs = std::clamp<int64_t>(form.duration, 0, 1000000) * kDurationUnitMs[std::clamp(form.durationUnit, 0, 1)];
    plan.take = form.take;
    plan.video = form.video;
    plan.videoFps = form.videoFps;
    return ClampTimelapsePlan(plan);
}

int64_t TimelapseSlots(const TimelapsePlan& plan) {
    switch (plan.stop) {
    case TimelapseStop::AfterCount: return std::max<int64_t>(plan.count, 1);
    case TimelapseStop::AfterDuration: return std::max<int64_t>(plan.durationMs, 0) / std::max<int64_t>(plan.intervalMs, 1) + 1;
    case TimelapseStop::Never: break;
    }
    return -1;
}

TimelapseStep NextTimelapseStep(const TimelapsePlan& plan, int64_t startMs, int64_t nextSlot, int64_t nowMs) {
    TimelapseStep step;
    const int64_t interval = std::max<int64_t>(plan.intervalMs, 1);
    const int64_t slots = TimelapseSlots(plan);
    if (slots >= 0 && nextSlot >= slots) {
        step.kind = TimelapseStep::Done;
        return step;
    }
    const int64_t due = startMs + nextSlot * interval;
    if (nowMs < due) {
        step.waitMs = due - nowMs;
        return step;
    }
    // The slot whose time has come last: every earlier one still waiting is a whole interval
    // late and is passed over.
    int64_t latest = nextSlot + (nowMs - due) / interval;
    if (slots >= 0 && latest >= slots) {
        step.kind = TimelapseStep::Done;
        step.missed = slots - nextSlot;
        return step;
    }
    step.kind = TimelapseStep::Take;
    step.slot = latest;
    step.missed = latest - nextSlot;
    return step;
}

int64_t TimelapseLeftMs(const TimelapsePlan& plan, int64_t startMs, int64_t nowMs) {
    const int64_t slots = TimelapseSlots(plan);
    if (slots < 0) return -1;
    return std::max<int64_t>(startMs + (slots - 1) * plan.intervalMs - nowMs, 0);
}

std::wstring TimelapsePictureName(const TimelapsePlan& plan, int64_t number, const wchar_t* extension) {
    const int64_t slots = TimelapseSlots(plan);
    int digits = 4;
    if (slots < 0) {
        digits = 6;
    } else {
        for (int64_t n = slots; n >= 10000; n /= 10) ++digits;
    }
    wchar_t name[48];
    std::swprintf(name, 48, L"%0*lld.%ls", digits, static_cast<long long>(number), extension);
    return name;
}

std::wstring DurationText(int64_t ms, const std::wstring& hours, const std::wstring& minutes,
                          const std::wstring& seconds) {
    const int64_t total = std::max<int64_t>(ms, 0) / 1000;
    const int64_t h = total / 3600, m = total / 60 % 60, s = total % 60;
    std::wstring text;
    auto add = [&](int64_t value, const std::wstring& unit) {
        if (value == 0) return;
        if (!text.empty()) text += L' ';
        text += std::to_wstring(value) + L' ' + unit;
    };
    add(h, hours);
    add(m, minutes);
    add(s, seconds);
    return text.empty() ? L"0 " + seconds : text;
}

std::wstring TimelapseFolderName(int year, int month, int day, int hour, int minute, int second, int attempt) {
    wchar_t name[48];
    std::swprintf(name, 48, L"%04d%02d%02d-%02d%02d%02d", year, month, day, hour, minute, second);
    return attempt <= 1 ? std::wstring(name) : std::wstring(name) + L"-" + std::to_wstring(attempt);
}

std::wstring ClockTimeText(int hour, int minute, int second) {
    wchar_t text[16];
    std::swprintf(text, 16, L"%02d:%02d:%02d", hour, minute, second);
    return text;
}
