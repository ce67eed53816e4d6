# Read by cpack once for each package it makes (CPACK_GENERATOR is then that package's
# kind): the .deb installs the Debian copyright file and changelog, the .tar.gz the
# LICENSE, each beside the files every package holds (see packaging.cmake).
if(CPACK_GENERATOR STREQUAL "DEB")
  set(CPACK_INSTALL_CMAKE_PROJECTS ${CPACK_WBL_DEBIAN_PROJECTS})
else()
  set(CPACK_INSTALL_CMAKE_PROJECTS ${CPACK_WBL_ARCHIVE_PROJECTS})
endif()
