# cmake/release.cmake — what a release holds and how it is packed. On POSIX hosts the
# release is a Debian package (CPack's DEB generator): the programs stripped in /usr/bin,
# their manual pages compressed in /usr/share/man/man1, the copyright and changelog in
# /usr/share/doc/duopit. On the 32-bit desktop platform it is one zip that unpacks into the
# folder duopit-<version>-win32/: the programs stripped, each one's manual as plain text with
# CR LF line ends, and LICENSE.txt. `cmake --build --preset <preset> --target package` makes
# either; `cmake --install` installs the same files from a source build.
#
# A program joins the release with one line after its add_executable:
#   duopit_release_program(TARGET MANUAL docs/NAME.1 [DESKTOP_MANUAL docs/NAME-win32.man])
# The manual page is assembled by cmake/assemble_manual.cmake (its ".so" lines take in the
# texts shared with the desktop manual); without DESKTOP_MANUAL the desktop release renders
# the manual page itself. duopit_release_package() at the end of CMakeLists.txt packs them.

set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
  GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(duopit_release_file_permissions OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
if(DUOPIT_PLATFORM_LAYER STREQUAL "win32")
  set(CMAKE_INSTALL_BINDIR .)
  set(duopit_release_doc_dir .)
else()
  set(duopit_release_doc_dir ${CMAKE_INSTALL_DATADIR}/doc/${PROJECT_NAME})
endif()

# The Debian name of the target's architecture (a cross build's, not the build machine's).
if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(aarch64|arm64)$")
  set(DUOPIT_DEB_ARCHITECTURE arm64)
elseif(CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|amd64)$")
  set(DUOPIT_DEB_ARCHITECTURE amd64)
elseif(CMAKE_SYSTEM_PROCESSOR MATCHES "^i[3-6]86$")
  set(DUOPIT_DEB_ARCHITECTURE i386)
else()
  set(DUOPIT_DEB_ARCHITECTURE ${CMAKE_SYSTEM_PROCESSOR})
endif()

# Binutils' strip takes the statically linked program whichever compiler built it; llvm-strip
# 14 refuses the relocation sections the linker writes for it. A cross build uses its
# toolchain's own.
if(CMAKE_CROSSCOMPILING AND CMAKE_STRIP)
  set(DUOPIT_STRIP ${CMAKE_STRIP})
else()
  find_program(DUOPIT_STRIP NAMES strip)
  if(NOT DUOPIT_STRIP)
    set(DUOPIT_STRIP ${CMAKE_STRIP})
  endif()
endif()

# Assembles the manual SOURCE for PLATFORM (posix or win32) into OUTPUT.
function(duopit_assemble_manual source platform output)
  file(GLOB shared_texts ${CMAKE_SOURCE_DIR}/docs/*.man)
  add_custom_command(OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -D SOURCE=${CMAKE_SOURCE_DIR}/${source} -D PLATFORM=${platform}
            -D OUTPUT=${output} -P ${CMAKE_SOURCE_DIR}/cmake/assemble_manual.cmake
    DEPENDS ${CMAKE_SOURCE_DIR}/${source} ${shared_texts}
            ${CMAKE_SOURCE_DIR}/cmake/assemble_manual.cmake)
endfunction()

function(duopit_release_program target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "MANUAL;DESKTOP_MANUAL" "")
  get_filename_component(page_name ${arg_MANUAL} NAME)
  set(docs ${CMAKE_CURRENT_BINARY_DIR}/docs)
  install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  set_property(GLOBAL APPEND PROPERTY duopit_release_programs ${target})
  # The installed program is stripped whether or not `cmake --install --strip` is asked for:
  # a user's copy needs no symbols, and the build's own keeps them for debugging.
  install(CODE "execute_process(
    COMMAND \"${DUOPIT_STRIP}\" \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/$<TARGET_FILE_NAME:${target}>\"
    COMMAND_ERROR_IS_FATAL ANY)")
  if(DUOPIT_PLATFORM_LAYER STREQUAL "win32")
    if(arg_DESKTOP_MANUAL)
      duopit_assemble_manual(${arg_DESKTOP_MANUAL} win32 ${docs}/${target}.man)
    else()
      duopit_assemble_manual(${arg_MANUAL} win32 ${docs}/${target}.man)
    endif()
    set(manual ${CMAKE_CURRENT_BINARY_DIR}/${target}.txt)
    add_custom_command(OUTPUT ${manual}
      COMMAND ${CMAKE_COMMAND} -D PAGE=${docs}/${target}.man -D OUTPUT=${manual}
              -P ${CMAKE_SOURCE_DIR}/cmake/render_manual.cmake
      DEPENDS ${docs}/${target}.man ${CMAKE_SOURCE_DIR}/cmake/render_manual.cmake)
  else()
    duopit_assemble_manual(${arg_MANUAL} posix ${docs}/${page_name})
    set(manual ${docs}/${page_name}.gz)
    add_custom_command(OUTPUT ${manual}
      COMMAND gzip -9nc ${docs}/${page_name} > ${manual}
      DEPENDS ${docs}/${page_name})
    set(man_dir ${CMAKE_INSTALL_MANDIR}/man1)
  endif()
  # The manual is made with the program, so that an install after building the program alone
  # finds it.
  add_custom_target(${target}_manual DEPENDS ${manual})
  add_dependencies(${target} ${target}_manual)
  if(DUOPIT_PLATFORM_LAYER STREQUAL "win32")
    install(FILES ${manual} DESTINATION . PERMISSIONS ${duopit_release_file_permissions})
  else()
    install(FILES ${manual} DESTINATION ${man_dir} PERMISSIONS ${duopit_release_file_permissions})
  endif()
endfunction()

function(duopit_release_package)
  set(maintainer "The duopit developers <duopit@example.org>")
  if(DUOPIT_PLATFORM_LAYER STREQUAL "win32")
    add_custom_command(OUTPUT LICENSE.txt
      COMMAND ${CMAKE_COMMAND} -D INPUT=${CMAKE_SOURCE_DIR}/LICENSE
              -D OUTPUT=${CMAKE_CURRENT_BINARY_DIR}/LICENSE.txt
              -P ${CMAKE_SOURCE_DIR}/cmake/crlf_text.cmake
      DEPENDS LICENSE cmake/crlf_text.cmake)
    add_custom_target(duopit_license_text ALL DEPENDS LICENSE.txt)
    install(FILES ${CMAKE_CURRENT_BINARY_DIR}/LICENSE.txt DESTINATION .
      PERMISSIONS ${duopit_release_file_permissions})
    set(CPACK_GENERATOR ZIP)
    set(CPACK_PACKAGE_FILE_NAME ${PROJECT_NAME}-${PROJECT_VERSION}-win32)
    set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
    set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_SOURCE_DIR}/cmake/normalize_zip.cmake)
  else()
    # Written when the package's tree is installed, so that the changelog's date is the
    # release's date at that moment.
    install(CODE "execute_process(COMMAND \"${CMAKE_COMMAND}\" -D SOURCE_DIR=${CMAKE_SOURCE_DIR}
      \"-D DOC_DIR=\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${duopit_release_doc_dir}\"
      -D PACKAGE=${PROJECT_NAME} -D VERSION=${PROJECT_VERSION} \"-D MAINTAINER=${maintainer}\"
      -P ${CMAKE_SOURCE_DIR}/cmake/debian_docs.cmake COMMAND_ERROR_IS_FATAL ANY)")
    # The programs are linked statically on purpose (see DUOPIT_STATIC): Debian's checker is
    # told so, program by program.
    if(DUOPIT_STATIC)
      get_property(programs GLOBAL PROPERTY duopit_release_programs)
      set(overrides "")
      foreach(program IN LISTS programs)
        # Its path as lintian names it: in the package, under CPACK_PACKAGING_INSTALL_PREFIX.
        string(APPEND overrides "${PROJECT_NAME}: statically-linked-binary "
          "[usr/${CMAKE_INSTALL_BINDIR}/$<TARGET_FILE_NAME:${program}>]\n")
      endforeach()
      file(GENERATE OUTPUT lintian-overrides CONTENT "${overrides}")
      install(FILES ${CMAKE_CURRENT_BINARY_DIR}/lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME ${PROJECT_NAME}
        PERMISSIONS ${duopit_release_file_permissions})
    endif()
    set(CPACK_GENERATOR DEB)
    set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
    set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
    set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${DUOPIT_DEB_ARCHITECTURE})
    set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${maintainer})
    set(CPACK_DEBIAN_PACKAGE_SECTION science)
    set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
    # A statically linked program depends on no package; a shared build's dependencies are
    # found by dpkg-shlibdeps.
    if(NOT DUOPIT_STATIC)
      set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
    endif()
    set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
      "orient an underground traverse run between two shafts")
    set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "duopit orients an underground traverse run between two plumb wires hanging in
two shafts, whose surface coordinates are known. It asks for a fictitious
starting bearing, computes the traverse on it, turns it onto the true bearing
between the wires and writes a report of the corrected traverse and its
misclosure.")
  endif()
  set(CPACK_PACKAGE_NAME ${PROJECT_NAME})
  set(CPACK_PACKAGE_VENDOR "The duopit developers")
  set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
  set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
  configure_file(${CMAKE_SOURCE_DIR}/cmake/cpack_project.cmake.in
    ${CMAKE_CURRENT_BINARY_DIR}/cpack_project.cmake @ONLY)
  set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_BINARY_DIR}/cpack_project.cmake)
  set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_SOURCE_DIR}/cmake/pack_tree.cmake)
  include(CPack)
endfunction()
