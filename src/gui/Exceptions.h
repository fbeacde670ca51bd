// Exception, EAbort: failures carry a message text; EAbort is the silent abort
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

}  // namespace pellamy
