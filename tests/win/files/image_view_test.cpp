// The image view in-process: pictures written by GDI+ load and paint centred on the ground,
// videos show their cover with the play triangle, every bad file gives the empty view at once,
// and scroll bars, dragging and the click notifications.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>

#include "app/image_view_win.h"
#include "app/messages.h"
#include "common/pump_win.h"
#include "files/files_fixture_win.h"
#include "settings/app_settings.h"

namespace {

constexpr COLORREF kPhoto = RGB(200, 120, 40);
constexpr int kViewId = 77;

struct ImageViewTest : ::testing::Test {
    static void SetUpTestSuite() {
        StartFilesTests();
        ASSERT_TRUE(WritePicture(Scratch(L"photo.jpg"), 640, 480, kPhoto));
        ASSERT_TRUE(WritePicture(Scratch(L"photo.png"), 640, 480, kPhoto));
        ASSERT_TRUE(WritePicture(Scratch(L"photo.tif"), 640, 480, kPhoto));
        ASSERT_TRUE(WritePicture(Scratch(L"big.png"), 2592, 1944, kPhoto));
    }
    void SetUp() override {
        AppSettings.jpgPng = 0;
        hostPosts.clear();
        host = MakeHost(400, 300);
        ASSERT_NE(host, nullptr);
    }
    void TearDown() override {
        DestroyWindow(host);
        PumpMessages();
    }
    HWND MakeView(int w, int h, DWORD extraStyle = 0) {
        HWND v = CreateWindowExW(0, kImageWndClass, L"", WS_CHILD | WS_VISIBLE | extraStyle, 0, 0, w, h, host,
                                 reinterpret_cast<HMENU>(INT_PTR(kViewId)), GetModuleHandleW(nullptr), nullptr);
        EXPECT_NE(v, nullptr);
        return v;
    }
    static ImageViewState* State(HWND v) { return reinterpret_cast<ImageViewState*>(GetWindowLongPtrW(v, GWLP_USERDATA)); }
    static void Load(HWND v, const std::wstring& path) {
        SendMessageW(v, WM_COMMAND, IMAGE_CMD_LOAD, reinterpret_cast<LPARAM>(path.c_str()));
    }
    static void ExpectEmpty(HWND v, const char* what) {
        EXPECT_FALSE(State(v)->pixels) << what;
        EXPECT_EQ(State(v)->scaledWidth, 0) << what;
        ExpectColour(PrintedPixel(v, 100, 75), kImageGround, what);
    }
    HWND host = nullptr;
};

TEST_F(ImageViewTest, JpegPngAndTiffPaintCentredOnTheGround) {
    HWND v = MakeView(200, 150);
    SendMessageW(v, WM_COMMAND, IMAGE_CMD_SET_SCALE, 25);
    for (const wchar_t* name : {L"photo.jpg", L"photo.png", L"photo.tif"}) {
        Load(v, Scratch(name));
        ImageViewState* s = State(v);
        ASSERT_EQ(s->lastLoad, PictureLoad::Ok);
        EXPECT_EQ(s->imageWidth, 640);
        EXPECT_EQ(s->scaledWidth, 160);
        EXPECT_EQ(s->scaledHeight, 120);
        EXPECT_EQ(s->pixelHeader.biHeight, 480);  // bottom-up rows
        EXPECT_EQ(s->pixelBytes, size_t(640 * 3 * 480));
        // Drawn at (20, 15) with ground bands of 20 and 15 pixels.
        ExpectColour(PrintedPixel(v, 19, 75), kImageGround, "left band");
        ExpectColour(PrintedPixel(v, 20, 75), kPhoto, "left edge");
        ExpectColour(PrintedPixel(v, 179, 134), kPhoto, "bottom right corner");
        ExpectColour(PrintedPixel(v, 180, 75), kImageGround, "right band");
        ExpectColour(PrintedPixel(v, 100, 14), kImageGround, "top band");
        ExpectColour(PrintedPixel(v, 100, 135), kImageGround, "bottom band");
    }
    Load(v, L"");
    ExpectEmpty(v, "empty path");
}

TEST_F(ImageViewTest, VideoShowsItsCoverWithThePlayTriangle) {
    HWND v = MakeView(200, 150);
    SendMessageW(v, WM_COMMAND, IMAGE_CMD_SET_SCALE, 25);
    ASSERT_TRUE(WriteBytes(Scratch(L"clip.avi"), {'R', 'I', 'F', 'F'}));
    ASSERT_TRUE(WritePicture(Scratch(L"clip.jpg"), 640, 480, kPhoto));
    Load(v, Scratch(L"clip.AVI"));
    ASSERT_EQ(State(v)->lastLoad, PictureLoad::Ok);
    EXPECT_EQ(State(v)->videoBadge, 1);
    ExpectColour(PrintedPixel(v, 100, 75), kImageBadgeFill, "triangle centre");
    ExpectColour(PrintedPixel(v, 100 + 12, 75), kPhoto, "beside the triangle");
    // The photo format changed since the recording: the cover saved then is still found.
    AppSettings.jpgPng = 1;
    Load(v, Scratch(L"clip.avi"));
    ExpectColour(PrintedPixel(v, 100 + 12, 75), kPhoto, "cover saved as JPEG, photos now PNG");
    ASSERT_TRUE(DeleteFileW(Scratch(L"clip.jpg").c_str()));
    Load(v, Scratch(L"clip.avi"));
    ExpectEmpty(v, "missing cover");
}

// Every bad file leaves the empty view, and the load returns at once (the huge headers are
// refused from their first bytes, before anything is allocated or decoded).
TEST_F(ImageViewTest, BadFilesGiveTheEmptyView) {
    using namespace picture_bytes;
    std::vector<uint8_t> jpeg = ReadBytes(Scratch(L"photo.jpg"));
    ASSERT_GT(jpeg.size(), 100u);
    std::vector<uint8_t> half(jpeg.begin(), jpeg.begin() + ptrdiff_t(jpeg.size() / 2));
    std::vector<uint8_t> avi = {'R', 'I', 'F', 'F', 0, 1, 0, 0, 'A', 'V', 'I', ' ', 'L', 'I', 'S', 'T'};
    struct Case { const wchar_t* name; Bytes bytes; PictureLoad result; };
    const Case cases[] = {
        {L"empty.jpg", {}, PictureLoad::Unreadable},
        {L"truncated.jpg", half, PictureLoad::NotPicture},
        {L"text.jpg", {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd', '\n'}, PictureLoad::NotPicture},
        {L"renamed-avi.png", avi, PictureLoad::NotPicture},
        {L"huge.png", Png(60000, 60000), PictureLoad::TooLarge},
        {L"huge.jpg", Jpeg(60000, 60000), PictureLoad::TooLarge},
        {L"huge.tif", Tiff(60000, 60000), PictureLoad::TooLarge},
        {L"strip-missing.tif", Tiff(640, 480, false, 1), PictureLoad::NotPicture},
        {L"broken-inside.jpg", Jpeg(640, 480), PictureLoad::DecodeFailed},  // whole structure, no tables
    };
    HWND v = MakeView(200, 150);
    for (const Case& c : cases) {
        std::string what(c.name, c.name + wcslen(c.name));
        ASSERT_TRUE(WriteBytes(Scratch(c.name), c.bytes));
        Load(v, Scratch(L"photo.jpg"));
        ASSERT_EQ(State(v)->lastLoad, PictureLoad::Ok);
        LARGE_INTEGER t0, t1, f;
        QueryPerformanceFrequency(&f);
        QueryPerformanceCounter(&t0);
        Load(v, Scratch(c.name));
        QueryPerformanceCounter(&t1);
        EXPECT_EQ(State(v)->lastLoad, c.result) << what;
        ExpectEmpty(v, what.c_str());
        std::printf("  %-20s %.2f ms\n", what.c_str(), double(t1.QuadPart - t0.QuadPart) * 1000.0 / double(f.QuadPart));
    }
    Load(v, Scratch(L"missing.jpg"));
    ExpectEmpty(v, "missing");
    Load(v, L"C:");
    ExpectEmpty(v, "three characters");
}

TEST_F(ImageViewTest, LockedFileGivesTheEmptyView) {
    std::wstring path = Scratch(L"locked.jpg");
    ASSERT_TRUE(WritePicture(path, 64, 48, kPhoto));
    HWND v = MakeView(200, 150);
    HANDLE lock = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    Load(v, path);
    EXPECT_EQ(State(v)->lastLoad, PictureLoad::Unreadable);
    CloseHandle(lock);
    Load(v, path);
    EXPECT_EQ(State(v)->lastLoad, PictureLoad::Ok);
}

TEST_F(ImageViewTest, LongAndChinesePathsLoad) {
    // A folder of 200 characters in all, then a name that makes the path 259 characters long.
    std::wstring folder = ScratchFolder() + L"\\";
    folder += std::wstring(200 - folder.size(), L'd');
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    std::wstring longPath = folder + L"\\" + std::wstring(259 - folder.size() - 5, L'n') + L".jpg";
    ASSERT_EQ(longPath.size(), 259u);
    std::wstring chineseFolder = Scratch(L"\u663e\u5fae\u7167\u7247");
    ASSERT_TRUE(CreateDirectoryW(chineseFolder.c_str(), nullptr));
    std::wstring chinese = chineseFolder + L"\\\u6837\u54c1.png";
    HWND v = MakeView(200, 150);
    for (const std::wstring& path : {longPath, chinese}) {
        ASSERT_TRUE(WritePicture(path, 64, 48, kPhoto));
        Load(v, path);
        EXPECT_EQ(State(v)->lastLoad, PictureLoad::Ok) << path.size();
        EXPECT_EQ(State(v)->imageWidth, 64);
    }
}

TEST_F(ImageViewTest, EightThousandBySixThousandPreviews) {
    std::wstring path = Scratch(L"8000x6000.jpg");
    ASSERT_TRUE(WritePicture(path, 8000, 6000, kPhoto));
    HWND v = MakeView(236, 177);
    SendMessageW(v, WM_COMMAND, IMAGE_CMD_SET_SCALE, 25);
    DWORD start = GetTickCount();
    Load(v, path);
    std::printf("  8000 x 6000 JPEG loaded in %lu ms\n", GetTickCount() - start);
    ASSERT_EQ(State(v)->lastLoad, PictureLoad::Ok);
    EXPECT_EQ(State(v)->scaledWidth, 2000);
    EXPECT_EQ(State(v)->scaledHeight, 1500);
    ExpectColour(PrintedPixel(v, 118, 88), kPhoto, "centre");
    SendMessageW(v, WM_COMMAND, IMAGE_CMD_SET_SCALE, 200);  // 192 megapixels: no cache is made
    ExpectColour(PrintedPixel(v, 118, 88), kImageGround, "enlarged past the limit");
    Load(v, L"");  // frees the 144 MB at once
    DeleteFileW(path.c_str());
}

TEST_F(ImageViewTest, DraggingPansAndClicksNotifyTheParent) {
    HWND v = MakeView(300, 225);
    Load(v, Scratch(L"big.png"));
    ImageViewState* s = State(v);
    ASSERT_EQ(s->lastLoad, PictureLoad::Ok);
    EXPECT_EQ(s->scrollX, 1146);
    EXPECT_EQ(s->scrollY, 859);
    EXPECT_EQ(s->hBarShown + s->vBarShown, 0);
    SendMessageW(v, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 100));
    SendMessageW(v, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(110, 100));
    EXPECT_EQ(s->scrollX, 1136);  // 10 pixels to the right shows the area 10 pixels further left
    EXPECT_EQ(s->scrollY, 859);
    EXPECT_EQ(GetCapture(), nullptr);
    SendMessageW(v, WM_MOUSEMOVE, 0, MAKELPARAM(150, 150));  // button no longer down: no pan
    EXPECT_EQ(s->scrollX, 1136);
    SendMessageW(v, WM_LBUTTONUP, 0, MAKELPARAM(150, 150));
    SendMessageW(v, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(150, 150));
    PumpMessages();
    ASSERT_EQ(hostPosts.size(), 2u);
    EXPECT_EQ(hostPosts[0].msg, WMU_IMAGE_CLICK);
    EXPECT_EQ(hostPosts[0].wp, 0u);
    EXPECT_EQ(hostPosts[0].lp, kViewId);
    EXPECT_EQ(hostPosts[1].wp, 1u);
    EXPECT_EQ(SendMessageW(v, WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS);
}

TEST_F(ImageViewTest, ScrollBarsFollowTheScaledPicture) {
    HWND v = MakeView(300, 225, WS_HSCROLL | WS_VSCROLL);
    ImageViewState* s = State(v);
    EXPECT_EQ(s->hBarShown + s->vBarShown, 0);  // nothing loaded: no bars
    Load(v, Scratch(L"big.png"));
    ASSERT_TRUE(s->hBarShown && s->vBarShown);
    RECT rc;
    GetClientRect(v, &rc);
    int maxX = 2592 - rc.right;
    EXPECT_EQ(s->scrollX, maxX / 2);
    EXPECT_EQ(GetScrollPos(v, SB_HORZ), s->scrollX);
    struct Step { WORD code; int expect; };
    const Step steps[] = {{SB_LINERIGHT, maxX / 2 + 5}, {SB_PAGELEFT, maxX / 2 - 45}, {SB_RIGHT, maxX},
                          {SB_LINERIGHT, maxX}, {SB_LEFT, 0}, {SB_LINELEFT, 0}, {SB_ENDSCROLL, 0}};
    for (const Step& st : steps) {
        SendMessageW(v, WM_HSCROLL, MAKEWPARAM(st.code, 0), 0);
        EXPECT_EQ(s->scrollX, st.expect) << st.code;
        EXPECT_EQ(GetScrollPos(v, SB_HORZ), st.expect) << st.code;
    }
    SCROLLINFO si = {sizeof(si), SIF_ALL};
    GetScrollInfo(v, SB_VERT, &si);
    EXPECT_EQ(si.nPage, 50u);
    EXPECT_EQ(si.nMax, 1944 - (rc.bottom) - 1 + 50);
    // A new scale keeps the bars while the picture is larger; a picture that fits has none.
    SendMessageW(v, WM_COMMAND, IMAGE_CMD_SET_SCALE, 25);
    EXPECT_EQ(s->scaledWidth, 648);
    EXPECT_TRUE(s->hBarShown && s->vBarShown);
    Load(v, Scratch(L"photo.png"));
    EXPECT_FALSE(s->hBarShown || s->vBarShown);
    EXPECT_EQ(s->scrollX, 0);
}

}  // namespace
