// A narrated walk through one fix, for `scripts/run` on a machine without a display: drives
// Veltrim.exe as a user would, says what it does, and pictures each screen.
#include <windows.h>

#include <cstdio>
#include <stdexcept>
#include <string>

#include "ResourceIds.h"
#include "UiDriver.h"

namespace {

using namespace veltrim;

void Say(const std::string& text) {
  std::printf("  %s\n", text.c_str());
  std::fflush(stdout);
}

std::string OneLine(std::string text) {
  for (size_t at = 0; (at = text.find("\r\n", at)) != std::string::npos;) text.replace(at, 2, " ");
  return text;
}

int Fail(const std::string& what) {
  std::printf("demonstration failed: %s\n", what.c_str());
  return 1;
}

}  // namespace

int Demonstrate() {
  using namespace veltrim::uidriver;
  const std::string address = "http://www.example.com/news";
  Program program;
  HWND splash = program.WaitForWindow(shell::kDisclaimerClass);
  if (splash == nullptr) return Fail("the disclaimer screen did not appear");
  Say("Veltrim shows its disclaimer screen (1-disclaimer.png).");
  Screenshot(splash, "1-disclaimer");
  Say("The user presses Continue.");
  Click(splash, shell::kContinueButton);
  HWND main = program.WaitForWindow(shell::kMainClass);
  if (main == nullptr) return Fail("the main window did not appear");
  Say("The main window asks for the web site (2-main.png).");
  Screenshot(main, "2-main");
  Type(main, shell::kWebAddress, address);
  Say("The user types " + address + " (3-address.png) and presses Fix It.");
  Screenshot(main, "3-address");
  Click(main, shell::kFixItButton);
  WaitForLabel(main, shell::kProgressItem, "Completed");
  Say("Veltrim flushes the resolver cache, clears the host files, opens the page and waits "
      "(4-working.png).");
  Screenshot(main, "4-working", false);
  MessageBoxState question = program.WaitForMessageBox();
  Say("It asks: \"" + question.text + "\" (5-question.png). The user answers Yes.");
  Screenshot(question.handle, "5-question");
  Answer(question, IDYES);
  MessageBoxState closing = program.WaitForMessageBox();
  Say("It says: \"" + OneLine(closing.text) + "\" (6-closing.png). The user presses OK.");
  Screenshot(closing.handle, "6-closing");
  Answer(closing, IDOK);
  if (!program.WaitForExit()) return Fail("Veltrim did not end");
  Say("Veltrim has ended.");
  return 0;
}

int main() {
  try {
    return Demonstrate();
  } catch (const std::exception& error) {
    return Fail(error.what());
  }
}
