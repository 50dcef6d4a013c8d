// What an operation throws, for a case to compare with what it expects.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>

namespace veltrim::testing {

// The `Error` that `operation` throws, or nothing where it throws none.
template <typename Error, typename Operation>
std::optional<Error> Thrown(Operation operation) {
  try {
    operation();
  } catch (const Error& error) {
    return error;
  }
  return std::nullopt;
}

// The text of what `operation` throws, empty for nothing: a refusal's sentence, or a
// SystemError's "<action> <path>: error <number>, <description>".
template <typename Operation>
std::string WhatThrown(Operation operation) {
  const std::optional<std::runtime_error> error = Thrown<std::runtime_error>(operation);
  return error ? error->what() : "";
}

}  // namespace veltrim::testing
