// The one error type for failed operations of the operating system, in the parts from which
// the message for the user is made.
#pragma once

#include <stdexcept>
#include <string>

namespace veltrim::platform {

class SystemError : public std::runtime_error {
 public:
  // `action` completes "Could not ...", for example "open for writing".
  SystemError(unsigned long number, std::string description, std::string action, std::string path);

  unsigned long Number() const { return number_; }
  const std::string& Description() const { return description_; }
  const std::string& Action() const { return action_; }
  const std::string& Path() const { return path_; }

 private:
  unsigned long number_;
  std::string description_;
  std::string action_;
  std::string path_;
};

}  // namespace veltrim::platform
