// Exception, EAbort, CheckListIndex: failures carry a message text; EAbort is the silent abort
// that the top-level handler drops without a message.
#pragma once

#include <stdexcept>
#include <string>

namespace pellamy {

class Exception : public std::runtime_error {
 public:
  explicit Exception(const std::string& message) : std::runtime_error(message) {}
  std::string Message() const { return what(); }
};

class EAbort : public Exception {
 public:
  EAbort() : Exception("Operation aborted") {}
};

// Lists of a control (items, panels, sections) refuse an index they lack.
inline void CheckListIndex(int index, int count) {
  if (index < 0 || index >= count) throw Exception("List index out of bounds (" + std::to_string(index) + ")");
}

}  // namespace pellamy
