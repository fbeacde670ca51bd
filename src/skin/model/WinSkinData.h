// WinSkinData: the skin data component and its element model, portable.
//   TDataSkinObject     one skin element: margins, image, state count, colours
//   TDataSkinBorder     an element with a second image
//   TDataSkinButton     push, check and radio buttons
//   TDataSkinTitle      the caption text
//   TDataSkinSysButton  a title-bar button
//   TDataSkinBoxLabel   the group box
//   TSkinColours        the sixteen colours of the "Colours" section
//   TSkinDeviceObjects  what the platform draws the model with
//   TSkinData           the component: stored settings, the skin bytes, the
//                       element slots, activation through the manager
// Images are kept as plain pixels; the painters make device bitmaps of them.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/Component.h"
#include "imaging/BmpFormat.h"
#include "skin/file/SkinRead.h"
#include "skin/model/SkinManager.h"

namespace pellamy {

class TSkinIni;

// Colours in the platform encoding: red in the low byte; 0x80000000 plus an
// index refers to a system colour.
inline constexpr std::int32_t kClWindowText = static_cast<std::int32_t>(0x80000008u);
inline constexpr std::int32_t kTitleTextNotGiven = 0x1FFFFFFF;

class TDataSkinObject {
 public:
  virtual ~TDataSkinObject() = default;

  std::int32_t LeftWidth = 0;
  std::int32_t TopHeight = 0;
  std::int32_t RightWidth = 0;
  std::int32_t BottomHeight = 0;
  TPixelImage Bitmap;
  std::int32_t Trans = 0;
  std::int32_t Tile = 0;
  std::string Name;
  std::int32_t FrameCount = 0;
  std::int32_t Style = 0;
  std::int32_t NormalColour = 0;
  std::int32_t MouseOverColour = 0;
  std::int32_t PressedColour = 0;
  std::int32_t NormalColour2 = 0;
  std::int32_t MouseOverColour2 = 0;
  std::int32_t PressedColour2 = 0;
};

class TDataSkinBorder : public TDataSkinObject {
 public:
  TPixelImage Bitmap2;
};

class TDataSkinButton : public TDataSkinObject {
 public:
  TPixelImage CheckBitmap;
  TPixelImage RadioBitmap;
  std::int32_t RadioButtonFrame = 0;
  std::int32_t CheckButtonFrame = 0;
  bool HasNormalColour2 = false;
  bool HasMouseOverColour2 = false;
  bool HasPressedColour2 = false;
};

// LeftWidth, TopHeight and RightWidth hold the caption text offsets
// "TextShift", "TextShiftVert" and "TextRightClip".
class TDataSkinTitle : public TDataSkinObject {
 public:
  std::int32_t TextAlignment = 0;
  std::int32_t Textbackground = 0;
  std::int32_t FontHeight = 0;
  std::int32_t TXTBackleft = 0;
  std::int32_t TXTBackRight = 0;
  std::int32_t ActiveText = 0;
  std::int32_t InActiveText = 0;
};

class TDataSkinSysButton : public TDataSkinObject {
 public:
  std::int32_t Action = 0;
  std::int32_t Align = 0;
  std::int32_t Xcoord = 0;
  std::int32_t Ycoord = 0;
  std::int32_t CombineOp = 0;
  std::int32_t Visibility = 0;
  std::int32_t Visibility1 = 0;
};

class TDataSkinBoxLabel : public TDataSkinObject {
 public:
  std::int32_t BackgroundLeftShift = 0;
  std::int32_t BackgroundRightShift = 0;
  std::int32_t BackgroundAlignment = 0;
};

struct TSkinColours {
  std::int32_t WindowText = 0;
  std::int32_t TitleTextActive = 0;
  std::int32_t TitleTextNoActive = 0;
  std::int32_t ButtonFace = 0;
  std::int32_t ButtonText = 0;
  std::int32_t ButtonHilight = 0;
  std::int32_t Buttonlight = 0;
  std::int32_t ButtonShadow = 0;
  std::int32_t ButtonDkShadow = 0;
  std::int32_t HilightText = 0;
  std::int32_t Hilight = 0;
  std::int32_t Menubar = 0;
  std::int32_t MenuBarText = 0;
  std::int32_t MenuText = 0;
  std::int32_t Menu = 0;
  std::int32_t Scrollbar = 0;
};

// The device objects that go with a skin data: made when it is created, told
// the colours after every load, freed with it. Windows keeps the face brush
// and the menu glyphs here (SkinDeviceObjects_win32.h); the native build has
// no devices and keeps nothing.
class TSkinDeviceObjects {
 public:
  virtual ~TSkinDeviceObjects() = default;
  virtual void ColoursLoaded(const TSkinColours& colours) = 0;
  // The element images are about to change (a load starts): device copies
  // made of them are stale.
  virtual void ImagesChanging() {}
};

// The platform's device objects; one definition per build.
std::unique_ptr<TSkinDeviceObjects> MakeSkinDeviceObjects();
// How the skin's messages (the older-file message) reach the user: a
// message box with one OK button on Windows, nothing in the native build.
TSkinMessageProc PlatformSkinMessageProc();

// Kinds of controls; member n is bit n of TSkinControlTypes.
enum TSkinControlType : int {
  xcMainMenu,
  xcPopupMenu,
  xcToolbar,
  xcControlbar,
  xcCombo,
  xcCheckBox,
  xcRadioButton,
  xcProgress,
  xcScrollbar,
  xcEdit,
  xcButton,
  xcBitBtn,
  xcSpeedButton,
  xcPanel,
  xcGroupBox,
  xcStatusBar,
  xcTab,
  xcSystemMenu,
  xcFastReport,
};
using TSkinControlTypes = std::uint32_t;
inline constexpr TSkinControlTypes kDefaultSkinControls = 0x3FFFF;
constexpr bool InSet(TSkinControlTypes set, TSkinControlType member) {
  return (set >> static_cast<int>(member) & 1u) != 0;
}

enum class TSkinFormType : int { sfMainform, sfOnlyThisForm, sfDialog };

class TSkinData;
using TOnFormSkin = std::function<void(TSkinData* sender, const std::string& aName, bool& DoSkin)>;
// Lets the application supply (or, by leaving it null, not) the skinning
// object of a control: Sender is the skinned frame, Form the container the
// control is in, SkinnedControl in and out.
using TOnSkinControl =
    std::function<void(TComponent* Sender, TSkinData* SkinData, TComponent* Form, TComponent* Control,
                       const std::string& ControlClass, TComponent*& SkinnedControl)>;

class TSkinData : public TComponent {
 public:
  static constexpr const char* kVersion = "2.62.5.26";
  static constexpr std::int32_t kDefaultDisableTag = 99;
  // Decoded pixels of one load together; the rest of a skin beyond this
  // is refused rather than held.
  static constexpr std::uint64_t kMaxImageBytesPerSkin = 256ull << 20;

  explicit TSkinData(TComponent* owner);
  ~TSkinData() override;

  std::string ClassName() const override { return "TSkinData"; }

  // Stored settings.
  bool Active() const { return FActive; }
  void SetActive(bool value);
  std::int32_t DisableTag() const { return FDisableTag; }
  void SetDisableTag(std::int32_t value) { FDisableTag = value; }
  TSkinControlTypes SkinControls() const { return FSkinControls; }
  void SetSkinControls(TSkinControlTypes value) { FSkinControls = value; }
  const std::vector<std::string>& Skin3rd() const { return FSkin3rd; }
  void SetSkin3rd(const std::vector<std::string>& lines) { FSkin3rd = lines; }
  const std::string& SkinFile() const { return FSkinFile; }
  void SetSkinFile(const std::string& value);
  std::string GetSkinStore() const;
  void SetSkinStore(const std::string&) {}
  TSkinFormType SkinFormtype() const { return FSkinFormtype; }
  void SetSkinFormtype(TSkinFormType value) { FSkinFormtype = value; }
  const std::string& Version() const { return FVersion; }
  void SetVersion(const std::string& value) { FVersion = value; }
  bool MenuUpdate() const { return FMenuUpdate; }
  void SetMenuUpdate(bool value) { FMenuUpdate = value; }

  TOnFormSkin OnFormSkin;
  TNotifyEvent OnSkinChanged;
  TOnSkinControl OnSkinControl;

  // The stored binary property "SkinStream": a 32-bit little-endian length
  // and that many skin bytes. Reading returns the bytes it took and throws
  // pellamy::Exception when the stream is shorter than its length says.
  static constexpr const char* kSkinStreamName = "SkinStream";
  void WriteSkinStream(std::vector<std::uint8_t>& stream) const;
  std::size_t ReadSkinStream(std::span<const std::uint8_t> stream);

  // Decodes SkinBytes and builds the model from its description; false when
  // the reader refused the container (after its message).
  bool LoadSkin();
  // Builds the model from a description; images come from the container of
  // the load in progress, and are empty without one.
  void LoadSkinIni(const TSkinIni& ini);
  void LoadSkinIni(std::string_view description);
  // Fills bitmap from the container entry an image value names; empty when
  // there is none or the value does not end in ".bmp".
  void LoadElementBitmap(TPixelImage& bitmap, std::string_view value);
  void ApplySkin();
  // Whether a window of class aName is to be skinned; DoSkin is true on entry.
  void FormSkin(const std::string& aName, bool& DoSkin);
  void SkinChanged();

  // Shows the reader's messages (the older-file message); the platform's
  // message box unless replaced.
  TSkinMessageProc ShowMessage;
  // The window of the owner when it is a form, else null. The portable build
  // knows no forms.
  static std::function<TSkinWindowHandle(TComponent* owner)> FormWindowOf;

  // The model.
  std::vector<std::uint8_t> SkinBytes;
  bool SkinEmpty = true;
  std::string SkinName;
  TSkinColours Colours;
  std::vector<std::int32_t> ColourList;
  bool NCPaintEnabled = true;
  // The form frame's caption icon; the loader never fills it.
  TPixelImage IconBitmap;
  // Made at construction, told the colours after each load.
  std::unique_ptr<TSkinDeviceObjects> DeviceObjects;

  std::unique_ptr<TDataSkinTitle> Title;
  std::vector<std::unique_ptr<TDataSkinSysButton>> SysButtons;
  std::unique_ptr<TDataSkinButton> Buttons;
  std::unique_ptr<TDataSkinBorder> FrameLeft;
  std::unique_ptr<TDataSkinBorder> FrameRight;
  std::unique_ptr<TDataSkinBorder> FrameTop;
  std::unique_ptr<TDataSkinBorder> FrameBottom;

  std::unique_ptr<TDataSkinBorder> Tabs;
  std::unique_ptr<TDataSkinBorder> Progress;
  std::unique_ptr<TDataSkinBorder> UpDownHorz;
  std::unique_ptr<TDataSkinBorder> UpDownVert;
  std::unique_ptr<TDataSkinObject> SunkEdge;
  std::unique_ptr<TDataSkinObject> ExtraImages;
  std::unique_ptr<TDataSkinBorder> ComboButton;
  std::unique_ptr<TDataSkinObject> GroupBoxEdge;
  std::unique_ptr<TDataSkinObject> Toolbars;
  std::unique_ptr<TDataSkinBoxLabel> GroupBox;
  std::unique_ptr<TDataSkinObject> StatusBarEdges;
  std::unique_ptr<TDataSkinObject> Headerbar;
  std::unique_ptr<TDataSkinObject> MenuBar;
  std::unique_ptr<TDataSkinObject> MenuItem;
  std::unique_ptr<TDataSkinObject> MenuBackground;
  std::unique_ptr<TDataSkinObject> Scrollbar;
  std::unique_ptr<TDataSkinObject> HorzScroll;
  std::unique_ptr<TDataSkinObject> VertScroll;
  std::unique_ptr<TDataSkinObject> HorzScrollThumb;
  std::unique_ptr<TDataSkinObject> VertScrollThumb;
  std::unique_ptr<TDataSkinObject> TrackbarThumbHorz;
  std::unique_ptr<TDataSkinObject> TrackbarThumbVert;
  std::unique_ptr<TDataSkinObject> TrackbarThumbLeft;
  std::unique_ptr<TDataSkinObject> TrackbarThumbRight;
  std::unique_ptr<TDataSkinObject> TrackbarThumbUp;
  std::unique_ptr<TDataSkinObject> TrackbarThumbDown;

  // The element slots in declaration order with their names, for listings:
  // null entries are empty slots.
  struct TSlotView {
    const char* Name;
    const TDataSkinObject* Element;
  };
  std::vector<TSlotView> Slots() const;

 protected:
  void Loaded() override;
  void DefineProperties(TPropertyTable& table) const override;

 private:
  bool Designing() const { return (ComponentState() & csDesigning) != 0; }
  bool Reading() const { return (ComponentState() & csReading) != 0; }
  void LoadFrameBorder(const TSkinIni& ini, TDataSkinBorder& border);
  void LoadColours(const TSkinIni& ini);
  void LoadSysButtons(const TSkinIni& ini);
  void LoadButtons(const TSkinIni& ini);
  void LoadTitle(const TSkinIni& ini);
  void LoadFrameCounts(const TSkinIni& ini);
  void ReadColourKeys(const TSkinIni& ini, const std::string& section, TDataSkinObject& element) const;
  template <class T>
  T* LoadPlain(const TSkinIni& ini, std::unique_ptr<T>& slot, const std::string& section, bool clampTile);
  void LoadTwoImage(const TSkinIni& ini, std::unique_ptr<TDataSkinBorder>& slot, const std::string& section,
                    const std::string& secondKey);

  bool FActive = false;
  std::int32_t FDisableTag = kDefaultDisableTag;
  TSkinControlTypes FSkinControls = kDefaultSkinControls;
  std::vector<std::string> FSkin3rd;
  std::string FSkinFile;
  TSkinFormType FSkinFormtype = TSkinFormType::sfMainform;
  std::string FVersion = kVersion;
  bool FMenuUpdate = true;

  // Alive while LoadSkin runs: the container the images come from.
  const TSkinReader* FReader = nullptr;
  std::uint64_t FImageBytes = 0;
};

// The 95 default lines of Skin3rd.
const std::vector<std::string>& DefaultSkin3rd();

}  // namespace pellamy
