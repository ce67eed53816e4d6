# Install rules and packages. `cpack` packs what `cmake --install` installs: a ZIP for
# Windows, a .tar.gz and a .deb elsewhere. Nothing but the programs of WBL_PROGRAMS and
# their documents is installed (no test, benchmark or fuzz program).
#
# Windows (ZIP): the programs, README.txt, LICENSE.txt and demo.cmd (the demo with the
# programs beside it; all three with CR LF line ends) at the top of the folder, the example
# label files in examples\ beside them, with CR LF line ends too.
# Elsewhere: the programs in bin/, the manual pages in share/man/man1/ (gzip -9n), and in
# share/doc/write-brimel-label/ (the Debian package's name, which the .deb's documents
# must carry) the README and the examples; the .tar.gz adds LICENSE, the .deb the Debian
# copyright file and changelog instead (see cmake/cpack_generator.cmake).
include(GNUInstallDirs)

set(WBL_CONTACT "write_brimel_label developers <write-brimel-label@example.org>")
# The generated documents: README.txt, LICENSE.txt, the Debian copyright file, the
# compressed manual pages and changelog.
set(WBL_PACKAGE_FILES ${PROJECT_BINARY_DIR}/package_files)

# Copies SOURCE to WBL_PACKAGE_FILES/NAME with CR LF line ends, for Windows readers. The
# copy is made at configure time: a change to SOURCE reconfigures.
function(wbl_crlf_copy source name)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
  file(READ ${source} text)
  # A checkout made with CR LF line ends (git's core.autocrlf on Windows) gets no CR CR LF.
  string(REPLACE "\r\n" "\n" text "${text}")
  string(REPLACE "\n" "\r\n" text "${text}")
  file(WRITE ${WBL_PACKAGE_FILES}/${name} "${text}")
endfunction()

# README.txt for the ZIP: the parts of README.md that hold on Windows, each between a line
# "<!-- README.txt -->" and a line "<!-- /README.txt -->" (the introduction, the Windows
# steps, and the label file, the programs and the rest from there on), one blank line
# between parts, with CR LF line ends. The rest of README.md is the Linux packages and the
# checkout, whose paths mean nothing in the ZIP. Made at configure time: a change to
# README.md reconfigures.
function(wbl_windows_readme name)
  set(readme ${PROJECT_SOURCE_DIR}/README.md)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${readme})
  file(READ ${readme} rest)
  set(begin "<!-- README.txt -->\n")
  set(end "<!-- /README.txt -->\n")
  string(LENGTH "${begin}" begin_length)
  string(LENGTH "${end}" end_length)
  set(text "")
  while(TRUE)
    string(FIND "${rest}" "${begin}" first)
    if(first LESS 0)
      break()
    endif()
    math(EXPR first "${first} + ${begin_length}")
    string(SUBSTRING "${rest}" ${first} -1 rest)
    string(FIND "${rest}" "${end}" last)
    if(last LESS 0)
      message(FATAL_ERROR "README.md: a part for README.txt does not end")
    endif()
    string(SUBSTRING "${rest}" 0 ${last} part)
    if(NOT text STREQUAL "")
      string(APPEND text "\n")
    endif()
    string(APPEND text "${part}")
    math(EXPR last "${last} + ${end_length}")
    string(SUBSTRING "${rest}" ${last} -1 rest)
  endwhile()
  if(text STREQUAL "")
    message(FATAL_ERROR "README.md: no part is marked for README.txt")
  endif()
  string(REPLACE "\n" "\r\n" text "${text}")
  file(WRITE ${WBL_PACKAGE_FILES}/${name} "${text}")
endfunction()

# The Debian copyright file in the machine-readable format, made from LICENSE: its
# copyright line, and its permission text as the Expat licence (the MIT licence's
# unambiguous name), indented, with " ." for an empty line. Made at configure time: a
# change to LICENSE reconfigures.
function(wbl_debian_copyright)
  set(licence ${PROJECT_SOURCE_DIR}/LICENSE)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${licence})
  file(READ ${licence} text)
  string(REGEX MATCH "Copyright \\(c\\) ([^\n]*)" line "${text}")
  set(holder "${CMAKE_MATCH_1}")
  string(FIND "${text}" "Permission is hereby granted" start)
  if(NOT line OR start LESS 0)
    message(FATAL_ERROR "LICENSE: no copyright line or no permission text")
  endif()
  string(SUBSTRING "${text}" ${start} -1 body)
  string(STRIP "${body}" body)
  string(REPLACE "\n\n" "\n.\n" body "${body}")
  string(REPLACE "\n" "\n " body "${body}")
  file(WRITE ${WBL_PACKAGE_FILES}/copyright
    "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"
    "Upstream-Name: ${PROJECT_NAME}\n"
    "Upstream-Contact: ${WBL_CONTACT}\n"
    "\n"
    "Files: *\n"
    "Copyright: ${holder}\n"
    "License: Expat\n"
    " ${body}\n")
endfunction()

# Compresses SOURCE into WBL_PACKAGE_FILES/NAME.gz at build time, the way Debian wants
# it: best compression, and no name or time stamp in the header (-n), so that the same
# source gives the same bytes.
function(wbl_gzip source name)
  set(copy ${WBL_PACKAGE_FILES}/${name})
  add_custom_command(OUTPUT ${copy}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${source} ${copy}
    COMMAND ${WBL_GZIP} -9nf ${copy}
    DEPENDS ${source}
    COMMENT "Compressing ${name}"
    VERBATIM)
  set_property(GLOBAL APPEND PROPERTY WBL_GZIPPED ${copy}.gz)
endfunction()

# The pages the README links to, installed where its links lead.
set(WBL_LINKED_DOCS ${PROJECT_SOURCE_DIR}/docs/json.md ${PROJECT_SOURCE_DIR}/docs/internals.md)
if(WIN32)
  install(TARGETS ${WBL_PROGRAMS} RUNTIME DESTINATION .)
  wbl_windows_readme(README.txt)
  wbl_crlf_copy(${PROJECT_SOURCE_DIR}/LICENSE LICENSE.txt)
  # cmd reads a batch file with LF line ends alone wrongly at times (a label it jumps to).
  wbl_crlf_copy(${PROJECT_SOURCE_DIR}/scripts/demo.cmd demo.cmd)
  install(FILES ${WBL_PACKAGE_FILES}/README.txt ${WBL_PACKAGE_FILES}/LICENSE.txt
    ${WBL_PACKAGE_FILES}/demo.cmd DESTINATION .)
  # Every example label file with CR LF line ends too, as Notepad and cmd expect them.
  file(GLOB examples CONFIGURE_DEPENDS RELATIVE ${PROJECT_SOURCE_DIR}/examples
       ${PROJECT_SOURCE_DIR}/examples/*)
  foreach(example IN LISTS examples)
    wbl_crlf_copy(${PROJECT_SOURCE_DIR}/examples/${example} examples/${example})
    install(FILES ${WBL_PACKAGE_FILES}/examples/${example} DESTINATION examples)
  endforeach()
  # The README's links to the JSON and the internals lead beside it.
  install(FILES ${WBL_LINKED_DOCS} DESTINATION docs)
else()
  find_program(WBL_GZIP gzip REQUIRED)
  set(docdir ${CMAKE_INSTALL_DATAROOTDIR}/doc/write-brimel-label)
  install(TARGETS ${WBL_PROGRAMS} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  # A stripped install (the packages') also drops the compiler's notes, as distributions
  # strip their programs: strip keeps .comment and .note, which no program needs.
  find_program(WBL_OBJCOPY NAMES objcopy REQUIRED)
  foreach(program IN LISTS WBL_PROGRAMS)
    install(CODE "
      if(CMAKE_INSTALL_DO_STRIP)
        execute_process(COMMAND \"${WBL_OBJCOPY}\" --remove-section=.comment
          --remove-section=.note \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/${program}\"
          COMMAND_ERROR_IS_FATAL ANY)
      endif()")
  endforeach()
  install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${docdir})
  install(FILES ${WBL_LINKED_DOCS} DESTINATION ${docdir}/docs)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/ DESTINATION ${docdir}/examples)
  foreach(program IN LISTS WBL_PROGRAMS)
    wbl_gzip(${PROJECT_SOURCE_DIR}/docs/man/${program}.1 ${program}.1)
    install(FILES ${WBL_PACKAGE_FILES}/${program}.1.gz
      DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  endforeach()
  wbl_gzip(${PROJECT_SOURCE_DIR}/cmake/debian/changelog changelog)
  get_property(gzipped GLOBAL PROPERTY WBL_GZIPPED)
  add_custom_target(package_documents ALL DEPENDS ${gzipped})

  wbl_debian_copyright()
  install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${docdir} COMPONENT archive)
  install(FILES ${WBL_PACKAGE_FILES}/copyright ${WBL_PACKAGE_FILES}/changelog.gz
    DESTINATION ${docdir} COMPONENT debian)
  install(FILES ${PROJECT_SOURCE_DIR}/cmake/debian/lintian-overrides
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides RENAME write-brimel-label
    COMPONENT debian)
endif()

set(CPACK_VERBATIM_VARIABLES ON)
set(CPACK_PACKAGE_NAME ${PROJECT_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "write_brimel_label developers")
set(CPACK_PACKAGE_CONTACT ${WBL_CONTACT})
# Debian's limit for the synopsis is 80 characters, and for a description line too.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "writes, backs up and verifies the label presets of networked audio devices")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "write_brimel_label reads a plain-text label file, checks it, and writes its\n"
    "label presets into the audio devices it names, through the local\n"
    "device-management service (TCP 127.0.0.1:7000).\n"
    "\n"
    "read_brimel_label reads the labels back and never writes: it backs them up\n"
    "as a label file, verifies a device against a file after an update, previews\n"
    "an update, and captures a venue's network for rehearsals.\n"
    "\n"
    "sync_brimel_label brings the devices to a label file by writing only the\n"
    "name fields that differ and reading each back, never erasing first.\n"
    "\n"
    "zel_service_sim simulates the device-management service, for rehearsing a\n"
    "transfer without devices.")
set(CPACK_STRIP_FILES ON)

if(WIN32)
  # The executables link the C and C++ runtimes statically (the MinGW toolchain file), so
  # the ZIP holds no DLL: unzip and run.
  set(CPACK_GENERATOR ZIP)
else()
  set(CPACK_GENERATOR TGZ DEB)
  set(CPACK_SYSTEM_NAME ${CMAKE_SYSTEM_NAME}-${CMAKE_SYSTEM_PROCESSOR})
  # What each Linux package installs: the files of every package (the default
  # component) and its own licence files.
  set(CPACK_WBL_ARCHIVE_PROJECTS
    ${PROJECT_BINARY_DIR} ${PROJECT_NAME} Unspecified /
    ${PROJECT_BINARY_DIR} ${PROJECT_NAME} archive /)
  set(CPACK_WBL_DEBIAN_PROJECTS
    ${PROJECT_BINARY_DIR} ${PROJECT_NAME} Unspecified /
    ${PROJECT_BINARY_DIR} ${PROJECT_NAME} debian /)
  set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/cpack_generator.cmake)
  # Debian package names allow no "_".
  set(CPACK_DEBIAN_PACKAGE_NAME write-brimel-label)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION sound)
  # Depends: what dpkg-shlibdeps finds the programs linked against, nothing written by hand.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
endif()

include(CPack)
