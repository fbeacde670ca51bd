// Where the gallery finds its skins.
//   TGalleryOptions       what the command line asks for
//   ParseGalleryOptions   --skin=FILE, else rip.tmp next to the gallery
//   ProgramFolder         the folder gallery.exe is in
//   SkinFilesIn           the skin files (*.tmp) of a folder, by name
// Skin file paths are UTF-8, as the skin component opens them; SkinCaption
// turns a file name into a menu caption.
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

// The names of the files ending in ".tmp" (any letter case) in folder, which
// ends in a path delimiter, in name order regardless of letter case.
std::vector<std::string> SkinFilesIn(const std::string& folder);

// A file name as a menu shows it, with "&"
// doubled so that it is not taken for an accelerator mark.
std::string SkinCaption(const std::string& fileName);

}  // namespace pellamy::gallery
