// Host names looked up through the system's resolver (the DNS Client service), as a browser
// looks them up, on a thread of their own.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "NameResolver.h"

namespace veltrim::platform {

std::unique_ptr<NameLookUp> StartWin32LookUp(const std::string& host);

// Runs `work` on a thread of its own that is never waited for, and answers what it returns:
// CannotAnswerNow where the thread cannot start or `work` throws, and, given a bound, once
// `boundMs` have passed since the start without an answer.
std::unique_ptr<NameLookUp> StartDetachedLookUp(std::function<LookUpAnswer()> work,
                                                std::optional<std::uint64_t> boundMs);

}  // namespace veltrim::platform
