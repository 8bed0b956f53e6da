# mingw-w64 from Debian, win32 thread model (no winpthread dependency).
set(CMAKE_C_COMPILER ${TOOLCHAIN_PREFIX}-gcc)
set(CMAKE_CXX_COMPILER ${TOOLCHAIN_PREFIX}-g++)
set(CMAKE_RC_COMPILER ${TOOLCHAIN_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TOOLCHAIN_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Windows programs run under Wine, so that ctest runs them like native ones.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)
# Wine's debugger reads DWARF up to version 4 (gcc writes 5): with it, a
# hung test's backtrace (scripts/wine-run) names our functions and lines.
set(CMAKE_C_FLAGS_INIT -gdwarf-4)
set(CMAKE_CXX_FLAGS_INIT -gdwarf-4)
