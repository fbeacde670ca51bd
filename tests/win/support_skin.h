// Skins made in the tests: image strips of known colours packed with a
// description, written where the skin data reads them; a message pump that
// waits for a condition; and the set-up every suite on a skinned form shares.
#pragma once

#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "SkinPack.h"
#include "gui/forms/Application.h"
#include "imaging/BmpFormat.h"
#include "skin/hooks/SkinWindows.h"
#include "support_app.h"
#include "support_target.h"

namespace pellamy::test {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t kMagenta = 0xFF00FF;

inline std::uint32_t Pixel(const TPixelImage& image, int x, int y) {
  return image.Pixels[static_cast<std::size_t>(y) * image.Width + x];
}

// count state images of w x h, side by side or stacked, filled with colours.
inline Bytes Strip(int w, int h, const std::vector<std::uint32_t>& colours, bool stacked, bool magentaCorner = false) {
  const int n = static_cast<int>(colours.size());
  TPixelImage image{stacked ? w : w * n, stacked ? h * n : h, {}};
  image.Pixels.resize(static_cast<std::size_t>(image.Width) * image.Height);
  for (int i = 0; i < n; ++i)
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const int px = stacked ? x : i * w + x, py = stacked ? i * h + y : y;
        std::uint32_t c = colours[static_cast<std::size_t>(i)];
        if (magentaCorner && x < 3 && y < 3) c = kMagenta;
        image.Pixels[static_cast<std::size_t>(py) * image.Width + px] = c;
      }
  return EncodeBmp24(image);
}

inline Bytes Text(const std::string& s) {
  return Bytes(s.begin(), s.end());
}

inline std::string WriteSkin(const std::string& name, const Bytes& bytes) {
  const std::filesystem::path path = std::filesystem::temp_directory_path() / name;
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return path.string();
}

template <class Done>
bool PumpUntil(Done done, DWORD limit = 5000) {
  const DWORD start = GetTickCount();
  while (!done() && GetTickCount() - start < limit) {
    Application()->ProcessMessages();
    if (!done()) Sleep(5);
  }
  return done();
}

inline void Pump(DWORD ms) {
  PumpUntil([] { return false; }, ms);
}

// The skinned frame of a window once its first activation has run; null
// when none comes. An MDI child is not brought to the foreground.
inline TWinSkinForm* WaitForFrame(HWND window, bool foreground = true) {
  if (foreground) SetForegroundWindow(window);
  TWinSkinForm* frame = nullptr;
  PumpUntil([&] {
    frame = SkinWindows() != nullptr ? SkinWindows()->FindSkinForm(window) : nullptr;
    return frame != nullptr && frame->LifePhase() == TFramePhase::Active;
  });
  return frame != nullptr && frame->LifePhase() == TFramePhase::Active ? frame : nullptr;
}

// A visible window of this thread of that class (and caption, when given):
// other programs on the display have windows of the same classes.
inline HWND FindThreadWindow(const wchar_t* windowClass, const wchar_t* caption) {
  struct TSearch {
    const wchar_t* Class;
    const wchar_t* Caption;
    HWND Found;
  } search{windowClass, caption, nullptr};
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND hwnd, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<TSearch*>(data);
        wchar_t cls[64] = {}, text[256] = {};
        GetClassNameW(hwnd, cls, 64);
        GetWindowTextW(hwnd, text, 256);
        if (!IsWindowVisible(hwnd) || wcscmp(cls, s->Class) != 0) return TRUE;
        if (s->Caption != nullptr && wcscmp(text, s->Caption) != 0) return TRUE;
        s->Found = hwnd;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.Found;
}

inline std::uint32_t Rgb(COLORREF c) {
  return (static_cast<std::uint32_t>(GetRValue(c)) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}

// A pixel of a window as it shows now, in window coordinates.
inline std::uint32_t Peek(HWND window, int x, int y) {
  HDC dc = GetWindowDC(window);
  const COLORREF c = GetPixel(dc, x, y);
  ReleaseDC(window, dc);
  return Rgb(c);
}

// A suite on a skinned form of the test's class: the application and the
// skin engine's window work made first, every handle given back at the end,
// and the form, the manager and the skin files the test wrote gone with it.
template <class TTestForm>
class SkinnedFormTest : public GdiBalancedTest {
 protected:
  void SetUp() override {
    App();
    UseSkinWindows();
    GdiBalancedTest::SetUp();
  }
  void TearDown() override {
    delete form;
    form = nullptr;
    FreeSkinManager();
    for (const std::string& f : files) std::filesystem::remove(f);
    GdiBalancedTest::TearDown();
  }
  // bytes written as a skin file of this test's.
  std::string SkinFile(const std::string& name, const Bytes& bytes) {
    files.push_back(WriteSkin(name + "-" + std::to_string(files.size()) + ".tmp", bytes));
    return files.back();
  }
  // made, shown and skinned by its first activation: its frame, or null.
  TWinSkinForm* Show(TTestForm* made) {
    form = made;
    form->Show();
    return WaitForFrame(form->Handle());
  }
  // The skinned control on window, or null.
  static TSkinControl* ObjectOn(TWinSkinForm* frame, HWND window) {
    for (TSkinControl* s : frame->SkinControls())
      if (s->Handle == window) return s;
    return nullptr;
  }
  // The class of the skinned control on c, or "" for none.
  static std::string ClassOf(TWinSkinForm* frame, TComponent* c) {
    auto* wc = dynamic_cast<TWinControl*>(c);
    for (TSkinControl* s : frame->SkinControls())
      if (s->Control == c || s->Component == c || (wc != nullptr && s->Control == nullptr && s->Handle == wc->Handle()))
        return s->ClassName();
    return "";
  }

  TTestForm* form = nullptr;
  std::vector<std::string> files;
};

}  // namespace pellamy::test
