// Veilcap at 150 % and 200 % display scale: the prefix's LogPixels is raised for one program start
// and put back to 96 afterwards. The main window, the detected-devices window and the about dialog
// measure their scaled sizes, the pictures on screen are the larger renderings (not the 100 % files
// stretched), the status text fits its label. Screenshots of each window for people to look at.
#include <gtest/gtest.h>

#include <objidl.h>
#include <gdiplus.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

#include "e2e/lib/e2e.h"
#include "e2e/lib/ui_probe.h"
#include "e2e/tools/fake_devices.h"

namespace {
using fakedev::kCameraClass;
using fakedev::AddCommand;
constexpr wchar_t kLanguageKey[] = L"SOFTWARE\\Vostrel\\Vostrel Veilcap\\Options";  // HKCU
constexpr wchar_t kDesktopKey[] = L"Control Panel\\Desktop";                        // HKCU
constexpr wchar_t kFontsKey[] = L"System\\CurrentControlSet\\Hardware Profiles\\Current\\Software\\Fonts";  // HKLM
constexpr wchar_t kCamId[] = L"USB\\VID_E2E0&PID_0150\\E2ESCALE";

void SetLogPixels(DWORD dpi) {
  WriteDword(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels", dpi);
  WriteDword(HKEY_LOCAL_MACHINE, kFontsKey, L"LogPixels", dpi);
}

struct ScaleCase {
  int dpi;
  const wchar_t* folder;  // where the larger pictures lie
  const wchar_t* shot;    // screenshot name prefix
};

// A length at 100 % at the scale, as the program rounds it.
int Px(int v, int dpi) { return (v * dpi * 2 + 96) / (2 * 96); }

// Pixels of a picture file, or of the file drawn at another size (as a stretched 100 % picture
// would look), 0x00RRGGBB row by row.
std::vector<uint32_t> FilePixels(const std::wstring& path, int w, int h) {
  std::vector<uint32_t> out;
  Gdiplus::Bitmap file(path.c_str());
  if (file.GetLastStatus() != Gdiplus::Ok) return out;
  Gdiplus::Bitmap sized(w, h, PixelFormat32bppARGB);
  {
    Gdiplus::Graphics g(&sized);
    g.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
    g.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
    g.DrawImage(&file, Gdiplus::Rect(0, 0, w, h), 0, 0, INT(file.GetWidth()), INT(file.GetHeight()), Gdiplus::UnitPixel);
  }
  out.reserve(size_t(w) * size_t(h));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      Gdiplus::Color c;
      sized.GetPixel(x, y, &c);
      out.push_back(c.GetValue() & 0xFFFFFF);
    }
  return out;
}

// Pixels of the top rows of two images of width w (the same stride) that differ clearly.
int Differing(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b, int w, int rows) {
  int n = 0;
  for (size_t i = 0; i < size_t(w) * size_t(rows) && i < a.size() && i < b.size(); ++i)
    for (int s : {0, 8, 16})
      if (std::abs(int(a[i] >> s & 0xFF) - int(b[i] >> s & 0xFF)) > 24) {
        ++n;
        break;
      }
  return n;
}

RECT ChildRectInParent(HWND parent, HWND child) {
  RECT r{};
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

class DisplayScaleE2E : public ::testing::TestWithParam<ScaleCase> {
 protected:
  void SetUp() override {
    ASSERT_FALSE(StageFolder().empty()) << "VEILCAP_STAGE is not set";
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&gdiplus_, &input, nullptr);
    WriteString(HKEY_CURRENT_USER, kLanguageKey, L"ForceLanguage_LCID", L"de-de");
    ASSERT_EQ(RunTool(L"fakedev.exe", AddCommand(kCameraClass, kCamId, L"E2E Cam Skalierung")), 0);
    SetLogPixels(DWORD(GetParam().dpi));
  }
  void TearDown() override {
    if (main && IsWindow(main)) PostMessageW(main, WM_CLOSE, 0, 0);
    if (program.Running()) {
      EXPECT_EQ(program.WaitExit(10000), 0);
    }
    // The other tests of this prefix run at 100 %.
    SetLogPixels(96);
    RunTool(L"fakedev.exe", std::wstring(L"remove \"") + kCamId + L"\"");
    DeleteValue(HKEY_CURRENT_USER, kLanguageKey, L"ForceLanguage_LCID");
    Gdiplus::GdiplusShutdown(gdiplus_);
  }
  int Px(int v) const { return ::Px(v, GetParam().dpi); }
  RECT Around(HWND w, int margin) {
    RECT r{};
    GetWindowRect(w, &r);
    InflateRect(&r, margin, margin);
    return r;
  }
  std::wstring Shot(const wchar_t* what) { return std::wstring(GetParam().shot) + what; }
  HWND OpenFromMenu(HWND menuOwner, int downs, const wchar_t* windowClass) {
    HWND menu = nullptr;
    if (!WaitFor([&] { return (menu = OpenMenu(program.Pid())) != nullptr; }, 5000)) return nullptr;
    Sleep(200);
    for (int i = 0; i < downs; ++i) MenuKey(menu, VK_DOWN);
    MenuKey(menu, VK_RETURN);
    HWND w = nullptr;
    WaitFor([&] { return (w = FindTopWindow(windowClass, program.Pid())) != nullptr && IsWindowVisible(w); }, 5000);
    (void)menuOwner;
    return w;
  }

  ULONG_PTR gdiplus_ = 0;
  Program program;
  HWND main = nullptr;
};

TEST_P(DisplayScaleE2E, WindowsLayThemselvesOutAtTheScaleWithTheLargerPictures) {
  const ScaleCase& c = GetParam();
  ASSERT_TRUE(program.Start(VeilcapExe(), L""));
  ASSERT_TRUE(WaitFor([&] { return (main = FindTopWindow(kVeilcapWindowClass, program.Pid())) != nullptr; }, 20000));
  ASSERT_TRUE(WaitFor([&] {
    return IsWindowVisible(main) && ChildText(main, kLabelStatusCamId) == L"E2E Cam Skalierung";
  }, 20000)) << "the webcam status never showed the device";
  Sleep(500);

  // The main window: 502 x 332 at the scale, at the lower right with both distances scaled.
  RECT w{};
  GetWindowRect(main, &w);
  EXPECT_EQ(w.right - w.left, Px(502));
  EXPECT_EQ(w.bottom - w.top, Px(332));
  EXPECT_EQ(w.left, GetSystemMetrics(SM_CXSCREEN) - Px(502) - Px(16));
  EXPECT_EQ(w.top, GetSystemMetrics(SM_CYSCREEN) - Px(332) - Px(48));
  // The status labels are windows at their scaled places.
  HWND camLabel = GetDlgItem(main, kLabelStatusCamId);
  const RECT label = ChildRectInParent(main, camLabel);
  EXPECT_EQ(label.left, Px(40));
  EXPECT_EQ(label.top, Px(201));
  EXPECT_EQ(label.right, Px(40 + 192));
  EXPECT_EQ(label.bottom, Px(201 + 36));
    EXPECT_FALSE(SaveScreenshot(Shot(L"main_window.png"), Around(main, 8)).empty());

  // Dragged near the work area's edges, the window snaps within 10 pixels at 100 %, scaled: the
  // move loop's WM_MOVING rectangle comes back on the edge, or unchanged one pixel further away.
  {
    RECT work{};
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
    const int ww = Px(502), wh = Px(332), d = Px(10);
    struct Drag {
      int left, top;            // the dragged rectangle's corner
      int snappedLeft, snappedTop;
    };
    const Drag drags[] = {
        {work.left + d, work.top + 200, work.left, work.top + 200},
        {work.left + d + 1, work.top + d + 1, work.left + d + 1, work.top + d + 1},
        {work.right - ww - d, work.bottom - wh + d, work.right - ww, work.bottom - wh},
    };
    for (const Drag& drag : drags) {
      RECT r{drag.left, drag.top, drag.left + ww, drag.top + wh};
      SendMessageW(main, WM_MOVING, WMSZ_BOTTOMRIGHT, reinterpret_cast<LPARAM>(&r));
      EXPECT_EQ(r.left, drag.snappedLeft) << drag.left << "," << drag.top;
      EXPECT_EQ(r.top, drag.snappedTop) << drag.left << "," << drag.top;
      EXPECT_EQ(r.right - r.left, ww);
      EXPECT_EQ(r.bottom - r.top, wh);
    }
  }

  // The text is drawn in the scaled font and fits its label: its black pixels are as tall as a
  // scaled line and keep clear of the label's edges.
  {
    RECT onScreen = label;
    MapWindowPoints(main, nullptr, reinterpret_cast<POINT*>(&onScreen), 2);
    const int lw = onScreen.right - onScreen.left, lh = onScreen.bottom - onScreen.top;
    const std::vector<uint32_t> px = CaptureScreen(onScreen);
    ASSERT_EQ(px.size(), size_t(lw) * size_t(lh));
    int left = lw, right = -1, top = lh, bottom = -1;
    for (int y = 0; y < lh; ++y)
      for (int x = 0; x < lw; ++x) {
        const uint32_t p = px[size_t(y) * size_t(lw) + size_t(x)];
        if ((p >> 16 & 0xFF) < 90 && (p >> 8 & 0xFF) < 90 && (p & 0xFF) < 90) {
          left = std::min(left, x), right = std::max(right, x), top = std::min(top, y), bottom = std::max(bottom, y);
        }
      }
    ASSERT_GE(right, 0) << "no text in the label";
    EXPECT_GT(left, 0);
    EXPECT_LT(right, lw - 1);
    EXPECT_GT(top, 0);
    EXPECT_LT(bottom, lh - 1);
    // Capitals of the 13-pixel font are 9 pixels high at 100 %.
    EXPECT_GE(bottom - top + 1, Px(9)) << "text drawn in the 100 % font";
  }

  // The webcam picture (36, 94, 200 x 205 at 100 %): its rows above the status label on screen
  // match the larger rendering pixel for pixel, and clearly not the 100 % file stretched.
  {
    const int pw = Px(236) - Px(36), ph = Px(299) - Px(94), rows = Px(201) - Px(94) - 2;
    RECT pic{w.left + Px(36), w.top + Px(94), w.left + Px(236), w.top + Px(299)};
    const std::vector<uint32_t> screen = CaptureScreen(pic);
    int best = -1, bestDiff = 0;
    const wchar_t* names[] = {L"cam-on.bmp", L"cam-off.bmp", L"cam-disabled.bmp"};
    for (int i = 0; i < 3; ++i) {
      const std::vector<uint32_t> file = FilePixels(StageFolder() + L"\\skins\\" + c.folder + L"\\" + names[i], pw, ph);
      ASSERT_FALSE(file.empty()) << "the larger rendering is missing";
      const int d = Differing(screen, file, pw, rows);
      if (best < 0 || d < bestDiff) best = i, bestDiff = d;
    }
    const std::vector<uint32_t> stretched = FilePixels(StageFolder() + L"\\skins\\" + names[best], pw, ph);
    const int stretchedDiff = Differing(screen, stretched, pw, rows);
    EXPECT_LE(bestDiff, pw * rows / 200) << "the picture on screen is not the larger rendering";
    EXPECT_GT(stretchedDiff, bestDiff * 3 + 20) << "the larger rendering and the stretched 100 % file look alike";
  }

  // The detected-devices window: 610 x 410 client pixels at the scale, its columns and rows too.
  TrayClick(main, WM_CONTEXTMENU);
  HWND devices = OpenFromMenu(main, 2, L"TForm_VCP_Devices");  // "Anzeigen", "Entdeckte Geräte"
  ASSERT_NE(devices, nullptr) << "the devices window did not open";
  Sleep(500);
  RECT client{};
  GetClientRect(devices, &client);
  EXPECT_EQ(client.right, Px(610));
  EXPECT_EQ(client.bottom, Px(410));
  HWND list = FindWindowExW(devices, nullptr, WC_LISTVIEWW, nullptr);
  ASSERT_NE(list, nullptr);
  const RECT lr = ChildRectInParent(devices, list);
  EXPECT_EQ(lr.left, Px(8));
  EXPECT_EQ(lr.right, Px(602));
  EXPECT_EQ(SendMessageW(list, LVM_GETCOLUMNWIDTH, 0, 0), Px(400));
  EXPECT_EQ(SendMessageW(list, LVM_GETCOLUMNWIDTH, 1, 0), Px(160));
  // Rows of 22 pixels at the scale: as many fit as at 100 % (about 16), not half as many again.
  const LRESULT perPage = SendMessageW(list, LVM_GETCOUNTPERPAGE, 0, 0);
  EXPECT_GE(perPage, 14);
  EXPECT_LE(perPage, 17);
  EXPECT_FALSE(SaveScreenshot(Shot(L"devices_window.png"), Around(devices, 8)).empty());
  PostMessageW(devices, WM_CLOSE, 0, 0);
  ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(devices); }, 5000));
  Sleep(300);

  // The about dialog from the help button (390, 4 at 100 %): 417 x 372 at the scale, its version
  // label and OK button at their scaled places.
  ClickClient(main, Px(390 + 16), Px(4 + 16));
  HWND about = OpenFromMenu(main, 2, L"TForm_About");  // "Hilfe", "Über diese Software"
  ASSERT_NE(about, nullptr) << "the about dialog did not open";
  Sleep(500);
  GetClientRect(about, &client);
  EXPECT_EQ(client.right, Px(417));
  EXPECT_EQ(client.bottom, Px(372));
  HWND ok = GetDlgItem(about, IDOK);
  ASSERT_NE(ok, nullptr);
  const RECT okRect = ChildRectInParent(about, ok);
  EXPECT_EQ(okRect.top, Px(324));
  EXPECT_EQ(okRect.bottom - okRect.top, Px(28));
  EXPECT_FALSE(SaveScreenshot(Shot(L"about_dialog.png"), Around(about, 4)).empty());
  // The banner's larger rendering: the white mark's rows are as sharp as the PNG's; a stretched
  // 100 % banner blurs them. Compared above the version label (at 60), which is drawn over it.
  {
    POINT origin{0, 0};
    ClientToScreen(about, &origin);
    const int bw = Px(417), rows = Px(58);
    const RECT banner{origin.x, origin.y, origin.x + bw, origin.y + rows};
    const std::vector<uint32_t> screen = CaptureScreen(banner);
    const std::wstring assets = EnvPath(L"VEILCAP_ASSETS");
    ASSERT_FALSE(assets.empty()) << "VEILCAP_ASSETS is not set";
    const std::vector<uint32_t> larger = FilePixels(assets + L"\\" + c.folder + L"\\about.png", bw, Px(372));
    const std::vector<uint32_t> stretched = FilePixels(assets + L"\\about.bmp", bw, Px(372));
    ASSERT_FALSE(larger.empty());
    ASSERT_FALSE(stretched.empty());
    const int d = Differing(screen, larger, bw, rows), ds = Differing(screen, stretched, bw, rows);
    EXPECT_LE(d, bw * rows / 200) << "the banner on screen is not the larger rendering";
    EXPECT_GT(ds, d * 3 + 20) << "the larger rendering and the stretched 100 % banner look alike";
  }
  PostMessageW(about, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(WaitFor([&] { return FindTopWindow(L"TForm_About", program.Pid()) == nullptr || !IsWindowVisible(about); }, 5000));
}

INSTANTIATE_TEST_SUITE_P(Scales, DisplayScaleE2E,
                         ::testing::Values(ScaleCase{144, L"150", L"scale150_"}, ScaleCase{192, L"200", L"scale200_"}));
}  // namespace
