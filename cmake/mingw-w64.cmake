# Cross build of the Windows DLL (x86-64) with MinGW-w64, posix thread model so that
# std::thread and std::mutex work. Test programs run under Wine through ctest.
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(PIXORA_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${PIXORA_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${PIXORA_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${PIXORA_MINGW_TRIPLE}-windres)
set(CMAKE_AR ${PIXORA_MINGW_TRIPLE}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${PIXORA_MINGW_TRIPLE}-gcc-ranlib-posix CACHE FILEPATH "")
set(CMAKE_OBJDUMP ${PIXORA_MINGW_TRIPLE}-objdump CACHE FILEPATH "")

set(CMAKE_FIND_ROOT_PATH /usr/${PIXORA_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Test programs and tools run under Wine (wine64 is the 64-bit loader).
find_program(PIXORA_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(PIXORA_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${PIXORA_WINE})
endif()
