# GyrantrixConfig.cmake — find_package(Gyrantrix) for mingw-w64 applications.
# Gives Gyrantrix::gyrantrix (the input library, gyrantrix.h) and
# Gyrantrix::slim (the matrix library, gyx_slim.h) built for the consumer's
# architecture: lib/x86_64 for 64-bit programs, lib/i686 for 32-bit ones.
get_filename_component(_gyx_root "${CMAKE_CURRENT_LIST_DIR}/../../.." ABSOLUTE)

if(NOT WIN32)
  set(Gyrantrix_FOUND FALSE)
  set(Gyrantrix_NOT_FOUND_MESSAGE
      "Gyrantrix applications are Win32 programs: configure with a mingw-w64 toolchain file "
      "(${_gyx_root}/toolchains)")
  return()
endif()
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(_gyx_arch x86_64)
elseif(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(_gyx_arch i686)
else()
  set(Gyrantrix_FOUND FALSE)
  set(Gyrantrix_NOT_FOUND_MESSAGE "Gyrantrix: no C or C++ language enabled to tell the architecture")
  return()
endif()

set(_gyx_lib ${_gyx_root}/lib/${_gyx_arch})
foreach(_gyx_file ${_gyx_lib}/libgyrantrix.a ${_gyx_lib}/libgyx_slim.a ${_gyx_root}/include/gyrantrix.h)
  if(NOT EXISTS ${_gyx_file})
    set(Gyrantrix_FOUND FALSE)
    set(Gyrantrix_NOT_FOUND_MESSAGE "Gyrantrix: ${_gyx_file} is missing (the SDK has no ${_gyx_arch} libraries)")
    return()
  endif()
endforeach()

# The libraries are C++ inside: CXX makes CMake link with g++, and the
# runtime is linked in so that the program needs no mingw DLLs beside it.
if(NOT TARGET Gyrantrix::gyrantrix)
  add_library(Gyrantrix::gyrantrix STATIC IMPORTED)
  set_target_properties(Gyrantrix::gyrantrix PROPERTIES
    IMPORTED_LOCATION ${_gyx_lib}/libgyrantrix.a
    IMPORTED_LINK_INTERFACE_LANGUAGES CXX
    INTERFACE_INCLUDE_DIRECTORIES ${_gyx_root}/include
    INTERFACE_LINK_LIBRARIES "winmm;user32;kernel32"
    INTERFACE_LINK_OPTIONS "-static")
endif()
if(NOT TARGET Gyrantrix::slim)
  add_library(Gyrantrix::slim STATIC IMPORTED)
  set_target_properties(Gyrantrix::slim PROPERTIES
    IMPORTED_LOCATION ${_gyx_lib}/libgyx_slim.a
    IMPORTED_LINK_INTERFACE_LANGUAGES CXX
    INTERFACE_INCLUDE_DIRECTORIES ${_gyx_root}/include
    INTERFACE_LINK_OPTIONS "-static")
endif()
set(Gyrantrix_ARCH ${_gyx_arch})
unset(_gyx_root)
unset(_gyx_lib)
unset(_gyx_arch)
unset(_gyx_file)
