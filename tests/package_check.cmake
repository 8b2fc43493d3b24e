# The desktop platform's zip: made by cpack from the build, it holds the program (stripped),
# its manual as plain text with CR LF line ends, and duopit-plot, and nothing else.
file(REMOVE ${PACKAGE})
execute_process(COMMAND cpack -G ZIP WORKING_DIRECTORY ${BUILD_DIR} OUTPUT_QUIET
  COMMAND_ERROR_IS_FATAL ANY)
set(unpacked ${BUILD_DIR}/package-check)
file(REMOVE_RECURSE ${unpacked})
file(MAKE_DIRECTORY ${unpacked})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf ${PACKAGE} WORKING_DIRECTORY ${unpacked}
  COMMAND_ERROR_IS_FATAL ANY)
file(GLOB_RECURSE entries RELATIVE ${unpacked} ${unpacked}/*)
list(SORT entries)
if(NOT entries STREQUAL "duopit-plot.exe;duopit.exe;duopit.txt")
  message(FATAL_ERROR "the zip holds ${entries}, not duopit.exe, duopit.txt and duopit-plot.exe")
endif()
# CMake's own string handling drops carriage returns, so the bytes are looked at by Python.
execute_process(COMMAND python3 -c [[
import sys
text = open(sys.argv[1], "rb").read()
plain = all(32 <= b < 127 or b in (10, 13) for b in text)
crlf = text.count(b"\n") == text.count(b"\r\n") > 0
sys.exit(0 if plain and crlf and b"DUOPIT(1)" in text and b"sqrt(difx2" in text else 1)
]] ${unpacked}/duopit.txt RESULT_VARIABLE not_plain)
if(NOT not_plain EQUAL 0)
  message(FATAL_ERROR "duopit.txt is not the manual as plain ASCII with CR LF line ends")
endif()
file(SIZE ${unpacked}/duopit.exe packed)
file(SIZE ${BUILD_DIR}/duopit.exe built)
if(NOT packed LESS built)
  message(FATAL_ERROR "the packed program (${packed} bytes) is not stripped (${built} bytes)")
endif()
