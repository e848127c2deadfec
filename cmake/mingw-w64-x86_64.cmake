# SPDX-License-Identifier: MIT
# Cross build for 64-bit Windows with the mingw-w64 compiler (POSIX threads
# variant); CTest runs the programs under wine.
#
# The core alone links the mingw runtime statically, so its programs need no
# DLLs beside them. The window's build adds a Qt for mingw and shares Qt's
# runtime DLLs instead:
#   -DCMAKE_FIND_ROOT_PATH=QT -DCMAKE_PREFIX_PATH=QT -DQT_HOST_PATH=/usr
#   -DZEL_MINGW_STATIC_RUNTIME=OFF
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ZEL_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ZEL_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZEL_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${ZEL_MINGW_TRIPLE}-windres)

# Appended, so that a Qt given on the command line stays visible to find_package.
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${ZEL_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

if(NOT DEFINED ZEL_MINGW_STATIC_RUNTIME OR ZEL_MINGW_STATIC_RUNTIME)
  set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
endif()

find_program(ZEL_WINE wine)
if(ZEL_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${ZEL_WINE})
endif()
