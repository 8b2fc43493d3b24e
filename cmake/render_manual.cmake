# Renders a manual as plain text for the 32-bit desktop platform's package: ASCII
# only (the few signs that ASCII lacks are spelt out), no overstriking or escape sequences,
# lines ended by CR LF as that platform's text files are.
#   cmake -D PAGE=docs/duopit.1 -D OUTPUT=duopit.txt -P cmake/render_manual.cmake
file(READ ${PAGE} page)
file(WRITE ${OUTPUT}.in ".char \\(sr sqrt\n.char \\(+- +/-\n.char \\(mu x\n${page}")
execute_process(
  COMMAND groff -man -Tascii -P-cbou ${OUTPUT}.in
  OUTPUT_VARIABLE text
  COMMAND_ERROR_IS_FATAL ANY)
file(REMOVE ${OUTPUT}.in)
# The header and footer leave out the manual section, which that platform does not know:
# "DUOPIT(1)" at either end of them becomes "DUOPIT", in the same columns.
string(REGEX REPLACE "(^|\n)([A-Z0-9-]+)\\(1\\)" "\\1\\2   " text "${text}")
string(REGEX REPLACE "([A-Z0-9-]+)\\(1\\)\n" "   \\1\n" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE ${OUTPUT} "${text}")
