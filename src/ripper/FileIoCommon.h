// The platform step under ForceDirectories.
#pragma once

#include <string>

namespace pellamy {

// Creates one directory whose parent exists; true when it exists afterwards.
bool CreateOneDirectory(const std::string& dir);

}  // namespace pellamy
