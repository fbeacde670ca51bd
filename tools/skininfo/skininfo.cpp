// skininfo FILE                 one line per entry: name (as the reader holds
//                               it, lower case), a tab, its size in bytes
// skininfo --extract NAME FILE  the entry's bytes on standard output
// Exit status: 0 done, 1 no entry of that name, 2 the container cannot be
// read or is refused, or the output cannot be written (the reason on
// standard error), 3 an option that is not there yet, 64 bad usage.
#include <cstdio>
#include <exception>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "SkinRead.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace {

int Usage() {
  std::fprintf(stderr, "usage: skininfo FILE\n       skininfo --extract NAME FILE\n");
  return 64;
}

// The container's entries, or a message and exit status 2.
bool Open(const std::string& path, pellamy::TSkinReader& reader) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "skininfo: cannot open %s\n", path.c_str());
    return false;
  }
  const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) {
    std::fprintf(stderr, "skininfo: cannot read %s\n", path.c_str());
    return false;
  }
  try {
    if (reader.DecodeContainer(bytes)) return true;
    std::string message = reader.LastMessage();
    for (char& c : message) {
      if (c == '\r') c = '\n';
    }
    std::fprintf(stderr, "skininfo: %s: %s\n", path.c_str(), message.c_str());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "skininfo: %s: %s\n", path.c_str(), e.what());
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  for (const std::string& a : args) {
    if (a == "--model") {
      std::fprintf(stderr, "skininfo: --model is not available yet\n");
      return 3;
    }
  }
  pellamy::TSkinReader reader;
  if (args.size() == 1 && args[0].rfind("--", 0) != 0) {
    if (!Open(args[0], reader)) return 2;
    for (int i = 0; i < reader.Count(); ++i) {
      std::printf("%s\t%d\n", reader.EntryName(i).c_str(), reader.EntrySize(i));
    }
    return std::fflush(stdout) == 0 ? 0 : 2;
  }
  if (args.size() == 3 && args[0] == "--extract") {
    if (!Open(args[2], reader)) return 2;
    const int i = reader.FindEntry(args[1]);
    if (i < 0) {
      std::fprintf(stderr, "skininfo: %s has no entry named %s\n", args[2].c_str(), args[1].c_str());
      return 1;
    }
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    const auto bytes = reader.EntryBytes(i);
    if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size() || std::fflush(stdout) != 0) {
      std::fprintf(stderr, "skininfo: cannot write to standard output\n");
      return 2;
    }
    return 0;
  }
  return Usage();
}
