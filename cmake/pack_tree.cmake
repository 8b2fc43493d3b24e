# Run by cpack before it packs the staged tree: every file and directory takes the release's
# date (SOURCE_DATE_EPOCH, set by the project's cpack configuration), since the archive
# formats keep the times the build happened to give them, and the modes a package needs
# (directories 755, files 644, programs 755), whatever the builder's umask.
execute_process(COMMAND chmod -R u+rwX,go+rX,go-w ${CPACK_TEMPORARY_INSTALL_DIRECTORY}
  COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND find ${CPACK_TEMPORARY_INSTALL_DIRECTORY} -exec
  touch -h -d @$ENV{SOURCE_DATE_EPOCH} {} +
  COMMAND_ERROR_IS_FATAL ANY)
