// A Platform that passes every operation to another one; test doubles override what they change.
#pragma once

#include "Platform.h"

namespace veltrim::testing {

class ForwardingPlatform : public platform::Platform {
 public:
  explicit ForwardingPlatform(platform::Platform& inner) : inner_(inner) {}

  unsigned GetSystemDirectoryA(char* buffer, unsigned capacity) override {
    return inner_.GetSystemDirectoryA(buffer, capacity);
  }
  void Sleep(unsigned milliseconds) override { inner_.Sleep(milliseconds); }
  void StartProgram(const std::string& program, const std::string& commandLine,
                    platform::WindowState state) override {
    inner_.StartProgram(program, commandLine, state);
  }
  platform::MessageAnswer ShowMessage(const std::string& text,
                                      platform::MessageButtons buttons) override {
    return inner_.ShowMessage(text, buttons);
  }
  void ToUpper(std::string& text) override { inner_.ToUpper(text); }
  bool IsOrdinaryFile(const std::string& path) override { return inner_.IsOrdinaryFile(path); }
  std::string ReadFile(const std::string& path) override { return inner_.ReadFile(path); }
  void CheckWritable(const std::string& path) override { inner_.CheckWritable(path); }
  std::unique_ptr<platform::OutputFile> CreateFileBeside(const std::string& path) override {
    return inner_.CreateFileBeside(path);
  }
  void PutInPlace(const std::string& target, const std::string& replacement) override {
    inner_.PutInPlace(target, replacement);
  }
  void RemoveFile(const std::string& path) noexcept override { inner_.RemoveFile(path); }

 protected:
  platform::Platform& inner_;
};

}  // namespace veltrim::testing
