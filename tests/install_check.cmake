# Installs the build into PREFIX and checks that the program and its manual page are there,
# that the installed program is stripped (the built one keeps its symbol table, so the check
# can tell), and that the stripped program still writes the report of the answer 0.
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${result}")
endif()
foreach(installed bin/duopit bin/duopit-plot share/man/man1/duopit.1.gz
        share/man/man1/duopit-plot.1.gz share/doc/duopit/copyright)
  if(NOT EXISTS ${PREFIX}/${installed})
    message(FATAL_ERROR "not installed: ${installed}")
  endif()
endforeach()

function(section_names program out)
  execute_process(COMMAND ${READELF} --section-headers --wide ${program}
                  RESULT_VARIABLE result OUTPUT_VARIABLE sections)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "readelf failed on ${program}: ${result}")
  endif()
  set(${out} "${sections}" PARENT_SCOPE)
endfunction()
section_names(${BUILT_PROGRAM} built_sections)
if(NOT built_sections MATCHES "[ ]\\.symtab[ ]")
  message(FATAL_ERROR "the built program has no symbol table: the check below proves nothing")
endif()
section_names(${PREFIX}/bin/duopit installed_sections)
if(installed_sections MATCHES "[ ]\\.symtab[ ]")
  message(FATAL_ERROR "the installed program is not stripped")
endif()

set(run_dir ${PREFIX}/run)
file(MAKE_DIRECTORY ${run_dir})
file(WRITE ${PREFIX}/answer "0\n")
execute_process(COMMAND ${PREFIX}/bin/duopit WORKING_DIRECTORY ${run_dir}
                INPUT_FILE ${PREFIX}/answer RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "the installed program ended with ${result}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${run_dir}/duopit.dat ${EXPECTED_REPORT}
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "the installed program's report differs from the expected report")
endif()
