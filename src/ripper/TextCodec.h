// Conversion of the few texts the program keeps in a fixed legacy code page.
#pragma once

#include <string>
#include <string_view>

namespace pellamy {

// GBK (code page 936) bytes to UTF-8; bytes that do not convert become "?".
std::string Cp936ToUtf8(std::string_view gbk);

}  // namespace pellamy
