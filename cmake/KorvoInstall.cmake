# `cmake --install build --prefix P`: the SDK outside this tree. P/bin has the runtime and the
# tools, P/lib the runtime library, P/include/korvo the headers, P/share/korvo the support
# source, P/lib/cmake/Korvo the CMake package and P/lib/pkgconfig/korvo.pc the program flags.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)
set(KORVO_INSTALL_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR}/korvo)
set(KORVO_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/korvo)
set(KORVO_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/Korvo)

install(TARGETS korvo-runtime korvo-run korvo-pack korvo-attach RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS korvo LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(FILES ${KORVO_SDK_DIR}/korvo.h ${KORVO_SDK_DIR}/korvo.hpp ${KORVO_SDK_DIR}/korvo_layout.h
  ${KORVO_SDK_DIR}/korvo_string.hpp ${KORVO_SDK_DIR}/korvo_language.hpp DESTINATION ${KORVO_INSTALL_INCLUDEDIR})
install(FILES ${KORVO_SUPPORT_SOURCE} DESTINATION ${KORVO_INSTALL_DATADIR})

configure_package_config_file(cmake/KorvoConfig.cmake.in ${CMAKE_BINARY_DIR}/KorvoConfig.cmake
  INSTALL_DESTINATION ${KORVO_INSTALL_CMAKEDIR}
  PATH_VARS KORVO_INSTALL_INCLUDEDIR KORVO_INSTALL_DATADIR CMAKE_INSTALL_BINDIR)
write_basic_package_version_file(${CMAKE_BINARY_DIR}/KorvoConfigVersion.cmake COMPATIBILITY SameMinorVersion)
install(FILES ${CMAKE_BINARY_DIR}/KorvoConfig.cmake ${CMAKE_BINARY_DIR}/KorvoConfigVersion.cmake
  cmake/KorvoProgram.cmake DESTINATION ${KORVO_INSTALL_CMAKEDIR})

string(REGEX REPLACE "[^/]+" ".." KORVO_PC_UP ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
string(JOIN " " KORVO_PC_FLAGS ${KORVO_PROGRAM_FLAGS})
string(JOIN " " KORVO_PC_CXX_FLAGS ${KORVO_PROGRAM_CXX_FLAGS})
configure_file(cmake/korvo.pc.in ${CMAKE_BINARY_DIR}/korvo.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/korvo.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
