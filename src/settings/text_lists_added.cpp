// Texts the program shows beyond the built-in lists (failure messages, new options), English
// and Chinese in one key order. Each feature keeps its keys together under its own heading;
// keep both lists in the same order with the same keys (the tests check that).
#include "settings/text_table.h"

const TextListEntry kAddedEnglishTexts[] = {
    // -- photos --
    {"save failed", L"Photo not saved: %s"},
    {"saved elsewhere", L"Image folder unavailable, saved to: %s"},
    {"folder denied", L"Windows does not let Vardelo save into %s. If Controlled folder access is on, allow Vardelo in Windows Security, or choose another folder in the options."},
    {"folder not full", L"Give the whole path of the folder, starting with its drive (such as D:\\Microscope) or its share, or choose one with the \"...\" button."},

    // -- recording --
    {"rec dropped", L"%d frames could not be kept"},
    {"rec write failed", L"writing failed after %s s of video (is the disk full?)"},
    {"rec not created", L"The video file could not be created: %s"},
    {"rec nothing", L"Nothing was recorded"},
    {"rec shutdown", L"Finishing a video recording"},
    {"rec recovered", L"Recovered video: %s"},
    {"rec not recovered", L"The video could not be recovered: %s"},

    // -- compact video --
    {"compress video", L"Compress video (MJPEG)"},

    // -- panel and open dialog --

    // -- recent files --

    // -- full screen and shortcuts in tooltips --
    {"tip leave fullscreen", L"Leave full screen"},
    {"key esc", L"Esc"},
    {"key space", L"Space"},
    {"key ctrl t", L"Ctrl+T"},
    {"key ctrl m", L"Ctrl+M"},

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
    {"label back", L"Label background"},
    {"measures with photos", L"Save measurements with photos"},

    // -- start-up --
    {"running elsewhere", L"Vardelo is already running for another user of this computer, or in your other session. Only one copy can use the microscope: close that copy first."},
    {"running no window", L"Vardelo is still running without a window (it may be finishing a video). Try again in a moment."},

    // -- time-lapse --
    {"time-lapse", L"Time-lapse"},
    {"tl every", L"Take a picture every"},
    {"tl seconds", L"seconds"},
    {"tl minutes", L"minutes"},
    {"tl hours", L"hours"},
    {"tl stop group", L"Stop"},
    {"tl after", L"after"},
    {"tl pictures", L"pictures"},
    {"tl never", L"when I stop it"},
    {"tl take group", L"Take"},
    {"tl take view", L"the view as shown, with the measurements"},
    {"tl take frame", L"the camera frame alone"},
    {"tl video", L"Also make a video at"},
    {"tl fps", L"frames per second"},
    {"tl start", L"Start"},
    {"tl h", L"h"},
    {"tl min", L"min"},
    {"tl s", L"s"},
    {"tl taken", L"Time-lapse: %d taken"},
    {"tl next", L"next in %s"},
    {"tl left", L"%s left"},
    {"tl waiting", L"waiting for the camera"},
    {"tl stop ask", L"A time-lapse is running (%d pictures taken). Stop it?"},
    {"tl stop to change", L"A time-lapse is running. Stop it and change the camera?"},
    {"tl finished", L"Time-lapse finished: %d pictures in %s"},
    {"tl save failed", L"Time-lapse stopped: %s could not be saved"},
    {"tl not started", L"The time-lapse folder could not be created: %s"},
    {"tl missed camera", L"no camera"},
    {"tl missed late", L"the computer was busy"},

    // -- camera settings: white balance, anti-flicker, reset, histogram --
    {"wb pick", L"Pick grey area"},
    {"wb drag", L"Drag a rectangle over something white or grey (Esc cancels)"},
    {"wb done", L"White balance set from the area"},
    {"wb clipped", L"The area is too bright: pick a grey one or lower the exposure"},
    {"wb dark", L"The area is too dark for a white balance"},
    {"wb effects", L"Turn off gray, binary, invert and emboss first"},
    {"anti flicker", L"Anti-flicker:"},
    {"power off", L"Off"},
    {"power 50", L"50 Hz"},
    {"power 60", L"60 Hz"},
    {"reset camera", L"Reset camera"},
    {"reset camera ask", L"Put this microscope's settings back to their defaults and forget what Vardelo kept for it?"},
    {"camera reset", L"Microscope settings reset"},
    {"hist rgb", L"Show R, G, B"},

    // -- focus stack --
    {"focus stack", L"Focus stack"},
    {"stack start", L"Start stack"},
    {"stack stop", L"Stop and save"},
    {"stack cancel", L"Cancel"},
    {"stack depth map", L"Also save the depth map"},
    {"stack idle", L"Start (F), then turn the focus slowly through the specimen."},
    {"stack running", L"%d frames fused"},
    {"stack running skipped", L"%d frames fused, %d did not match"},
    {"stack hint", L"all sharp \u2014 stop?"},
    {"stack started", L"Focus stack: turn the focus slowly through the specimen. F again stops and saves, Esc cancels."},
    {"stack cancelled", L"Focus stack cancelled"},
    {"stack empty", L"No frame was fused: nothing was saved."},
    {"stack no memory", L"Not enough memory for a focus stack at this resolution."},
    {"stack depth not saved", L"Depth map not saved: %s"},

    // -- live mosaic --
    {"mosaic", L"Mosaic"},
    {"mosaic title", L"Live mosaic"},
    {"move slower", L"move slower"},
    {"mosaic stop", L"Stop and save"},
    {"mosaic placed", L"%d frames placed \u00B7 %w x %h pixels"},
    {"mosaic start", L"Move the slide slowly: the mosaic starts with the first picture that shows some detail."},
    {"mosaic lost", L"The field is lost: move slower, or back over the mosaic, until it is found again."},
    {"mosaic full", L"The mosaic has reached its memory limit and cannot grow further."},
    {"mosaic no camera", L"No picture from the camera."},
    {"mosaic other size", L"The camera's picture size changed: the mosaic goes on when it is %w x %h again."},
    {"mosaic needs camera", L"Open a camera first: the mosaic is built from its pictures."},
    {"mosaic save ask", L"Save the mosaic before closing?"},
    {"mosaic nothing", L"Nothing was placed: no mosaic saved."},
    {"mosaic as tiff", L"Too large for JPEG (over 65,500 pixels a side), saved as TIFF: %s"},
    {"mosaic not saved", L"The mosaic was not saved and is kept: press Stop and save to try again."},

    {nullptr, nullptr},
};

const TextListEntry kAddedChineseTexts[] = {
    // -- photos --
    {"save failed", L"\u7167\u7247\u672A\u4FDD\u5B58\uFF1A%s"},
    {"saved elsewhere", L"\u56FE\u7247\u6587\u4EF6\u5939\u4E0D\u53EF\u7528\uFF0C\u5DF2\u4FDD\u5B58\u5230\uFF1A%s"},
    {"folder denied", L"Windows \u4E0D\u5141\u8BB8 Vardelo \u4FDD\u5B58\u5230 %s\u3002\u5982\u679C\u5F00\u542F\u4E86\u201C\u53D7\u63A7\u6587\u4EF6\u5939\u8BBF\u95EE\u201D\uFF0C\u8BF7\u5728 Windows \u5B89\u5168\u4E2D\u5FC3\u5141\u8BB8 Vardelo\uFF0C\u6216\u5728\u8BBE\u7F6E\u4E2D\u9009\u62E9\u5176\u4ED6\u6587\u4EF6\u5939\u3002"},
    {"folder not full", L"\u8BF7\u8F93\u5165\u6587\u4EF6\u5939\u7684\u5B8C\u6574\u8DEF\u5F84\uFF0C\u4EE5\u9A71\u52A8\u5668\uFF08\u5982 D:\\Microscope\uFF09\u6216\u5171\u4EAB\u5F00\u5934\uFF0C\u6216\u7528\u201C...\u201D\u6309\u94AE\u9009\u62E9\u3002"},

    // -- recording --
    {"rec dropped", L"\u6709%d\u5E27\u672A\u80FD\u4FDD\u5B58"},
    {"rec write failed", L"\u5F55\u5236%s\u79D2\u540E\u5199\u5165\u5931\u8D25(\u78C1\u76D8\u662F\u5426\u5DF2\u6EE1?)"},
    {"rec not created", L"\u65E0\u6CD5\u521B\u5EFA\u89C6\u9891\u6587\u4EF6: %s"},
    {"rec nothing", L"\u672A\u5F55\u5236\u4EFB\u4F55\u5185\u5BB9"},
    {"rec shutdown", L"\u6B63\u5728\u5B8C\u6210\u89C6\u9891\u5F55\u5236"},
    {"rec recovered", L"\u5DF2\u6062\u590D\u89C6\u9891\uFF1A%s"},
    {"rec not recovered", L"\u65E0\u6CD5\u6062\u590D\u89C6\u9891\uFF1A%s"},

    // -- compact video --
    {"compress video", L"\u538B\u7F29\u89C6\u9891 (MJPEG)"},

    // -- panel and open dialog --

    // -- recent files --

    // -- full screen and shortcuts in tooltips --
    {"tip leave fullscreen", L"\u9000\u51FA\u5168\u5C4F"},
    {"key esc", L"Esc"},
    {"key space", L"\u7A7A\u683C"},
    {"key ctrl t", L"Ctrl+T"},
    {"key ctrl m", L"Ctrl+M"},

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
    {"label back", L"\u6807\u7B7E\u80CC\u666F"},
    {"measures with photos", L"\u968F\u7167\u7247\u4FDD\u5B58\u6D4B\u91CF\u6570\u636E"},

    // -- start-up --
    {"running elsewhere", L"Vardelo \u5DF2\u5728\u8FD9\u53F0\u7535\u8111\u7684\u53E6\u4E00\u4F4D\u7528\u6237\u6216\u4F60\u7684\u53E6\u4E00\u4E2A\u4F1A\u8BDD\u4E2D\u8FD0\u884C\u3002\u663E\u5FAE\u955C\u53EA\u80FD\u7531\u4E00\u4E2A\u7A0B\u5E8F\u4F7F\u7528\uFF1A\u8BF7\u5148\u5173\u95ED\u90A3\u91CC\u7684 Vardelo\u3002"},
    {"running no window", L"Vardelo \u4ECD\u5728\u8FD0\u884C\uFF0C\u4F46\u6CA1\u6709\u7A97\u53E3\uFF08\u53EF\u80FD\u6B63\u5728\u5B8C\u6210\u89C6\u9891\uFF09\u3002\u8BF7\u7A0D\u540E\u518D\u8BD5\u3002"},

    // -- time-lapse --
    {"time-lapse", L"\u5EF6\u65F6\u62CD\u6444"},
    {"tl every", L"\u62CD\u6444\u95F4\u9694"},
    {"tl seconds", L"\u79D2"},
    {"tl minutes", L"\u5206\u949F"},
    {"tl hours", L"\u5C0F\u65F6"},
    {"tl stop group", L"\u505C\u6B62"},
    {"tl after", L"\u62CD\u6444"},
    {"tl pictures", L"\u5F20\u540E"},
    {"tl never", L"\u7531\u6211\u505C\u6B62"},
    {"tl take group", L"\u62CD\u6444\u5185\u5BB9"},
    {"tl take view", L"\u5F53\u524D\u89C6\u56FE\uFF08\u542B\u6D4B\u91CF\uFF09"},
    {"tl take frame", L"\u4EC5\u76F8\u673A\u753B\u9762"},
    {"tl video", L"\u540C\u65F6\u751F\u6210\u89C6\u9891\uFF0C\u5E27\u7387"},
    {"tl fps", L"\u5E27/\u79D2"},
    {"tl start", L"\u5F00\u59CB"},
    {"tl h", L"\u5C0F\u65F6"},
    {"tl min", L"\u5206"},
    {"tl s", L"\u79D2"},
    {"tl taken", L"\u5EF6\u65F6\u62CD\u6444\uFF1A\u5DF2\u62CD %d \u5F20"},
    {"tl next", L"%s\u540E\u62CD\u4E0B\u4E00\u5F20"},
    {"tl left", L"\u5269\u4F59 %s"},
    {"tl waiting", L"\u7B49\u5F85\u76F8\u673A"},
    {"tl stop ask", L"\u5EF6\u65F6\u62CD\u6444\u8FDB\u884C\u4E2D\uFF08\u5DF2\u62CD %d \u5F20\uFF09\u3002\u662F\u5426\u505C\u6B62\uFF1F"},
    {"tl stop to change", L"\u5EF6\u65F6\u62CD\u6444\u8FDB\u884C\u4E2D\u3002\u662F\u5426\u505C\u6B62\u5E76\u66F4\u6362\u76F8\u673A\uFF1F"},
    {"tl finished", L"\u5EF6\u65F6\u62CD\u6444\u5B8C\u6210\uFF1A%d \u5F20\uFF0C\u4F4D\u4E8E %s"},
    {"tl save failed", L"\u5EF6\u65F6\u62CD\u6444\u5DF2\u505C\u6B62\uFF1A\u65E0\u6CD5\u4FDD\u5B58 %s"},
    {"tl not started", L"\u65E0\u6CD5\u521B\u5EFA\u5EF6\u65F6\u62CD\u6444\u6587\u4EF6\u5939\uFF1A%s"},
    {"tl missed camera", L"\u65E0\u76F8\u673A"},
    {"tl missed late", L"\u8BA1\u7B97\u673A\u7E41\u5FD9"},

    // -- camera settings: white balance, anti-flicker, reset, histogram --
    {"wb pick", L"\u9009\u53D6\u7070\u8272\u533A\u57DF"},
    {"wb drag", L"\u5728\u767D\u8272\u6216\u7070\u8272\u7269\u4F53\u4E0A\u62D6\u51FA\u4E00\u4E2A\u77E9\u5F62\uFF08\u6309 Esc \u53D6\u6D88\uFF09"},
    {"wb done", L"\u5DF2\u6309\u6240\u9009\u533A\u57DF\u8BBE\u7F6E\u767D\u5E73\u8861"},
    {"wb clipped", L"\u6240\u9009\u533A\u57DF\u8FC7\u4EAE\uFF1A\u8BF7\u9009\u53D6\u7070\u8272\u533A\u57DF\u6216\u964D\u4F4E\u66DD\u5149"},
    {"wb dark", L"\u6240\u9009\u533A\u57DF\u592A\u6697\uFF0C\u65E0\u6CD5\u8BBE\u7F6E\u767D\u5E73\u8861"},
    {"wb effects", L"\u8BF7\u5148\u5173\u95ED\u7070\u5EA6\u5316\u3001\u4E8C\u503C\u5316\u3001\u53CD\u8F6C\u548C\u6D6E\u96D5"},
    {"anti flicker", L"\u9632\u95EA\u70C1:"},
    {"power off", L"\u5173\u95ED"},
    {"power 50", L"50 Hz"},
    {"power 60", L"60 Hz"},
    {"reset camera", L"\u91CD\u7F6E\u76F8\u673A"},
    {"reset camera ask", L"\u5C06\u6B64\u663E\u5FAE\u955C\u7684\u8BBE\u7F6E\u6062\u590D\u4E3A\u9ED8\u8BA4\u503C\uFF0C\u5E76\u6E05\u9664 Vardelo \u4E3A\u5176\u4FDD\u5B58\u7684\u8BBE\u7F6E\uFF1F"},
    {"camera reset", L"\u663E\u5FAE\u955C\u8BBE\u7F6E\u5DF2\u91CD\u7F6E"},
    {"hist rgb", L"\u663E\u793A R\u3001G\u3001B \u901A\u9053"},

    // -- focus stack --
    {"focus stack", L"\u666F\u6DF1\u5408\u6210"},
    {"stack start", L"\u5F00\u59CB\u5408\u6210"},
    {"stack stop", L"\u505C\u6B62\u5E76\u4FDD\u5B58"},
    {"stack cancel", L"\u53D6\u6D88"},
    {"stack depth map", L"\u540C\u65F6\u4FDD\u5B58\u6DF1\u5EA6\u56FE"},
    {"stack idle", L"\u5F00\u59CB (F) \u540E\u7F13\u6162\u8F6C\u52A8\u8C03\u7126\u65CB\u94AE\uFF0C\u626B\u8FC7\u6574\u4E2A\u6837\u54C1\u3002"},
    {"stack running", L"\u5DF2\u5408\u6210 %d \u5E27"},
    {"stack running skipped", L"\u5DF2\u5408\u6210 %d \u5E27\uFF0C%d \u5E27\u672A\u5BF9\u9F50"},
    {"stack hint", L"\u5DF2\u5168\u90E8\u6E05\u6670 \u2014 \u505C\u6B62\uFF1F"},
    {"stack started", L"\u666F\u6DF1\u5408\u6210\uFF1A\u8BF7\u7F13\u6162\u8F6C\u52A8\u8C03\u7126\u65CB\u94AE\u626B\u8FC7\u6837\u54C1\u3002\u518D\u6309 F \u505C\u6B62\u5E76\u4FDD\u5B58\uFF0C\u6309 Esc \u53D6\u6D88\u3002"},
    {"stack cancelled", L"\u666F\u6DF1\u5408\u6210\u5DF2\u53D6\u6D88"},
    {"stack empty", L"\u6CA1\u6709\u5408\u6210\u4EFB\u4F55\u5E27\uFF1A\u672A\u4FDD\u5B58\u3002"},
    {"stack no memory", L"\u5185\u5B58\u4E0D\u8DB3\uFF0C\u65E0\u6CD5\u4EE5\u6B64\u5206\u8FA8\u7387\u8FDB\u884C\u666F\u6DF1\u5408\u6210\u3002"},
    {"stack depth not saved", L"\u6DF1\u5EA6\u56FE\u672A\u4FDD\u5B58\uFF1A%s"},

    // -- live mosaic --
    {"mosaic", L"\u62FC\u63A5"},
    {"mosaic title", L"\u5B9E\u65F6\u62FC\u63A5"},
    {"move slower", L"\u8BF7\u653E\u6162\u79FB\u52A8"},
    {"mosaic stop", L"\u505C\u6B62\u5E76\u4FDD\u5B58"},
    {"mosaic placed", L"\u5DF2\u653E\u7F6E %d \u5E27 \u00B7 %w \u00D7 %h \u50CF\u7D20"},
    {"mosaic start", L"\u8BF7\u7F13\u6162\u79FB\u52A8\u8F7D\u73BB\u7247\uFF1A\u62FC\u63A5\u4ECE\u7B2C\u4E00\u5E45\u6709\u7EC6\u8282\u7684\u753B\u9762\u5F00\u59CB\u3002"},
    {"mosaic lost", L"\u89C6\u91CE\u5DF2\u4E22\u5931\uFF1A\u8BF7\u653E\u6162\u79FB\u52A8\uFF0C\u6216\u79FB\u56DE\u5DF2\u62FC\u63A5\u7684\u533A\u57DF\uFF0C\u76F4\u5230\u91CD\u65B0\u627E\u5230\u4F4D\u7F6E\u3002"},
    {"mosaic full", L"\u62FC\u63A5\u56FE\u5DF2\u8FBE\u5230\u5185\u5B58\u4E0A\u9650\uFF0C\u65E0\u6CD5\u7EE7\u7EED\u6269\u5927\u3002"},
    {"mosaic no camera", L"\u76F8\u673A\u6CA1\u6709\u753B\u9762\u3002"},
    {"mosaic other size", L"\u76F8\u673A\u753B\u9762\u5C3A\u5BF8\u5DF2\u6539\u53D8\uFF1A\u6062\u590D\u4E3A %w \u00D7 %h \u540E\u62FC\u63A5\u7EE7\u7EED\u3002"},
    {"mosaic needs camera", L"\u8BF7\u5148\u6253\u5F00\u76F8\u673A\uFF1A\u62FC\u63A5\u56FE\u7531\u76F8\u673A\u753B\u9762\u751F\u6210\u3002"},
    {"mosaic save ask", L"\u5173\u95ED\u524D\u4FDD\u5B58\u62FC\u63A5\u56FE\u5417\uFF1F"},
    {"mosaic nothing", L"\u672A\u653E\u7F6E\u4EFB\u4F55\u753B\u9762\uFF1A\u672A\u4FDD\u5B58\u62FC\u63A5\u56FE\u3002"},
    {"mosaic as tiff", L"\u8D85\u51FA JPEG \u7684\u5C3A\u5BF8\u4E0A\u9650\uFF08\u5355\u8FB9\u8D85\u8FC7 65,500 \u50CF\u7D20\uFF09\uFF0C\u5DF2\u4FDD\u5B58\u4E3A TIFF\uFF1A%s"},
    {"mosaic not saved", L"\u62FC\u63A5\u56FE\u672A\u4FDD\u5B58\uFF0C\u5DF2\u4FDD\u7559\uFF1A\u8BF7\u70B9\u51FB\u201C\u505C\u6B62\u5E76\u4FDD\u5B58\u201D\u91CD\u8BD5\u3002"},

    {nullptr, nullptr},
};

static_assert(sizeof(kAddedEnglishTexts) == sizeof(kAddedChineseTexts), "both lists hold the same keys");
const std::size_t kAddedTextKeyCount = sizeof(kAddedEnglishTexts) / sizeof(kAddedEnglishTexts[0]) - 1;
