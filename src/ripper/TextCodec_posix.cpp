#include <iconv.h>

#include <cerrno>
#include <vector>

#include "ripper/TextCodec.h"

namespace pellamy {

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
