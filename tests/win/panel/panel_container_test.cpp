// The panel container and its sections without a camera: the sections present and open at
// start, collapsing and re-stacking, the scroll bar of a short panel, the title bar's hover,
// the placeholder lists and disabled preview, texts in both languages and the two buttons.
#include "panel/panel_fixture.h"

#include "panel/flip_section_win.h"
#include "panel/source_section_win.h"
#include "panel/stack_section_layout.h"

namespace {

std::vector<int> mainCommands;
WNDPROC mainProc = nullptr;

// Records the main window's commands and keeps the folder and options commands from it: the
// test asks only that they arrive (showing the folder would start a file manager).
LRESULT CALLBACK RecordingMainProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_COMMAND) {
        mainCommands.push_back(LOWORD(wp));
        if (LOWORD(wp) == ID_OPEN_FOLDER || LOWORD(wp) == ID_OPTIONS) return 0;
    }
    return CallWindowProcW(mainProc, hwnd, msg, wp, lp);
}

using PanelContainerTest = PanelFixture;

TEST_F(PanelContainerTest, EverySectionPresentIsOpenAtStart) {
    Start();
    EXPECT_EQ(GetDlgCtrlID(panel), 109);
    CtrlPanelInfo info = Info();
    EXPECT_EQ(info.count, 4);
    ASSERT_NE(info.sections[0], nullptr);
    ASSERT_NE(info.sections[1], nullptr);
    ASSERT_NE(info.sections[2], nullptr);
    EXPECT_EQ(info.sections[3], nullptr);  // no files section class in this program yet
    EXPECT_EQ(GetDlgCtrlID(info.sections[0]), 100);
    EXPECT_EQ(GetDlgCtrlID(info.sections[1]), 101);
    EXPECT_EQ(GetDlgCtrlID(info.sections[2]), 103);
    // The bar shows exactly when the open sections are taller than the panel (at 768 pixels they
    // are, by a little, since the panel holds four sections).
    RECT panelClient;
    GetClientRect(panel, &panelClient);
    EXPECT_EQ(info.barShown, info.contentHeight > panelClient.bottom);
    EXPECT_TRUE(PanelHeaderOpen(Control(100, 100)));
    for (int id = 101; id <= 109; ++id) EXPECT_TRUE(IsWindowVisible(Control(100, id))) << id;
    for (int id = 101; id <= 109; ++id) EXPECT_TRUE(IsWindowVisible(Control(101, id))) << id;

    const PanelResources& res = GetPanelResources();
    SectionHeights source = SectionHeightsFor(res.base, kSourceSectionUnits);
    RECT s = RectIn(Section(100), panel), p = RectIn(Section(101), panel), client;
    GetClientRect(panel, &client);
    EXPECT_EQ(s.left, res.metrics.marginX);
    EXPECT_EQ(s.right, client.right - res.metrics.marginX);
    EXPECT_EQ(s.top, res.metrics.marginY);
    EXPECT_EQ(s.bottom - s.top, source.expanded);
    EXPECT_EQ(p.top, s.bottom);
    EXPECT_EQ(info.contentHeight, 2 * res.metrics.marginY + source.expanded +
                                      SectionHeightsFor(res.base, kPreviewBodyUnits).expanded +
                                      SectionHeightsFor(res.base, kStackBodyUnits).expanded);
}

TEST_F(PanelContainerTest, ToggleHidesTheBodyAndRestacksTwiceRestores) {
    Start();
    const PanelResources& res = GetPanelResources();
    SectionHeights source = SectionHeightsFor(res.base, kSourceSectionUnits);
    HWND header = Control(100, 100);
    SendMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));  // a click
    ASSERT_TRUE(WaitUntil([&] { return !Info().open[0]; }));
    PumpMessages();
    EXPECT_FALSE(PanelHeaderOpen(header));
    EXPECT_FALSE(IsWindowVisible(Control(100, kSourceDeviceList)));
    EXPECT_FALSE(IsWindowVisible(Control(100, kSourceSettingsButton)));
    EXPECT_TRUE(IsWindowVisible(header));
    RECT s = RectIn(Section(100), panel), p = RectIn(Section(101), panel);
    EXPECT_EQ(s.bottom - s.top, source.collapsed);
    EXPECT_EQ(p.top, res.metrics.marginY + source.collapsed);

    PostMessageW(header, WMU_SECTION_TOGGLE, 0, 0);  // the same as a click
    ASSERT_TRUE(WaitUntil([&] { return Info().open[0]; }));
    PumpMessages();
    EXPECT_TRUE(IsWindowVisible(Control(100, kSourceDeviceList)));
    s = RectIn(Section(100), panel);
    p = RectIn(Section(101), panel);
    EXPECT_EQ(s.bottom - s.top, source.expanded);
    EXPECT_EQ(p.top, res.metrics.marginY + source.expanded);
}

TEST_F(PanelContainerTest, TitleBarHoldsTheMouseWhileHot) {
    Start();
    HWND header = Control(101, 100);
    SendMessageW(header, WM_MOUSEMOVE, 0, MAKELPARAM(10, 5));
    EXPECT_EQ(GetCapture(), header);
    SendMessageW(header, WM_MOUSEMOVE, 0, MAKELPARAM(10, 5));
    EXPECT_EQ(GetCapture(), header);
    SendMessageW(header, WM_MOUSEMOVE, 0, MAKELPARAM(10, -3));  // left above
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(PanelContainerTest, ShortPanelScrollsAndACollapseClampsThePosition) {
    Start();
    RECT client;
    GetClientRect(panel, &client);
    // The main window cannot be made short enough for two sections; the panel itself can.
    SetWindowPos(panel, nullptr, 0, 0, client.right, 200, SWP_NOMOVE | SWP_NOZORDER);
    PumpMessages();
    CtrlPanelInfo info = Info();
    ASSERT_TRUE(info.barShown);
    GetClientRect(panel, &client);
    int excess = info.contentHeight - client.bottom;
    SCROLLINFO si = {sizeof(si), SIF_ALL};
    GetScrollInfo(panel, SB_VERT, &si);
    EXPECT_EQ(si.nMin, 0);
    EXPECT_EQ(si.nMax, excess + 19);
    EXPECT_EQ(si.nPage, 20u);

    const int step = GetPanelResources().scrollStep;
    SendMessageW(panel, WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(-480)), 0);
    EXPECT_EQ(Info().position, step);  // one line, whatever the delta
    SendMessageW(panel, WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(-120)), 0);
    EXPECT_EQ(Info().position, 2 * step);
    SendMessageW(panel, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, excess + 50), 0);
    EXPECT_EQ(Info().position, excess);
    PumpMessages();
    EXPECT_EQ(RectIn(Section(100), panel).top, GetPanelResources().metrics.marginY - excess);

    PostMessageW(Control(100, 100), WMU_SECTION_TOGGLE, 0, 0);  // collapse the source section
    ASSERT_TRUE(WaitUntil([&] { return !Info().open[0]; }));
    PumpMessages();
    info = Info();
    PanelScroll expected = UpdatePanelScroll(info.contentHeight, client.bottom, excess);
    EXPECT_LT(expected.excess, excess);
    EXPECT_EQ(info.position, expected.position);
    EXPECT_EQ(GetScrollPos(panel, SB_VERT), expected.position);
}

TEST_F(PanelContainerTest, WithoutACameraTheListsHoldThePlaceholderAndPreviewIsDisabled) {
    Start();
    EXPECT_EQ(Rows(Control(100, kSourceDeviceList)), std::vector<std::wstring>{L"Click to open..."});
    EXPECT_EQ(Selected(Control(100, kSourceDeviceList)), 0);
    EXPECT_TRUE(Rows(Control(100, kSourceSizeList)).empty());
    EXPECT_TRUE(Rows(Control(100, kSourceFormatList)).empty());
    EXPECT_EQ(WindowText(Control(101, kPreviewRatioText)), L"100%");
    EXPECT_EQ(IsDlgButtonChecked(Section(101), kPreviewRatio100), BST_CHECKED);
    for (int id = 102; id <= 109; ++id) EXPECT_FALSE(IsWindowEnabled(Control(101, id))) << id;
    EXPECT_TRUE(IsWindowEnabled(Control(101, 100)));
}

TEST_F(PanelContainerTest, TextsFollowTheLanguage) {
    Start();
    EXPECT_EQ(WindowText(Control(100, 100)), L"Device");
    EXPECT_EQ(WindowText(Control(100, kSourceFolderButton)), L"Files");
    EXPECT_EQ(WindowText(Control(101, 100)), L"Preview");
    LoadTextTable(1);
    PostMessageW(panel, WM_COMMAND, CMD_RELOAD_TEXTS, 0);
    ASSERT_TRUE(WaitUntil([&] { return WindowText(Control(101, 100)) == L"\u9884\u89c8"; }));
    EXPECT_EQ(WindowText(Control(100, 100)), L"\u8bbe\u5907");
    EXPECT_EQ(WindowText(Control(100, 103)), L"\u5206\u8fa8\u7387:");
    EXPECT_EQ(WindowText(Control(101, 105)), L"\u5782\u76f4\u7ffb\u8f6c");
    EXPECT_EQ(Rows(Control(100, kSourceDeviceList)), std::vector<std::wstring>{L"\u70b9\u51fb\u6253\u5f00..."});
}

TEST_F(PanelContainerTest, ButtonsPostFolderAndOptionsToTheMainWindow) {
    Start();
    mainCommands.clear();
    mainProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(main, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordingMainProc)));
    Press(100, kSourceFolderButton);
    Press(100, kSourceSettingsButton);
    PumpMessages();
    EXPECT_EQ(mainCommands, (std::vector<int>{ID_OPEN_FOLDER, ID_OPTIONS}));
    SetWindowLongPtrW(main, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(mainProc));
}

}  // namespace
