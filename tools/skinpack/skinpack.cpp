// skinpack OUT.skn DESCRIPTION.ini IMAGE.bmp...
// Packs a skin description and the images it names into a skin container.
// Entries are named after the files (without their folders), the
// description first so that it is the entry the skin loader finds by
// ".ini". The container is read back and compared before it replaces OUT,
// so a file that exists under that name is always a whole, readable skin.
#include "SkinPack.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "base/CommandLine.h"
#include "base/Exceptions.h"
#include "base/Utf8Path.h"
#include "skin/file/SkinRead.h"

namespace {

using pellamy::Exception;
namespace fs = std::filesystem;

std::vector<std::uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(pellamy::PathFromUtf8(path), std::ios::binary);
  if (!in) throw Exception("cannot open " + path);
  std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) throw Exception("cannot read " + path);
  return bytes;
}

std::string FileNamePart(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\:");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

void Verify(const std::vector<std::uint8_t>& skin, const std::vector<pellamy::TSkinEntry>& entries) {
  pellamy::TSkinReader reader;
  if (!reader.DecodeContainer(skin) || reader.Count() != static_cast<int>(entries.size())) {
    throw Exception("internal error: the packed skin does not read back");
  }
  for (int i = 0; i < reader.Count(); ++i) {
    const auto bytes = reader.EntryBytes(i);
    const auto& expected = entries[static_cast<std::size_t>(i)].Bytes;
    if (!std::equal(bytes.begin(), bytes.end(), expected.begin(), expected.end())) {
      throw Exception("internal error: entry " + reader.EntryName(i) + " does not read back");
    }
  }
}

void WriteAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  const std::string part = path + ".part";
  {
    std::ofstream out(pellamy::PathFromUtf8(part), std::ios::binary | std::ios::trunc);
    if (!out) throw Exception("cannot create " + part);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
      std::error_code ignored;
      fs::remove(pellamy::PathFromUtf8(part), ignored);
      throw Exception("cannot write " + part);
    }
  }
  std::error_code ec;
  fs::rename(pellamy::PathFromUtf8(part), pellamy::PathFromUtf8(path), ec);
  if (ec) {
    fs::remove(pellamy::PathFromUtf8(part), ec);
    throw Exception("cannot replace " + path);
  }
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args = pellamy::ProgramArguments(argc, argv);
  if (args.size() < 2) {
    std::fprintf(stderr, "usage: skinpack OUT.skn DESCRIPTION.ini [IMAGE.bmp...]\n");
    return 64;
  }
  try {
    std::vector<pellamy::TSkinEntry> entries;
    std::string description = FileNamePart(args[1]);
    if (pellamy::AsciiLower(description).find(".ini") == std::string::npos) {
      std::fprintf(stderr, "skinpack: %s stored as skin.ini, the name the skin loader looks for\n", args[1].c_str());
      description = "skin.ini";
    }
    entries.push_back({description, ReadFile(args[1])});
    for (std::size_t i = 2; i < args.size(); ++i) {
      const std::string name = FileNamePart(args[i]);
      entries.push_back({name, ReadFile(args[i])});
      const auto& bytes = entries.back().Bytes;
      const std::string lower = pellamy::AsciiLower(name);
      if (lower.size() < 4 || lower.compare(lower.size() - 4, 4, ".bmp") != 0) {
        std::fprintf(stderr, "skinpack: warning: %s: a description can only name images ending in .bmp\n",
                     args[i].c_str());
      } else if (bytes.size() < 2 || bytes[0] != 'B' || bytes[1] != 'M') {
        std::fprintf(stderr, "skinpack: warning: %s does not start like a BMP file\n", args[i].c_str());
      }
    }
    std::size_t contentBytes = 0;
    const std::vector<std::uint8_t> skin = [&] {
      const auto content = pellamy::BuildSkinContent(entries);
      contentBytes = content.size();
      return pellamy::CompressContainer(content);
    }();
    Verify(skin, entries);
    WriteAtomically(args[0], skin);
    std::printf("skinpack: %s: %zu entries, %zu bytes packed into %zu\n", args[0].c_str(), entries.size(), contentBytes,
                skin.size());
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "skinpack: %s\n", e.what());
    return 1;
  }
}
