# Helpers shared by every folder's CMakeLists.txt.

# draxome_library(name): a static library of every *.cpp in the calling folder, so a class
# joins its subsystem by being there. Main*.cpp holds a program's entry function and is
# left to the program. Files ending in Win.cpp or Posix.cpp are the two sides of a seam:
# only this platform's side is compiled, so no source asks which platform it is on.
function(draxome_library name)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  list(FILTER sources EXCLUDE REGEX "/Main[^/]*\\.cpp$")
  if(WIN32)
    list(FILTER sources EXCLUDE REGEX "Posix\\.cpp$")
  else()
    list(FILTER sources EXCLUDE REGEX "Win\\.cpp$")
  endif()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
endfunction()

# A shipped Windows program opens no window: GUI subsystem, no console.
function(draxome_gui_program target)
  if(WIN32)
    target_link_options(${target} PRIVATE -mwindows)
  endif()
endfunction()

# draxome_test(name SOURCES a.cpp b.cpp LIBS lib... [ENVIRONMENT K=V...] [SERIAL])
# One GoogleTest executable is one ctest test; its cases are listed in its own output.
# Under the Windows preset ctest runs it through Wine in the build's own prefix, which the
# "wineprefix" fixture creates first. SERIAL keeps tests that print out of each other's
# way: Wine's spooler cannot take two jobs from two processes of one prefix at once.
function(draxome_test name)
  cmake_parse_arguments(T "SERIAL" "" "SOURCES;LIBS;ENVIRONMENT" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} gtest_main gtest)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES TIMEOUT 600)
  set(env ${T_ENVIRONMENT})
  if(WIN32)
    # tools/wine-run insists on a prefix; the caller may still name another one.
    set(has_prefix FALSE)
    foreach(entry IN LISTS env)
      if(entry MATCHES "^WINEPREFIX=")
        set(has_prefix TRUE)
      endif()
    endforeach()
    if(NOT has_prefix)
      list(APPEND env "WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix")
    endif()
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wineprefix)
  endif()
  if(env)
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${env}")
  endif()
  if(T_SERIAL)
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK spooler)
  endif()
endfunction()

# draxome_script_test(name script [args...]): a test driven from Linux (bash or python3),
# for system tests that run whole programs and read their output back.
function(draxome_script_test name script)
  add_test(NAME ${name} COMMAND ${script} ${ARGN})
  set_tests_properties(${name} PROPERTIES TIMEOUT 900
    ENVIRONMENT "DRAXOME_BUILD=${CMAKE_BINARY_DIR};DRAXOME_SOURCE=${PROJECT_SOURCE_DIR};WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix")
  if(WIN32)
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wineprefix RESOURCE_LOCK spooler)
  endif()
endfunction()
