// SkinIni: the skin description, an INI-style text read from memory.
//   TSkinIni            sections, keys and values, with the value rules of
//                       the skin loader (integers, colours, images)
// and the value rules on their own: StrToIntDef, ColorFromText,
// ImageEntryName.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace pellamy {

// Integer text as the description writes it: decimal with an optional sign,
// "$" and hexadecimal digits, or (longer than 2 characters) "0x"/"0X" and
// hexadecimal digits. Hexadecimal values up to FFFFFFFF wrap to 32 bits.
// Anything else, and decimal values outside 32 bits, give def.
std::int32_t StrToIntDef(std::string_view text, std::int32_t def);

// "r,g,b" (any non-digit separates) as red | green << 8 | blue << 16, each
// component modulo 256, missing ones 0. A number still open at the end
// counts only as the third component; numbers after the third are ignored.
// Empty text (after trimming) gives def.
std::int32_t ColorFromText(std::string_view text, std::int32_t def);

// The entry name an image value refers to: its file-name part (after the
// last '\', '/' or ':'), or empty when that part is empty or its extension
// is not exactly ".bmp".
std::string ImageEntryName(std::string_view value);

class TSkinIni {
 public:
  static constexpr std::size_t kMaxValueChars = 2047;
  static constexpr std::size_t kSectionNamesBytes = 16384;

  TSkinIni() = default;
  explicit TSkinIni(std::string_view text) { Load(text); }
  explicit TSkinIni(std::span<const std::uint8_t> bytes)
      : TSkinIni(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size())) {}

  // Replaces the description with text. Lines end in CR LF, CR or LF.
  // "[name]" starts a section; "key=value" lines belong to the section above
  // them; lines before the first section, lines starting with ';' and lines
  // without '=' are ignored. Names and values lose the blanks around them,
  // and a value one pair of enclosing quotes (" or ').
  void Load(std::string_view text);

  // Section names in file order (a repeated section is listed again), as
  // many as fit in 16384 bytes with a NUL after each and one at the end; a
  // name that only partly fits is cut.
  std::vector<std::string> SectionNames() const;

  // Sections and keys match without regard to ASCII letter case; the first
  // occurrence of a key counts, also across repeated sections.
  bool KeyExists(std::string_view section, std::string_view key) const;
  // At most 2047 characters; def when the key is absent.
  std::string ReadString(std::string_view section, std::string_view key, std::string_view def) const;
  std::int32_t ReadInteger(std::string_view section, std::string_view key, std::int32_t def) const;
  // An "r,g,b" colour; def when the key is absent or empty.
  std::int32_t ReadColor(std::string_view section, std::string_view key, std::int32_t def) const;
  // The colour of the three integer keys key + "R", key + "G", key + "B"
  // (low bytes), or notGiven unless all three are 0 or more.
  std::int32_t ReadColorKeys(std::string_view section, std::string_view key, std::int32_t notGiven) const;
  // The entry name of an image key (see ImageEntryName); empty when absent.
  std::string ReadImageName(std::string_view section, std::string_view key) const;

 private:
  struct TEntry {
    std::string Key;  // lower case
    std::string Value;
  };
  struct TSection {
    std::vector<TEntry> Entries;
  };

  const std::string* Find(std::string_view section, std::string_view key) const;

  std::vector<std::string> FSectionNames;                      // file order, as written
  std::vector<TSection> FSections;                             // one per distinct name
  std::unordered_map<std::string, std::size_t> FSectionIndex;  // lower-case name -> FSections
};

}  // namespace pellamy
