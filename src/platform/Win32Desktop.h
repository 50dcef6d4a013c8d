// The desktop operations on Win32, through the W functions.
#pragma once

#include <memory>

#include "Desktop.h"
#include "Win32ShellRoute.h"

namespace veltrim::platform {

class Win32Desktop final : public Desktop {
 public:
  void PrepareDesktopShell() override;
  void Sleep(unsigned milliseconds) override;
  std::uint64_t Milliseconds() override;
  void StartProgram(const std::string& program, const std::string& commandLine,
                    const std::string& folder, WindowState state) override;
  bool OpenThroughShell(const std::string& item, WindowState state) override;
  MessageAnswer ShowMessage(const std::string& text, MessageButtons buttons) override;

 private:
  std::unique_ptr<ShellRoute> route_;
};

}  // namespace veltrim::platform
