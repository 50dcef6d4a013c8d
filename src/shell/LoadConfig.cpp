// The program's load configuration, which the loader reads before any of its code runs: the
// stack protector's cookie, for the loader to randomise, and DependentLoadFlags, so that even
// the DLLs that the imported ones load are taken from the system folder only. lld points the
// image's load configuration directory at this symbol.
#include <windows.h>

#include <cstddef>
#include <cstdint>

extern "C" std::uintptr_t __stack_chk_guard;  // NOLINT(bugprone-reserved-identifier)

// The layout of IMAGE_LOAD_CONFIG_DIRECTORY64 up to GuardFlags, with its addresses as pointers
// so that the linker fills them in; MinGW's headers know no DependentLoadFlags yet.
struct LoadConfig {
  DWORD Size;
  DWORD TimeDateStamp;
  WORD MajorVersion;
  WORD MinorVersion;
  DWORD GlobalFlagsClear;
  DWORD GlobalFlagsSet;
  DWORD CriticalSectionDefaultTimeout;
  ULONGLONG DeCommitFreeBlockThreshold;
  ULONGLONG DeCommitTotalFreeThreshold;
  ULONGLONG LockPrefixTable;
  ULONGLONG MaximumAllocationSize;
  ULONGLONG VirtualMemoryThreshold;
  ULONGLONG ProcessAffinityMask;
  DWORD ProcessHeapFlags;
  WORD CSDVersion;
  WORD DependentLoadFlags;
  ULONGLONG EditList;
  const void* SecurityCookie;
  ULONGLONG SEHandlerTable;
  ULONGLONG SEHandlerCount;
  ULONGLONG GuardCFCheckFunctionPointer;
  ULONGLONG GuardCFDispatchFunctionPointer;
  ULONGLONG GuardCFFunctionTable;
  ULONGLONG GuardCFFunctionCount;
  DWORD GuardFlags;
};
static_assert(offsetof(LoadConfig, DependentLoadFlags) == 0x4E, "IMAGE_LOAD_CONFIG_DIRECTORY64");
static_assert(offsetof(LoadConfig, SecurityCookie) == 0x58, "IMAGE_LOAD_CONFIG_DIRECTORY64");
static_assert(offsetof(LoadConfig, GuardFlags) == 0x90, "IMAGE_LOAD_CONFIG_DIRECTORY64");

// NOLINTNEXTLINE(bugprone-reserved-identifier)
extern "C" const LoadConfig _load_config_used = {
    offsetof(LoadConfig, GuardFlags) + sizeof(DWORD),
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    LOAD_LIBRARY_SEARCH_SYSTEM32,
    0,
    &__stack_chk_guard,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
};
