#pragma once

namespace veltrim::platform {

// The caption of every message box.
inline constexpr char kApplicationTitle[] = "Veltrim";

}  // namespace veltrim::platform
