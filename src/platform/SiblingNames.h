// The names of the new files that are written beside a host file before they replace it:
// "<file name>.<process id in hex>-<count>.veltrim-new", so that two runs never share one and
// a run that was killed part way can be told by its leftovers.
#pragma once

#include <string>

namespace veltrim::platform {

std::string NewFileNameBeside(const std::string& path, unsigned long processId, unsigned count);

// True when `candidate`, a name in the same folder, is one that NewFileNameBeside makes for
// the file called `fileName`.
bool IsNewFileNameOf(const std::string& fileName, const std::string& candidate);

}  // namespace veltrim::platform
