# Renders the manual page as plain text for the 32-bit desktop platform's package: ASCII
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
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE ${OUTPUT} "${text}")
