# Cross-building for 64-bit Windows with Debian's MinGW-w64 (POSIX threads variant); the programs run under Wine
# on this machine. Libraries cross-built by scripts/build-windows.sh are found under LEAFBIND_WINDOWS_PREFIX.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 ${LEAFBIND_WINDOWS_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# pkg-config reads the cross-built libraries' descriptions only, never the building machine's.
if(LEAFBIND_WINDOWS_PREFIX)
    set(ENV{PKG_CONFIG_LIBDIR} ${LEAFBIND_WINDOWS_PREFIX}/lib/pkgconfig)
    set(ENV{PKG_CONFIG_PATH} "")
endif()
# Tests and build steps that run a program run it under Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
# The C and C++ runtimes go into each program and library, so the package needs no MinGW runtime DLLs; no symbols.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -s")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -s")
