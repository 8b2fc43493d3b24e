# Copies the text INPUT to OUTPUT with its lines ended by CR LF, as the desktop platform's
# text files are.   cmake -D INPUT=LICENSE -D OUTPUT=LICENSE.txt -P cmake/crlf_text.cmake
file(READ ${INPUT} text)
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE ${OUTPUT} "${text}")
