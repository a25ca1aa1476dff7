# Shared helpers for both trees.

# Sanitizers apply to every native target once enabled, so portable code is
# exercised under ASan/UBSan exactly as the tests run it.
if(NOT GYX_WIN32 AND GYX_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# The fuzz tree instruments every portable library for libFuzzer's coverage
# feedback; only the fuzz targets themselves link libFuzzer's main.
if(GYX_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "GYX_FUZZ needs clang (cmake --preset fuzz)")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

if(GYX_WIN32)
  # The mingw runtime DLLs are not on Wine's path: link everything statically.
  add_link_options(-static -static-libgcc -static-libstdc++)
  add_compile_definitions(WIN32_LEAN_AND_MEAN _WIN32_WINNT=0x0601)
endif()

# gyx_add_if_exists(dir): lets subsystems appear one at a time without the
# top-level list changing each time.
function(gyx_subdir_if_exists dir)
  if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/CMakeLists.txt)
    add_subdirectory(${dir})
  endif()
endfunction()

# gyx_glob_sources(var dir): portable sources of a directory, i.e. every .cpp
# that does not end in _win.cpp. Win32-only files carry the _win suffix.
function(gyx_portable_sources var dir)
  file(GLOB all CONFIGURE_DEPENDS ${dir}/*.cpp)
  list(FILTER all EXCLUDE REGEX "_win\\.cpp$")
  set(${var} ${all} PARENT_SCOPE)
endfunction()

# A program's entry file (*main_win.cpp) stays out of its library.
function(gyx_win_sources var dir)
  file(GLOB all CONFIGURE_DEPENDS ${dir}/*_win.cpp)
  list(FILTER all EXCLUDE REGEX "main_win\\.cpp$")
  set(${var} ${all} PARENT_SCOPE)
endfunction()

# gyx_add_library(kind name dir [deps...]): a static library of dir's
# sources of one kind — PORTABLE (every .cpp but *_win.cpp, built in both
# trees) or WIN (the *_win.cpp layer, win64 tree) — registered for
# gyx_link_all.
function(gyx_add_library kind name dir)
  if(kind STREQUAL "WIN")
    gyx_win_sources(srcs ${dir})
  else()
    gyx_portable_sources(srcs ${dir})
  endif()
  if(NOT srcs)
    return()
  endif()
  add_library(${name} STATIC ${srcs})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR} ${dir})
  if(ARGN)
    target_link_libraries(${name} PUBLIC ${ARGN})
  endif()
  set_property(GLOBAL APPEND PROPERTY GYX_${kind}_LIBS ${name})
endfunction()

function(gyx_portable_library name dir)
  gyx_add_library(PORTABLE ${name} ${dir} ${ARGN})
endfunction()

function(gyx_win_library name dir)
  gyx_add_library(WIN ${name} ${dir} ${ARGN})
endfunction()

# Every library of a kind. Targets link what they use by name
# (target_link_libraries); each library declares what it calls, so CMake
# orders the link line, and the few cycles (a portable core and the Win32
# layer behind its seams) are repeated by CMake itself. This remains for
# programs that really use everything.
function(gyx_link_all target kind)
  get_property(done TARGET ${target} PROPERTY GYX_LINKED_ALL)
  if(done)
    return()
  endif()
  get_property(libs GLOBAL PROPERTY GYX_PORTABLE_LIBS)
  if(kind STREQUAL "WIN")
    get_property(win GLOBAL PROPERTY GYX_WIN_LIBS)
    set(libs ${win} ${libs})
  endif()
  if(libs)
    target_link_libraries(${target} PRIVATE ${libs})
    set_property(TARGET ${target} PROPERTY GYX_LINKED_ALL ${kind})
  endif()
endfunction()
