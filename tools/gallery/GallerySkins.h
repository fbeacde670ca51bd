// Where the gallery finds its skins.
//   TGalleryOptions       what the command line asks for
//   ParseGalleryOptions   --skin=FILE, else rip.tmp next to the gallery
//   ProgramFolder         the folder gallery.exe is in
// Skin file paths are in the ANSI code page, as the skin component opens
// them.
#pragma once

#include <string>
#include <vector>

namespace pellamy::gallery {

// The skin the gallery starts with when none is asked for.
inline constexpr const char* kStartSkin = "rip.tmp";
inline constexpr const char* kUsage = "Usage: gallery.exe [--skin=FILE]";

struct TGalleryOptions {
  // The skin to start with; empty for none.
  std::string SkinFile;
  // Why the command line cannot be followed; empty when it can.
  std::string Error;
};

// args are the command line's arguments after the program, in UTF-8;
// folder ends in a path delimiter. The last --skin= counts.
TGalleryOptions ParseGalleryOptions(const std::vector<std::string>& args, const std::string& folder);

// The folder of the running program, ending in a backslash.
std::string ProgramFolder();

}  // namespace pellamy::gallery
