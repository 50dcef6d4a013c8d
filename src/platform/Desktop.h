// What the program asks of the system beyond the host files: the system folder and the host
// files' folder, starting programs, opening a page, looking a name up, waiting and message
// boxes. Texts are UTF-8.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "IpAddress.h"

namespace veltrim::platform {

enum class WindowState { Hidden, MaximizedFocused };
enum class MessageButtons { Ok, YesNo };
enum class MessageAnswer { Ok, Yes, No };

// What a look-up of a host name came to.
enum class LookUpOutcome {
  Addresses,        // the name has these addresses
  NoSuchName,       // the name is unknown, or has no address
  CannotAnswerNow,  // the resolver or name server could not be asked, or gave no answer in time
};

struct LookUpAnswer {
  LookUpOutcome outcome = LookUpOutcome::CannotAnswerNow;
  std::vector<IpAddress> addresses;  // none unless the outcome is Addresses
};

// A look-up of a host name that runs on its own; one that never comes back is abandoned with
// the object.
class NameLookUp {
 public:
  virtual ~NameLookUp() = default;
  // Nothing while it runs; then its answer, the same every time it is asked.
  virtual std::optional<LookUpAnswer> Answer() = 0;
  // Whether its thread has yet to come back: one that passed its bound answers CannotAnswerNow
  // but may still hang in the system, and a name asked again meanwhile would add another.
  virtual bool StillOut() = 0;
};

struct ConfiguredFolder {
  // As the system holds it.
  std::string value;
  // Expanded from the system's own values; empty where the value names a variable of the
  // environment, which this program cannot tell for the system.
  std::string folder;
};

// How long a direct query of the name servers (Desktop::StartNetworkQuery) may take before it
// answers CannotAnswerNow.
inline constexpr std::uint64_t kNetworkQueryMs = 10000;
// How long a look-up through the resolver (Desktop::StartLookUp) may take before it answers
// CannotAnswerNow: one that hangs is abandoned, and a new one may be asked.
inline constexpr std::uint64_t kLookUpMs = 5000;

// Every operation that fails throws SystemError.
class Desktop {
 public:
  virtual ~Desktop() = default;

  // The system folder without a trailing backslash, however long, or the empty text when the
  // system cannot tell it.
  virtual std::string SystemFolder() = 0;
  // The folder that the system's resolver is set to read the host files from (on Windows the
  // registry's DataBasePath): nothing where it names none.
  virtual ConfiguredFolder ConfiguredHostFilesFolder() = 0;
  // True for an existing folder on a drive of this computer.
  virtual bool IsLocalFolder(const std::string& path) = 0;
  virtual void Sleep(unsigned milliseconds) = 0;
  // A clock that counts milliseconds and never goes back.
  virtual std::uint64_t Milliseconds() = 0;
  // Starts looking `host` up as any program on the system would (the resolver with its cache
  // and the host files), and returns at once. It answers CannotAnswerNow when no answer comes
  // within kLookUpMs.
  virtual std::unique_ptr<NameLookUp> StartLookUp(const std::string& host) = 0;
  // Starts asking the network's name servers directly for the addresses of `host` (A and AAAA
  // records), past the resolver's cache and the host files, and returns at once. It answers
  // CannotAnswerNow when no answer comes within a bound of its own.
  virtual std::unique_ptr<NameLookUp> StartNetworkQuery(const std::string& host) = 0;

  // Starts `program` from this process, with `commandLine` as its whole command line and
  // `folder` as its current folder, and returns at once. It inherits this process's rights, so
  // it is for the system's own programs only.
  virtual void StartProgram(const std::string& program, const std::string& commandLine,
                            const std::string& folder, WindowState state) = 0;
  // Finds the way to the desktop shell now, in the background, so that OpenThroughShell is
  // quick when it comes.
  virtual void PrepareDesktopShell() = 0;
  // Asks the desktop shell to open `item`, a program or a web address, as a double-click would:
  // a web address in the browser that the user chose for it. What starts runs with the desktop
  // user's rights rather than this process's. False, with nothing started, where there is no
  // desktop shell to ask, it declines, or it finds nothing to open the item with.
  virtual bool OpenThroughShell(const std::string& item, WindowState state) = 0;

  // A modal box captioned with the application's title, without icon.
  virtual MessageAnswer ShowMessage(const std::string& text, MessageButtons buttons) = 0;
};

}  // namespace veltrim::platform
