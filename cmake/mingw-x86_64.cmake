# The same sources as 64-bit Windows programs: the test vehicle on hosts that cannot run
# 32-bit programs, and a check that nothing assumes 32-bit sizes.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(DRAXOME_MINGW x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
