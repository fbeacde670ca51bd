// Conversion of the few texts the program meets in a fixed legacy code page:
// the drive messages of one vendor (GBK) and CD-Text in MS-JIS (code page
// 932).
#pragma once

#include <string>
#include <string_view>

namespace pellamy {

// GBK (code page 936) bytes to UTF-8; bytes that do not convert become "?".
std::string Cp936ToUtf8(std::string_view gbk);

// MS-JIS (code page 932) bytes to UTF-8; bytes that do not convert become "?".
std::string Cp932ToUtf8(std::string_view msJis);
// UTF-8 to MS-JIS; false when a character has no MS-JIS form.
bool Utf8ToCp932(std::string_view text, std::string& msJis);

}  // namespace pellamy
