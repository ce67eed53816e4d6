# Install rules and packages. `cmake --install` puts the programs of WBL_PROGRAMS in bin/
# and the README and the example label files in share/doc/write_brimel_label/; nothing
# else (no test, benchmark or fuzz program) is installed. `cpack` packs the same tree: a
# ZIP for Windows, a .tar.gz and a .deb elsewhere.
include(GNUInstallDirs)

install(TARGETS ${WBL_PROGRAMS} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/ DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)

set(CPACK_VERBATIM_VARIABLES ON)
set(CPACK_PACKAGE_NAME ${PROJECT_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "write_brimel_label developers")
set(CPACK_PACKAGE_CONTACT "write_brimel_label developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Loads label presets into networked audio devices through the device-management service")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "write_brimel_label reads a plain-text label file, checks it, and writes its label "
    "presets into the audio devices it names through the local device-management service "
    "(TCP 127.0.0.1:7000). zel_service_sim is a simulated service for rehearsing a "
    "transfer without devices.")
set(CPACK_STRIP_FILES ON)

if(WIN32)
  # The executables link the C and C++ runtimes statically (the MinGW toolchain file), so
  # the ZIP holds no DLL: unzip and run.
  set(CPACK_GENERATOR ZIP)
else()
  set(CPACK_GENERATOR TGZ DEB)
  set(CPACK_SYSTEM_NAME ${CMAKE_SYSTEM_NAME}-${CMAKE_SYSTEM_PROCESSOR})
  # Debian package names allow no "_".
  set(CPACK_DEBIAN_PACKAGE_NAME write-brimel-label)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION sound)
  # Depends: what dpkg-shlibdeps finds the programs linked against, nothing written by hand.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
endif()

include(CPack)
