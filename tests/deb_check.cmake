# The Debian package: made by cpack from the build, it must satisfy lintian without an error or
# a warning (which covers a program left unstripped, a manual page missing or uncompressed, a
# copyright file missing or not in the machine-readable format), depend on nothing when the
# program is static, and its program, unpacked into a fresh root, must write the report of
# the answer 0.
file(REMOVE_RECURSE ${BUILD_DIR}/deb-check)
execute_process(COMMAND cpack -G DEB -B ${BUILD_DIR}/deb-check WORKING_DIRECTORY ${BUILD_DIR}
  OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
set(package ${BUILD_DIR}/deb-check/duopit_${VERSION}_${ARCHITECTURE}.deb)
execute_process(COMMAND lintian --fail-on error,warning ${package} RESULT_VARIABLE faulty
  OUTPUT_VARIABLE hints ERROR_VARIABLE hints)
execute_process(COMMAND dpkg-deb -f ${package} Depends Pre-Depends OUTPUT_VARIABLE depends
  COMMAND_ERROR_IS_FATAL ANY)
if(faulty OR (STATIC AND NOT depends STREQUAL ""))
  message(FATAL_ERROR "lintian (${faulty}):\n${hints}\nDepends: ${depends}")
endif()
set(root ${BUILD_DIR}/deb-check/root)
execute_process(COMMAND dpkg-deb -x ${package} ${root} COMMAND_ERROR_IS_FATAL ANY)
file(WRITE ${root}/answer "0\n")
execute_process(COMMAND ${LAUNCHER} ${root}/usr/bin/duopit WORKING_DIRECTORY ${root}
  INPUT_FILE ${root}/answer RESULT_VARIABLE result OUTPUT_QUIET)
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${root}/duopit.dat ${EXPECTED_REPORT}
  RESULT_VARIABLE differs)
if(NOT result EQUAL 0 OR differs)
  message(FATAL_ERROR "the packaged program ended with ${result}, its report differs: ${differs}")
endif()
