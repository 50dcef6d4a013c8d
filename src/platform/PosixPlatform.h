// The Platform operations on POSIX systems, for the native build of the core and its tests.
// Windows alone has a system folder, file attributes, message boxes and window states: here
// the folder is unknown, every regular file is ordinary, and the interactive operations fail.
#pragma once

#include "Platform.h"

namespace veltrim::platform {

class PosixPlatform final : public Platform {
 public:
  unsigned GetSystemDirectoryA(char* buffer, unsigned capacity) override;
  void Sleep(unsigned milliseconds) override;
  void StartProgram(const std::string& program, const std::string& commandLine,
                    WindowState state) override;
  MessageAnswer ShowMessage(const std::string& text, MessageButtons buttons) override;
  void ToUpper(std::string& text) override;
  bool IsOrdinaryFile(const std::string& path) override;
  std::string ReadFile(const std::string& path) override;
  void CheckWritable(const std::string& path) override;
  std::unique_ptr<OutputFile> CreateFileBeside(const std::string& path) override;
  void PutInPlace(const std::string& target, const std::string& replacement) override;
  void RemoveFile(const std::string& path) noexcept override;
};

}  // namespace veltrim::platform
