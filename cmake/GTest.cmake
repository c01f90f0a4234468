# GoogleTest is built from Debian's sources with whichever compiler the preset uses,
# so the same tests run natively and, cross-compiled, under Wine.
set(DRAXOME_GTEST_SRC /usr/src/googletest CACHE PATH "GoogleTest sources")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
set(_saved_flags ${CMAKE_CXX_FLAGS})
add_subdirectory(${DRAXOME_GTEST_SRC} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
# Their own warnings are not ours to fix.
foreach(t gtest gtest_main)
  target_compile_options(${t} PRIVATE -w)
endforeach()
