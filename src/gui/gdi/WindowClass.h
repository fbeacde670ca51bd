// RegisterWindowClass: the one place the library registers its window classes.
#pragma once

#include <windows.h>

#include <string>

namespace pellamy {

// Registers the class in this program's module (arrow cursor, no
// background) the first time it is asked for; later calls do nothing. A
// class that exists already is taken as it is; any other failure throws
// pellamy::Exception naming the class.
void RegisterWindowClass(const std::wstring& name, WNDPROC procedure, UINT style = 0);

}  // namespace pellamy
