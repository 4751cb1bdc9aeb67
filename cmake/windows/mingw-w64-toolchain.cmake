# Cross-building for 64-bit Windows with Debian's MinGW-w64 compiler (posix threads), against the
# toolchain folder that scripts/windows/toolchain.sh makes (QUILLET_WINDOWS_TOOLCHAIN, given with -D or
# in the environment). Used for qtbase itself and for Quillet.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(quillet_triple x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${quillet_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${quillet_triple}-g++-posix)
set(CMAKE_RC_COMPILER ${quillet_triple}-windres)
set(CMAKE_AR ${quillet_triple}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${quillet_triple}-gcc-ranlib-posix CACHE FILEPATH "")

if(NOT QUILLET_WINDOWS_TOOLCHAIN AND DEFINED ENV{QUILLET_WINDOWS_TOOLCHAIN})
    set(QUILLET_WINDOWS_TOOLCHAIN $ENV{QUILLET_WINDOWS_TOOLCHAIN})
endif()
if(NOT QUILLET_WINDOWS_TOOLCHAIN)
    message(FATAL_ERROR "QUILLET_WINDOWS_TOOLCHAIN is not set: run scripts/windows/toolchain.sh")
endif()
# try_compile projects see only what is listed here.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES QUILLET_WINDOWS_TOOLCHAIN)

set(CMAKE_FIND_ROOT_PATH /usr/${quillet_triple} ${QUILLET_WINDOWS_TOOLCHAIN}/qt-mingw
    ${QUILLET_WINDOWS_TOOLCHAIN}/icu-mingw ${QUILLET_WINDOWS_TOOLCHAIN}/sodium-mingw)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(ENV{PKG_CONFIG_LIBDIR} "${QUILLET_WINDOWS_TOOLCHAIN}/sodium-mingw/lib/pkgconfig:${QUILLET_WINDOWS_TOOLCHAIN}/icu-mingw/lib/pkgconfig")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")

# moc, rcc and uic come from the build machine's own Qt of the same version.
set(QT_HOST_PATH /usr)
set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake)

# Tests and try_run go through Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../../scripts/windows/wine-run.sh)
