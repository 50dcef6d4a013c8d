#include "SystemError.h"

#include <utility>

namespace veltrim::platform {

namespace {

std::string Compose(unsigned long number, const std::string& description, const std::string& action,
                    const std::string& path) {
  return action + " " + path + ": error " + std::to_string(number) + ", " + description;
}

}  // namespace

SystemError::SystemError(unsigned long number, std::string description, std::string action,
                         std::string path)
    : std::runtime_error(Compose(number, description, action, path)),
      number_(number),
      description_(std::move(description)),
      action_(std::move(action)),
      path_(std::move(path)) {}

}  // namespace veltrim::platform
