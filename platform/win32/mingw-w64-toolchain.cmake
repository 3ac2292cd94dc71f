# Cross-building the Windows program on Linux with mingw-w64 (64-bit):
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=platform/win32/mingw-w64-toolchain.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(MORVASK_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${MORVASK_MINGW_PREFIX}-gcc)
set(CMAKE_CXX_COMPILER ${MORVASK_MINGW_PREFIX}-g++)
set(CMAKE_RC_COMPILER ${MORVASK_MINGW_PREFIX}-windres)

# Libraries and headers come from the cross sysroot only; programs run at
# build time are the host's.
set(CMAKE_FIND_ROOT_PATH /usr/${MORVASK_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
