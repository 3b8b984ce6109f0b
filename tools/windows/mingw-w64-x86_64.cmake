# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 compilers. The -posix variants
# carry std::thread and std::mutex, which GoogleTest needs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VAULTREACH_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VAULTREACH_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VAULTREACH_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${VAULTREACH_MINGW_TRIPLET}-windres)

# Headers and libraries come from the MinGW sysroot and from VAULTREACH_WINDOWS_DEPS (where
# tools/windows/deps.sh installed the cross-built libraries), never from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${VAULTREACH_MINGW_TRIPLET})
if(VAULTREACH_WINDOWS_DEPS)
  list(APPEND CMAKE_FIND_ROOT_PATH ${VAULTREACH_WINDOWS_DEPS})
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# ctest runs the test programs through Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
