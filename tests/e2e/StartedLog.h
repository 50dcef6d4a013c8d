// The log in which the stand-ins for ipconfig.exe and the browser record how they were
// started, one line each, in the file that VELTRIM_STARTED_LOG names.
#pragma once

#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace veltrim::e2e {

inline std::vector<std::string> StartedPrograms() {
  std::vector<std::string> lines;
  std::ifstream in(std::getenv("VELTRIM_STARTED_LOG"), std::ios::binary);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The lines once there are `count`, or what there is after the timeout: a started program
// writes its line when it gets to it.
inline std::vector<std::string> WaitForStartedPrograms(std::size_t count, DWORD timeoutMs = 10000) {
  std::vector<std::string> lines = StartedPrograms();
  for (DWORD start = ::GetTickCount(); lines.size() < count && ::GetTickCount() - start < timeoutMs;
       lines = StartedPrograms()) {
    ::Sleep(50);
  }
  return lines;
}

inline void ForgetStartedPrograms() {
  std::ofstream(std::getenv("VELTRIM_STARTED_LOG"), std::ios::trunc);
}

}  // namespace veltrim::e2e
