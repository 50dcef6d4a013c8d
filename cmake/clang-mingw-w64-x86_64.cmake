# Cross-compiles for 64-bit Windows with Debian's clang and lld, against MinGW-w64's headers,
# runtime and libstdc++ (POSIX thread model). lld, unlike GNU ld, writes the load configuration
# (the loader-randomised stack cookie, DependentLoadFlags) and marks the program CET-compatible.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(_triplet x86_64-w64-mingw32)
set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET ${_triplet})
set(CMAKE_CXX_COMPILER_TARGET ${_triplet})
set(CMAKE_RC_COMPILER ${_triplet}-windres)

# clang does not look for the MinGW-w64 GCC's own C++ library; it is given here, the POSIX
# thread model's, whose version Debian's package chooses.
file(GLOB _gcc LIST_DIRECTORIES true /usr/lib/gcc/${_triplet}/*-posix)
list(SORT _gcc COMPARE NATURAL ORDER DESCENDING)
list(GET _gcc 0 _gcc)
set(CMAKE_CXX_FLAGS_INIT
    "-isystem ${_gcc}/include/c++ -isystem ${_gcc}/include/c++/${_triplet} -isystem ${_gcc}/include/c++/backward")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-fuse-ld=lld -L${_gcc} -Wl,-lpthread")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-fuse-ld=lld -L${_gcc} -Wl,-lpthread")

set(CMAKE_FIND_ROOT_PATH /usr/${_triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Test programs run under Wine, in the build tree's own prefix.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-exec)
