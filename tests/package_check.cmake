# The desktop platform's zip: made by cpack from the build, it unpacks into one folder that
# holds the programs (stripped), each one's manual as plain text with CR LF line ends, written
# for that platform's console, and the license, and nothing else.
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
set(folder duopit-${VERSION}-win32)
set(expected ${folder}/LICENSE.txt ${folder}/duopit-plot.exe ${folder}/duopit-plot.txt
  ${folder}/duopit.exe ${folder}/duopit.txt)
if(NOT entries STREQUAL "${expected}")
  message(FATAL_ERROR "the zip holds ${entries}, not ${folder}/ with the programs, their "
    "manuals and LICENSE.txt")
endif()
# CMake's own string handling drops carriage returns, so the bytes are looked at by Python.
execute_process(COMMAND python3 -c [[
import re, sys
faults = []
for name in sys.argv[1:]:
    text = open(name, "rb").read()
    if not all(32 <= b < 127 or b in (10, 13) for b in text):
        faults.append(name + ": not plain ASCII")
    if not text.count(b"\n") == text.count(b"\r\n") > 0:
        faults.append(name + ": lines not ended by CR LF")
manual = open(sys.argv[1], "rb").read().decode()
flat = re.sub(r"\s+", " ", manual)
for needed in ("duopit.exe", "Ctrl-Z then Enter", "type duopit.dat", "F6422", "sqrt(difx2"):
    if needed not in flat:
        faults.append("the manual does not say " + needed)
# Nothing that exists only on a POSIX host or only in the source tree.
for foreign in (r"Ctrl-D", r"\bsed\b", r"cat -A", r"\bfg\b", r"README\.md", r"ulimit",
                r"\.cpp\b", r"duopit\(1\)", r"/dev/"):
    if re.search(foreign, flat):
        faults.append("the manual names " + foreign)
print("\n".join(faults))
sys.exit(1 if faults else 0)
]] ${unpacked}/${folder}/duopit.txt ${unpacked}/${folder}/LICENSE.txt
  ${unpacked}/${folder}/duopit-plot.txt RESULT_VARIABLE faulty)
if(NOT faulty EQUAL 0)
  message(FATAL_ERROR "the zip's texts are not as the desktop platform's release needs")
endif()
file(SIZE ${unpacked}/${folder}/duopit.exe packed)
file(SIZE ${BUILD_DIR}/duopit.exe built)
if(NOT packed LESS built)
  message(FATAL_ERROR "the packed program (${packed} bytes) is not stripped (${built} bytes)")
endif()
