# install.cmake — what `cmake --install` of a Win32 tree puts into a folder:
# the SDK (headers, this architecture's input and matrix libraries, the CMake
# package, the sample and the toolchain files; component "sdk") and, in the
# x86_64 tree, the programs with their help pages (component "programs").
# The x86_64 and i686 trees install into the same folder side by side.
if(NOT GYX_WIN32)
  return()
endif()

set(GYX_SDK_VERSION 8.0)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(GYX_SDK_ARCH x86_64)
else()
  set(GYX_SDK_ARCH i686)
endif()

install(TARGETS gyrantrix gyx_slim ARCHIVE DESTINATION lib/${GYX_SDK_ARCH} COMPONENT sdk)
install(FILES ${CMAKE_SOURCE_DIR}/lib/gyrantrix.h ${CMAKE_SOURCE_DIR}/lib/gitypes.h
              ${CMAKE_SOURCE_DIR}/slim/gyx_slim.h
        DESTINATION include COMPONENT sdk)

include(CMakePackageConfigHelpers)
# One package for both architectures: the configuration file picks the
# libraries by the consumer's pointer size, so the version file must not.
write_basic_package_version_file(${CMAKE_BINARY_DIR}/sdk/GyrantrixConfigVersion.cmake
                                 VERSION ${GYX_SDK_VERSION} COMPATIBILITY SameMajorVersion ARCH_INDEPENDENT)
install(FILES ${CMAKE_SOURCE_DIR}/cmake/sdk/GyrantrixConfig.cmake
              ${CMAKE_BINARY_DIR}/sdk/GyrantrixConfigVersion.cmake
        DESTINATION lib/cmake/Gyrantrix COMPONENT sdk)
install(FILES ${CMAKE_SOURCE_DIR}/examples/hello_gi.c DESTINATION sample COMPONENT sdk)
install(FILES ${CMAKE_SOURCE_DIR}/cmake/sdk/sample.cmake DESTINATION sample RENAME CMakeLists.txt COMPONENT sdk)
install(FILES ${CMAKE_SOURCE_DIR}/cmake/mingw-w64.cmake ${CMAKE_SOURCE_DIR}/cmake/mingw-w64-i686.cmake
        DESTINATION toolchains COMPONENT sdk)

if(TARGET gyxsrv)
  install(TARGETS gyxsrv evtview jet RUNTIME DESTINATION bin COMPONENT programs)
  install(FILES ${CMAKE_SOURCE_DIR}/driver/gyxsrv.html ${CMAKE_SOURCE_DIR}/jet/jet.html
          DESTINATION bin COMPONENT programs)
endif()
