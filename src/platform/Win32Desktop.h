// The desktop operations on Win32, through the W functions.
#pragma once

#include <memory>

#include "Desktop.h"
#include "Win32ShellRoute.h"

namespace veltrim::platform {

class Win32Desktop final : public Desktop {
 public:
  void PrepareDesktopShell() override;
  std::string SystemFolder() override;
  std::string ConfiguredHostFilesFolder() override;
  bool IsLocalFolder(const std::string& path) override;
  std::string ProgramFilesFolder() override;
  void Sleep(unsigned milliseconds) override;
  void CheckProgramExists(const std::string& program) override;
  void StartProgram(const std::string& program, const std::string& commandLine,
                    const std::string& folder, WindowState state) override;
  bool StartThroughShell(const std::string& program, const std::string& arguments,
                         WindowState state) override;
  MessageAnswer ShowMessage(const std::string& text, MessageButtons buttons) override;

 private:
  std::unique_ptr<ShellRoute> route_;
};

}  // namespace veltrim::platform
