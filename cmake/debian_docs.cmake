# Writes the Debian package's documentation into DOC_DIR: copyright, the machine-readable
# form of LICENSE (its MIT terms are the Expat license in Debian's names), and changelog.gz,
# one entry for VERSION dated from the release's date (cmake/source_date_epoch.cmake).
#   cmake -D SOURCE_DIR=. -D DOC_DIR=... -D PACKAGE=duopit -D VERSION=1.0
#         -D MAINTAINER="name <address>" -P cmake/debian_docs.cmake
include(${CMAKE_CURRENT_LIST_DIR}/source_date_epoch.cmake)
file(READ ${SOURCE_DIR}/LICENSE license)
if(NOT license MATCHES "Copyright \\(c\\) ([0-9]+) ([^\n]+)\n\n(.*[^\n])\n*$")
  message(FATAL_ERROR "LICENSE: no copyright line followed by the terms")
endif()
set(year ${CMAKE_MATCH_1})
set(holder ${CMAKE_MATCH_2})
set(terms ${CMAKE_MATCH_3})
# In the copyright format the terms are indented by one blank, and an empty line is " .".
string(REPLACE "\n\n" "\n.\n" terms "${terms}")
string(REPLACE "\n" "\n " terms " ${terms}")
file(MAKE_DIRECTORY ${DOC_DIR})
file(WRITE ${DOC_DIR}/copyright
"Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: ${PACKAGE}

Files: *
Copyright: ${year} ${holder}
License: Expat

License: Expat
${terms}
")
string(TIMESTAMP date "%a, %d %b %Y %H:%M:%S +0000" UTC)
file(WRITE ${DOC_DIR}/changelog
"${PACKAGE} (${VERSION}) unstable; urgency=medium

  * Release ${VERSION}.

 -- ${MAINTAINER}  ${date}
")
execute_process(COMMAND gzip -9nf ${DOC_DIR}/changelog COMMAND_ERROR_IS_FATAL ANY)
