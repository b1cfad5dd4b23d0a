# Cross-builds the Windows edition on Linux with Debian's mingw-w64 (64-bit).
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(QUARNEL_MINGW_TRIPLE x86_64-w64-mingw32)

# The posix thread model: GCC 12's win32 model has no std::thread or std::mutex.
find_program(CMAKE_C_COMPILER NAMES ${QUARNEL_MINGW_TRIPLE}-gcc-posix ${QUARNEL_MINGW_TRIPLE}-gcc
             REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${QUARNEL_MINGW_TRIPLE}-g++-posix ${QUARNEL_MINGW_TRIPLE}-g++
             REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${QUARNEL_MINGW_TRIPLE}-windres REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${QUARNEL_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Everything static, winpthreads and the C++ runtime included: the executables need no DLL
# beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
