// What an operation throws, for a case to compare with what it expects.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>

namespace veltrim::testing {

// The `Error` that `operation` throws, as an `Error` (a subclass's own parts are not kept), or
// nothing where it throws none.
template <typename Error, typename Operation>
std::optional<Error> Thrown(Operation operation) {
  try {
    operation();
  } catch (const Error& error) {
    return error;
  }
  return std::nullopt;
}

// The text of what `operation` throws, empty for nothing (none of our errors has an empty
// text): a refusal's sentence, or a SystemError's "<action> <path>: error <number>,
// <description>".
template <typename Operation>
std::string WhatThrown(Operation operation) {
  try {
    operation();
  } catch (const std::exception& error) {
    return error.what();
  }
  return "";
}

}  // namespace veltrim::testing
