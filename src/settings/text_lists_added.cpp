// Texts the program shows beyond the built-in lists (failure messages, new options), English
// and Chinese in one key order. Each feature keeps its keys together under its own heading;
// keep both lists in the same order with the same keys (the tests check that).
#include "settings/text_table.h"

const TextListEntry kAddedEnglishTexts[] = {
    // -- photos --
    {"save failed", L"Photo not saved: %s"},
    {"saved elsewhere", L"Image folder unavailable, saved to: %s"},

    // -- recording --
    {"rec dropped", L"%d frames could not be kept"},
    {"rec write failed", L"writing failed after %s s of video (is the disk full?)"},
    {"rec not created", L"The video file could not be created: %s"},

    // -- compact video --
    {"compress video", L"Compress video (MJPEG)"},

    // -- panel and open dialog --

    // -- recent files --

    // -- options, about, quick adjust --

    // -- cameras --
    {"cam busy", L"The microscope is in use by another program. Close that program; Vardelo keeps trying."},
    {"cam blocked", L"Windows does not let programs use the microscope. Allow camera access in the privacy settings."},
    {"cam cannot open", L"The microscope cannot be opened. Reconnect it or choose another resolution."},
    {"cam no picture", L"The microscope sends no picture. Reconnect it or choose another resolution."},
    {"cam lost", L"The microscope stopped responding. Vardelo reconnects it when it answers again."},

    // -- live read-out --
    {"readout", L"%s fps in, %s shown\r\nload %s%%, dropped %s"},
    {"readout tip", L"Frames received / shown per second; load: the share of each frame interval the live picture takes; dropped: %s by the camera, %s skipped by Vardelo, %s by the recorder"},

    // -- calibration and measuring --
    {"bad length", L"Type a length greater than 0."},

    // -- scale on photos, measurements to take away --
    {"copy measures", L"Copy measurements"},
    {"save measures", L"Save measurements\u2026"},
    {"copy picture", L"Copy picture"},
    {"measures copied", L"Measurements copied"},
    {"picture copied", L"Picture copied"},
    {"measures saved", L"Measurements saved: %s"},
    {"measures not saved", L"Measurements not saved: %s"},
    {"clipboard failed", L"The clipboard could not be used."},
    {"csv files", L"CSV files (*.csv)"},
    {"scale bar", L"Scale bar on photos"},
    {"measures with photos", L"Save measurements with photos"},

    {nullptr, nullptr},
};

const TextListEntry kAddedChineseTexts[] = {
    // -- photos --
    {"save failed", L"\u7167\u7247\u672A\u4FDD\u5B58\uFF1A%s"},
    {"saved elsewhere", L"\u56FE\u7247\u6587\u4EF6\u5939\u4E0D\u53EF\u7528\uFF0C\u5DF2\u4FDD\u5B58\u5230\uFF1A%s"},

    // -- recording --
    {"rec dropped", L"\u6709%d\u5E27\u672A\u80FD\u4FDD\u5B58"},
    {"rec write failed", L"\u5F55\u5236%s\u79D2\u540E\u5199\u5165\u5931\u8D25(\u78C1\u76D8\u662F\u5426\u5DF2\u6EE1?)"},
    {"rec not created", L"\u65E0\u6CD5\u521B\u5EFA\u89C6\u9891\u6587\u4EF6: %s"},

    // -- compact video --
    {"compress video", L"\u538B\u7F29\u89C6\u9891 (MJPEG)"},

    // -- panel and open dialog --

    // -- recent files --

    // -- options, about, quick adjust --

    // -- cameras --
    {"cam busy", L"\u663E\u5FAE\u955C\u6B63\u88AB\u5176\u4ED6\u7A0B\u5E8F\u4F7F\u7528\u3002\u8BF7\u5173\u95ED\u8BE5\u7A0B\u5E8F\uFF0CVardelo \u4F1A\u7EE7\u7EED\u5C1D\u8BD5\u3002"},
    {"cam blocked", L"Windows \u4E0D\u5141\u8BB8\u7A0B\u5E8F\u4F7F\u7528\u663E\u5FAE\u955C\u3002\u8BF7\u5728\u9690\u79C1\u8BBE\u7F6E\u4E2D\u5141\u8BB8\u8BBF\u95EE\u76F8\u673A\u3002"},
    {"cam cannot open", L"\u65E0\u6CD5\u6253\u5F00\u663E\u5FAE\u955C\u3002\u8BF7\u91CD\u65B0\u8FDE\u63A5\u6216\u9009\u62E9\u5176\u4ED6\u5206\u8FA8\u7387\u3002"},
    {"cam no picture", L"\u663E\u5FAE\u955C\u6CA1\u6709\u4F20\u9001\u753B\u9762\u3002\u8BF7\u91CD\u65B0\u8FDE\u63A5\u6216\u9009\u62E9\u5176\u4ED6\u5206\u8FA8\u7387\u3002"},
    {"cam lost", L"\u663E\u5FAE\u955C\u6CA1\u6709\u54CD\u5E94\u3002\u6062\u590D\u540E Vardelo \u4F1A\u81EA\u52A8\u91CD\u65B0\u8FDE\u63A5\u3002"},

    // -- live read-out --
    {"readout", L"\u63A5\u6536 %s \u5E27/\u79D2\uFF0C\u663E\u793A %s\r\n\u8D1F\u8F7D %s%%\uFF0C\u4E22\u5E27 %s"},
    {"readout tip", L"\u6BCF\u79D2\u63A5\u6536/\u663E\u793A\u7684\u5E27\u6570\uFF1B\u8D1F\u8F7D\uFF1A\u5B9E\u65F6\u753B\u9762\u5360\u7528\u5E27\u95F4\u9694\u7684\u6BD4\u4F8B\uFF1B\u4E22\u5E27\uFF1A\u76F8\u673A %s\uFF0CVardelo \u8DF3\u8FC7 %s\uFF0C\u5F55\u50CF %s"},

    // -- calibration and measuring --
    {"bad length", L"\u8BF7\u8F93\u5165\u5927\u4E8E0\u7684\u957F\u5EA6\u3002"},

    // -- scale on photos, measurements to take away --
    {"copy measures", L"\u590D\u5236\u6D4B\u91CF\u6570\u636E"},
    {"save measures", L"\u4FDD\u5B58\u6D4B\u91CF\u6570\u636E\u2026"},
    {"copy picture", L"\u590D\u5236\u56FE\u7247"},
    {"measures copied", L"\u6D4B\u91CF\u6570\u636E\u5DF2\u590D\u5236"},
    {"picture copied", L"\u56FE\u7247\u5DF2\u590D\u5236"},
    {"measures saved", L"\u6D4B\u91CF\u6570\u636E\u5DF2\u4FDD\u5B58\uFF1A%s"},
    {"measures not saved", L"\u6D4B\u91CF\u6570\u636E\u672A\u4FDD\u5B58\uFF1A%s"},
    {"clipboard failed", L"\u65E0\u6CD5\u4F7F\u7528\u526A\u8D34\u677F\u3002"},
    {"csv files", L"CSV \u6587\u4EF6 (*.csv)"},
    {"scale bar", L"\u7167\u7247\u4E0A\u663E\u793A\u6BD4\u4F8B\u5C3A"},
    {"measures with photos", L"\u968F\u7167\u7247\u4FDD\u5B58\u6D4B\u91CF\u6570\u636E"},

    {nullptr, nullptr},
};

static_assert(sizeof(kAddedEnglishTexts) == sizeof(kAddedChineseTexts), "both lists hold the same keys");
const std::size_t kAddedTextKeyCount = sizeof(kAddedEnglishTexts) / sizeof(kAddedEnglishTexts[0]) - 1;
