# The Debian package: made by cpack from the build, unpacked into a fresh root, it must hold
# the stripped program in usr/bin, the compressed manual page and the machine-readable
# copyright, depend on nothing (the program is static), satisfy lintian without an error or
# a warning, and its program must write the report of the answer 0.
file(REMOVE_RECURSE ${BUILD_DIR}/deb-check)
execute_process(COMMAND cpack -G DEB -B ${BUILD_DIR}/deb-check WORKING_DIRECTORY ${BUILD_DIR}
  OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
file(GLOB package ${BUILD_DIR}/deb-check/duopit_${VERSION}_${ARCHITECTURE}.deb)
if(NOT package)
  message(FATAL_ERROR "cpack made no duopit_${VERSION}_${ARCHITECTURE}.deb")
endif()
set(root ${BUILD_DIR}/deb-check/root)
execute_process(COMMAND dpkg-deb -x ${package} ${root} COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND dpkg-deb -f ${package} Depends Pre-Depends OUTPUT_VARIABLE depends
  COMMAND_ERROR_IS_FATAL ANY)
if(NOT depends STREQUAL "" AND STATIC)
  message(FATAL_ERROR "the static program's package depends on: ${depends}")
endif()
foreach(installed usr/bin/duopit usr/share/man/man1/duopit.1.gz usr/share/doc/duopit/copyright
    usr/share/doc/duopit/changelog.gz)
  if(NOT EXISTS ${root}/${installed})
    message(FATAL_ERROR "not in the package: ${installed}")
  endif()
endforeach()
file(READ ${root}/usr/share/doc/duopit/copyright copyright)
if(NOT copyright MATCHES "^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"
   OR NOT copyright MATCHES "\nCopyright: [0-9]+ The duopit developers\nLicense: Expat\n")
  message(FATAL_ERROR "the copyright file is not in the machine-readable format:\n${copyright}")
endif()
execute_process(COMMAND ${READELF} --section-headers --wide ${root}/usr/bin/duopit
  OUTPUT_VARIABLE sections COMMAND_ERROR_IS_FATAL ANY)
if(sections MATCHES "[ ]\\.symtab[ ]")
  message(FATAL_ERROR "the packaged program is not stripped")
endif()

file(MAKE_DIRECTORY ${root}/run)
file(WRITE ${root}/answer "0\n")
execute_process(COMMAND ${LAUNCHER} ${root}/usr/bin/duopit WORKING_DIRECTORY ${root}/run
  INPUT_FILE ${root}/answer RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "the packaged program ended with ${result}")
endif()
file(SIZE ${root}/run/duopit.dat bytes)
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${root}/run/duopit.dat
  ${EXPECTED_REPORT} RESULT_VARIABLE differs)
if(NOT bytes EQUAL 2484 OR differs)
  message(FATAL_ERROR "the packaged program's report (${bytes} bytes) is not the expected one")
endif()

execute_process(COMMAND lintian --fail-on error,warning ${package} RESULT_VARIABLE faulty
  OUTPUT_VARIABLE hints ERROR_VARIABLE hints)
if(NOT faulty EQUAL 0)
  message(FATAL_ERROR "lintian:\n${hints}")
endif()
