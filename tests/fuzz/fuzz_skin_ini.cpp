// Skin descriptions of any bytes: every section and key read as the skin
// loader reads them, within the profile reader's limits.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "skin/file/SkinIni.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const pellamy::TSkinIni ini(text);
  std::size_t listed = 1;
  for (const std::string& section : ini.SectionNames()) {
    listed += section.size() + 1;
    for (const char* key :
         {"Image", "Bitmap", "Left", "Action", "color", "NormalColour2", "FontHeight", "Visibility"}) {
      if (ini.ReadString(section, key, "").size() > pellamy::TSkinIni::kMaxValueChars) std::abort();
      ini.ReadInteger(section, key, -1);
      ini.ReadColor(section, key, 0x1FFFFFFF);
      ini.ReadImageName(section, key);
    }
    ini.ReadColorKeys(section, "ActiveText", 0x1FFFFFFF);
  }
  if (listed > pellamy::TSkinIni::kSectionNamesBytes) std::abort();

  // The value rules on raw text, as a value can hold any bytes but line ends.
  pellamy::StrToIntDef(text, 0);
  pellamy::ColorFromText(text, 0);
  pellamy::ImageEntryName(text);
  return 0;
}
