// What the compiler's stack protector calls on, here rather than in libssp, whose constructor
// would load a cryptographic provider before the program has limited where DLLs come from.
#include <windows.h>

#include <cstdint>

extern "C" {

// The value that the loader takes for a cookie not yet set: it replaces it with a random one
// before any code runs, as the program's load configuration points it here.
std::uintptr_t __stack_chk_guard = 0x00002B992DDFA232;  // NOLINT(bugprone-reserved-identifier)

// A smashed stack: ended at once, without unwinding through what was overwritten.
[[noreturn]] void __stack_chk_fail() {  // NOLINT(bugprone-reserved-identifier)
  // __fastfail, which MinGW's headers do not declare: the system ends the process on the spot.
  asm volatile("int $0x29" : : "c"(FAST_FAIL_STACK_COOKIE_CHECK_FAILURE) : "memory");
  __builtin_unreachable();
}

}  // extern "C"
