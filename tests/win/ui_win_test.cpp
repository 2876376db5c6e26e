// The Windows side of the user interface: pictures through GDI+ (with the bottom-left colour of a
// BMP as its transparent colour) and timer ticks delivered on the main thread.
#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "core/errors.h"
#include "guard/win32/hotkeys_win.h"
#include "ui/thread_timer.h"
#include "ui/win32/gdiplus_images.h"
#include "ui/win32/message_filter.h"
#include "ui/win32/providers.h"
#include "win/win_scratch.h"

namespace {
class GdiplusScope {
 public:
  GdiplusScope() {
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&token_, &input, nullptr);
  }
  ~GdiplusScope() { Gdiplus::GdiplusShutdown(token_); }

 private:
  ULONG_PTR token_ = 0;
};

// A 24-bit BMP of 3 x 2 pixels: rows bottom-up, each BGR, rows padded to 4 bytes.
std::string Bmp3x2(const uint8_t bottom[3][3], const uint8_t top[3][3]) {
  std::string b;
  auto u16le = [&](uint16_t v) { b.push_back(char(v & 0xFF)); b.push_back(char(v >> 8)); };
  auto u32le = [&](uint32_t v) { u16le(uint16_t(v & 0xFFFF)); u16le(uint16_t(v >> 16)); };
  const uint32_t rowBytes = 12, pixels = rowBytes * 2;
  b += "BM";
  u32le(14 + 40 + pixels);
  u32le(0);
  u32le(14 + 40);
  u32le(40);
  u32le(3);
  u32le(2);
  u16le(1);
  u16le(24);
  u32le(0);
  u32le(pixels);
  u32le(2835);
  u32le(2835);
  u32le(0);
  u32le(0);
  for (const auto* row : {bottom, top}) {
    for (int x = 0; x < 3; ++x)
      for (int c = 0; c < 3; ++c) b.push_back(char(row[x][c]));
    b.append(3, '\0');
  }
  return b;
}

// Draws the picture onto white and answers the pixels as 0xRRGGBB, top row first.
std::vector<uint32_t> DrawOnWhite(const TPicture& p, bool transparent) {
  Gdiplus::Bitmap target(3, 2, PixelFormat32bppARGB);
  {
    Gdiplus::Graphics g(&target);
    g.Clear(Gdiplus::Color(255, 255, 255, 255));
    DrawPicture(g, p, RECT{0, 0, 3, 2}, true, false, transparent);
  }
  std::vector<uint32_t> r;
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) {
      Gdiplus::Color c;
      target.GetPixel(x, y, &c);
      r.push_back(uint32_t(c.GetR()) << 16 | uint32_t(c.GetG()) << 8 | c.GetB());
    }
  return r;
}

TEST(UiPicturesWin, BmpUsesItsBottomLeftColourAsTransparentColour) {
  GdiplusScope gdiplus;
  GdiplusImageLoader loader;
  SetImageLoader(&loader);
  wintest::ScratchFolder dir(L"ui-pictures");
  const uint8_t red[3] = {0, 0, 255}, blue[3] = {255, 0, 0}, green[3] = {0, 255, 0};
  const uint8_t bottom[3][3] = {{red[0], red[1], red[2]}, {blue[0], blue[1], blue[2]}, {green[0], green[1], green[2]}};
  const uint8_t top[3][3] = {{blue[0], blue[1], blue[2]}, {green[0], green[1], green[2]}, {red[0], red[1], red[2]}};
  const std::wstring file = dir.wpath() + L"\\picture.bmp";
  ASSERT_TRUE(wintest::WriteBytes(file, Bmp3x2(bottom, top)));

  TPicture p;
  p.LoadFromFile(wintest::U16(file));
  EXPECT_EQ(p.Width(), 3);
  EXPECT_EQ(p.Height(), 2);
  // Opaque: the pixels as stored. Transparent: every pixel of the bottom-left colour shows the
  // background, wherever it is.
  EXPECT_EQ(DrawOnWhite(p, false), (std::vector<uint32_t>{0x0000FF, 0x00FF00, 0xFF0000, 0xFF0000, 0x0000FF, 0x00FF00}));
  EXPECT_EQ(DrawOnWhite(p, true), (std::vector<uint32_t>{0x0000FF, 0x00FF00, 0xFFFFFF, 0xFFFFFF, 0x0000FF, 0x00FF00}));
  // The file is not held open by the picture.
  EXPECT_TRUE(DeleteFileW(file.c_str()));
  SetImageLoader(nullptr);
}

TEST(UiPicturesWin, PngKeepsItsAlphaAndFailuresRaise) {
  GdiplusScope gdiplus;
  GdiplusImageLoader loader;
  SetImageLoader(&loader);
  wintest::ScratchFolder dir(L"ui-png");
  const std::wstring png = dir.wpath() + L"\\half.png";
  {
    Gdiplus::Bitmap b(4, 5, PixelFormat32bppARGB);
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 4; ++x) b.SetPixel(x, y, x < 2 ? Gdiplus::Color(0, 0, 0, 0) : Gdiplus::Color(255, 10, 20, 30));
    UINT count = 0, size = 0;
    Gdiplus::GetImageEncodersSize(&count, &size);
    std::vector<BYTE> buffer(size);
    auto* enc = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    Gdiplus::GetImageEncoders(count, size, enc);
    for (UINT i = 0; i < count; ++i)
      if (std::wstring(enc[i].MimeType) == L"image/png") {
        ASSERT_EQ(b.Save(png.c_str(), &enc[i].Clsid, nullptr), Gdiplus::Ok);
      }
  }
  TPicture p;
  p.LoadFromFile(wintest::U16(png));
  EXPECT_EQ(p.Width(), 4);
  EXPECT_EQ(p.Height(), 5);
  const auto* image = dynamic_cast<const GdiplusImage*>(p.Graphic());
  ASSERT_NE(image, nullptr);
  EXPECT_FALSE(image->HasColorKey());
  Gdiplus::Color c;
  image->Bitmap().GetPixel(0, 0, &c);
  EXPECT_EQ(c.GetA(), 0);
  image->Bitmap().GetPixel(3, 4, &c);
  EXPECT_EQ(c.GetA(), 255);

  try {
    p.LoadFromFile(dir.path() + u"\\missing.png");
    ADD_FAILURE() << "a missing picture loaded";
  } catch (const OsError& e) {
    EXPECT_EQ(e.Code(), uint32_t(ERROR_FILE_NOT_FOUND));
    EXPECT_NE(e.Message().find(u"missing.png"), u16::npos);
  }
  ASSERT_TRUE(wintest::WriteBytes(dir.wpath() + L"\\text.png", "not a picture"));
  EXPECT_THROW(p.LoadFromFile(dir.path() + u"\\text.png"), OsError);
  EXPECT_EQ(p.Width(), 4) << "a failed load keeps the old picture";
  SetImageLoader(nullptr);
}

void PumpFor(DWORD ms, const std::function<bool()>& done) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < ms && !done()) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
  }
}

TEST(UiTimerWin, TicksRunOnTheMainThreadAndStopWithTheTimer) {
  InstallUiProviders();
  std::vector<DWORD> threads;
  {
    TTarvoThreadTimer timer;
    timer.SetInterval(20);
    timer.OnTimer = [&](TTarvoThreadTimer&) { threads.push_back(GetCurrentThreadId()); };
    // No tick while disabled, although the main thread pumps.
    PumpFor(200, [] { return false; });
    EXPECT_TRUE(threads.empty());
    timer.SetEnabled(true);
    PumpFor(3000, [&] { return threads.size() >= 3; });
  }
  ASSERT_GE(threads.size(), 3u);
  for (DWORD id : threads) EXPECT_EQ(id, GetCurrentThreadId());
  const size_t after = threads.size();
  PumpFor(200, [] { return false; });
  EXPECT_EQ(threads.size(), after) << "a tick arrived after the timer was destroyed";
  UninstallUiProviders();
}

// A hotkey another window holds is refused (what the program reports as taken); given up, it can
// be taken by the next one.
TEST(UiHotkeysWin, ATakenHotkeyIsRefusedUntilItsHolderGivesItUp) {
  HWND first = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  HWND second = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  ASSERT_TRUE(first && second);
  const Hotkey key{kHotkeyControl | kHotkeyAlt | kHotkeyShift, 0x87};  // F24: no one else wants it
  EXPECT_TRUE(Hotkey_Register(first, 1, key));
  EXPECT_FALSE(Hotkey_Register(second, 1, key));
  EXPECT_TRUE(Hotkey_Register(second, 2, Hotkey{kHotkeyControl | kHotkeyAlt | kHotkeyShift, 0x86}));
  Hotkey_Unregister(first, 1);
  EXPECT_TRUE(Hotkey_Register(second, 1, key));
  Hotkey_Unregister(second, 1);
  Hotkey_Unregister(second, 2);
  DestroyWindow(first);
  DestroyWindow(second);
}
}  // namespace

namespace {
// The filter functions as tests stand them in: each records its call and answers what is set.
struct FilterRecord {
  std::vector<std::string> calls;
  BOOL windowAnswer = TRUE, processAnswer = TRUE;
} g_filter;

BOOL WINAPI RecordForWindow(HWND w, UINT message, DWORD action, void* extra) {
  g_filter.calls.push_back("window " + std::to_string(reinterpret_cast<uintptr_t>(w)) + " " + std::to_string(message) +
                           " " + std::to_string(action) + (extra ? " extra" : ""));
  return g_filter.windowAnswer;
}
BOOL WINAPI RecordForProcess(UINT message, DWORD action) {
  g_filter.calls.push_back("process " + std::to_string(message) + " " + std::to_string(action));
  return g_filter.processAnswer;
}

TEST(MessageFilterWin, AllowsTheMessageForTheWindowElseForTheProcess) {
  const HWND window = reinterpret_cast<HWND>(uintptr_t(0x1234));
  struct {
    const char* what;
    bool hasWindowCall, hasProcessCall;
    BOOL windowAnswer;
    bool allowed;
    std::vector<std::string> calls;
  } cases[] = {
      {"Windows 7 and later", true, true, TRUE, true, {"window 4660 49300 1"}},
      {"window call fails", true, true, FALSE, true, {"window 4660 49300 1", "process 49300 1"}},
      {"Vista", false, true, TRUE, true, {"process 49300 1"}},
      {"before Vista: no filter", false, false, TRUE, false, {}},
  };
  for (const auto& c : cases) {
    g_filter = FilterRecord{};
    g_filter.windowAnswer = c.windowAnswer;
    MessageFilterCalls calls;
    if (c.hasWindowCall) calls.changeForWindow = RecordForWindow;
    if (c.hasProcessCall) calls.changeForProcess = RecordForProcess;
    EXPECT_EQ(AllowMessageFromLowerIntegrity(window, 49300, calls), c.allowed) << c.what;
    EXPECT_EQ(g_filter.calls, c.calls) << c.what;
  }
  // The real look-up finds the window call (Wine has it, without a filter behind it).
  const MessageFilterCalls system = SystemMessageFilterCalls();
  EXPECT_NE(system.changeForWindow, nullptr);
  HWND real = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(real, nullptr);
  EXPECT_TRUE(AllowMessageFromLowerIntegrity(real, RegisterWindowMessageW(L"TaskbarCreated"), system));
  DestroyWindow(real);
}
}  // namespace
