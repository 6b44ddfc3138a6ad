# Cross-compiles Orvista for 64-bit Windows with Debian's MinGW-w64 compilers
# and runs what it builds (tests, GoogleTest's test discovery) under Wine.
#
#   prefix=$(scripts/windows-deps | tail -1)
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
#         -DORVISTA_WX_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=RelWithDebInfo
#
# ORVISTA_WX_PREFIX is the prefix scripts/windows-deps prints: wxMSW 3.2
# (static), the expat and libpng it links with, and GoogleTest/GoogleMock.
# It may also come from the environment variable of the same name.
#
# find_package(wxWidgets) uses <prefix>/bin/wx-config; find_package(GTest)
# finds <prefix>/lib/cmake/GTest. Programs are linked fully static (libgcc,
# libstdc++, winpthread, zlib, libpng, expat), so the .exe files run under Wine
# or on Windows without any MinGW DLL next to them.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ORVISTA_MINGW_TRIPLET x86_64-w64-mingw32)
# The posix thread model: std::thread, std::mutex and GoogleTest need it; the
# win32 variants of the compilers cannot build them.
set(CMAKE_C_COMPILER ${ORVISTA_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ORVISTA_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${ORVISTA_MINGW_TRIPLET}-windres)

# try_compile() projects read this file again; hand them the prefix too.
if(NOT ORVISTA_WX_PREFIX AND DEFINED ENV{ORVISTA_WX_PREFIX})
  set(ORVISTA_WX_PREFIX "$ENV{ORVISTA_WX_PREFIX}")
endif()
set(ORVISTA_WX_PREFIX "${ORVISTA_WX_PREFIX}" CACHE PATH
  "Prefix with wxMSW, expat, libpng and GoogleTest for Windows (scripts/windows-deps)")
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES ORVISTA_WX_PREFIX)

# Headers, libraries and CMake packages only from the MinGW tree and the
# prefix; build tools (wx-config aside, see below) from the host.
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${ORVISTA_MINGW_TRIPLET})
if(ORVISTA_WX_PREFIX)
  list(APPEND CMAKE_FIND_ROOT_PATH "${ORVISTA_WX_PREFIX}")
endif()
list(REMOVE_DUPLICATES CMAKE_FIND_ROOT_PATH)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# FindwxWidgets looks for wx-config only inside CMAKE_FIND_ROOT_PATH when
# cross-compiling, so it would find the prefix's one by itself; naming it
# keeps the host's GTK wx-config out for sure, and --prefix has it look for
# its configurations in this prefix only. The prefix cannot be moved: its
# wx-config is a link to an absolute path.
if(ORVISTA_WX_PREFIX)
  set(wxWidgets_CONFIG_EXECUTABLE "${ORVISTA_WX_PREFIX}/bin/wx-config" CACHE FILEPATH
    "wx-config of the Windows build of wxWidgets")
  set(wxWidgets_CONFIG_OPTIONS "--prefix=${ORVISTA_WX_PREFIX}")
endif()

# No MinGW runtime DLLs at run time: -static also takes winpthread, zlib and
# the other system libraries from their .a files.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++")

# Test programs and gtest_discover_tests() run the .exe files through Wine.
# The environment (WINEPREFIX, WINEDEBUG, WINEDLLOVERRIDES, TZ) is the
# caller's: ctest passes it on. Between Wine and the program sits
# run-without-tz.exe from the prefix: Wine takes its Windows time zone from TZ
# (TZ=Europe/Berlin gives Central European time with the right switch days),
# while the program must not see TZ, whose zone names the C runtime misreads.
find_program(ORVISTA_WINE NAMES wine wine64 DOC "Wine, to run the Windows programs")
if(ORVISTA_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR "${ORVISTA_WINE}")
  if(ORVISTA_WX_PREFIX AND EXISTS "${ORVISTA_WX_PREFIX}/bin/run-without-tz.exe")
    list(APPEND CMAKE_CROSSCOMPILING_EMULATOR "${ORVISTA_WX_PREFIX}/bin/run-without-tz.exe")
  endif()
endif()
# List the tests when ctest runs, not while building: the build then needs
# neither Wine nor a display, and GUI test programs list their tests inside
# the same xvfb-run as the tests.
if(NOT DEFINED CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE)
  set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)
endif()
