#include <iconv.h>

#include <cerrno>
#include <vector>

#include "ripper/TextCodec.h"

namespace pellamy {

namespace {

// to from bytes; what does not convert becomes '?' when lenient, else fails.
bool Convert(const char* to, const char* from, std::string_view bytes, std::string& out, bool lenient) {
  out.clear();
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  std::vector<char> in(bytes.begin(), bytes.end());
  char* src = in.data();
  size_t srcLeft = in.size();
  char buffer[256];
  bool ok = true;
  while (srcLeft > 0) {
    char* dst = buffer;
    size_t dstLeft = sizeof(buffer);
    const size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    out.append(buffer, dst);
    if (r == static_cast<size_t>(-1) && errno != E2BIG) {
      if (!lenient) {
        ok = false;
        break;
      }
      out += '?';
      ++src;
      --srcLeft;
    }
  }
  iconv_close(cd);
  return ok;
}

}  // namespace

std::string Cp932ToUtf8(std::string_view msJis) {
  std::string out;
  Convert("UTF-8", "CP932", msJis, out, true);
  return out;
}

bool Utf8ToCp932(std::string_view text, std::string& msJis) {
  return Convert("CP932", "UTF-8", text, msJis, false);
}

std::string Cp936ToUtf8(std::string_view gbk) {
  iconv_t cd = iconv_open("UTF-8", "GBK");
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(gbk);
  std::string out;
  std::vector<char> in(gbk.begin(), gbk.end());
  char* src = in.data();
  size_t srcLeft = in.size();
  char buffer[256];
  while (srcLeft > 0) {
    char* dst = buffer;
    size_t dstLeft = sizeof(buffer);
    size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    out.append(buffer, dst);
    if (r == static_cast<size_t>(-1) && errno != E2BIG) {
      out += '?';
      ++src;
      --srcLeft;
    }
  }
  iconv_close(cd);
  return out;
}

}  // namespace pellamy
