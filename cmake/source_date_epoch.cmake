# Sets the environment variable SOURCE_DATE_EPOCH, the one date a release carries, when it is
# not set already: the time of the source tree's last commit, so that two builds of one
# commit give the same bytes whenever and wherever they are made. A tree outside git takes
# the time of its LICENSE file. Included by the packaging scripts; SOURCE_DIR names the tree.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  execute_process(COMMAND git -C ${SOURCE_DIR} log -1 --format=%ct
    OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE failed ERROR_QUIET)
  if(failed OR NOT epoch MATCHES "^[0-9]+$")
    file(TIMESTAMP ${SOURCE_DIR}/LICENSE epoch "%s" UTC)
  endif()
  set(ENV{SOURCE_DATE_EPOCH} ${epoch})
endif()
