# Shared by both Windows toolchains; the caller sets DRAXOME_MINGW to the target triple.
set(CMAKE_SYSTEM_NAME Windows)
# The posix thread model: GoogleTest needs std::mutex, which the win32 model lacks.
set(CMAKE_C_COMPILER ${DRAXOME_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${DRAXOME_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${DRAXOME_MINGW}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${DRAXOME_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Everything static: the .exe files are all a Windows user copies.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# ctest runs the Windows executables through Wine with the build's own prefix, whose
# architecture (win32 or win64) tools/wine-run reads from the prefix itself.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tools/wine-run)
