# Install rules and package files. `cmake --install` puts under the GNU install
# directories: the module with its version links, the stand-in factory library,
# the host headers, the orvelxml tool with its man page and bash completion,
# the README, the licence and the sample; and the CMake package
# (OrvelXml::OrvelXml, OrvelXml::headers) and the pkg-config file orvelxml.pc. Nothing installed names an absolute path,
# so the installed tree may be moved. In the win32 build the DLLs go to the
# programs folder beside the tool and their import libraries to the libraries
# folder. The libraries folder follows the prefix given when configuring:
# lib/<multiarch> for /usr on Debian, lib elsewhere.
# The documentation folder is named for the package, as pkg-config names it
# (unless CMAKE_INSTALL_DOCDIR is given).
if(NOT CMAKE_INSTALL_DOCDIR)
  set(CMAKE_INSTALL_DOCDIR "share/doc/orvelxml")
endif()
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(ORVEL_PACKAGE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/OrvelXml)
set(ORVEL_INSTALL_DESTINATIONS
    RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})

install(TARGETS OrvelXml orvel_headers EXPORT OrvelXmlTargets ${ORVEL_INSTALL_DESTINATIONS}
        INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(TARGETS Zandrop ${ORVEL_INSTALL_DESTINATIONS})
install(DIRECTORY include/orvel DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} FILES_MATCHING PATTERN "*.h")
install(FILES ${PROJECT_BINARY_DIR}/include/orvel/version.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/orvel)
install(FILES README.md LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES examples/sample.xml DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)

# ---- the tool and its man page ---------------------------------------------
if(TARGET orvelxml)
  install(TARGETS orvelxml RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  # Installed, the tool finds the module and the sample relative to itself.
  file(RELATIVE_PATH ORVEL_LIBDIR_FROM_BINDIR ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBDIR})
  file(RELATIVE_PATH ORVEL_DOCDIR_FROM_BINDIR ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_DOCDIR})
  set(ORVEL_SAMPLE_FROM_BINDIR "${ORVEL_DOCDIR_FROM_BINDIR}/examples/sample.xml")
  target_compile_definitions(orvelxml PRIVATE ORVELXML_LIBDIR_FROM_BINDIR="${ORVEL_LIBDIR_FROM_BINDIR}"
                             ORVELXML_SAMPLE_FROM_BINDIR="${ORVEL_SAMPLE_FROM_BINDIR}")
  # The build tree holds the sample where the installed tree does, relative to
  # the tool, so that the tool has one place to look in either.
  get_filename_component(ORVEL_BUILD_SAMPLE "${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${ORVEL_SAMPLE_FROM_BINDIR}" ABSOLUTE)
  configure_file(examples/sample.xml ${ORVEL_BUILD_SAMPLE} COPYONLY)

  # The page is made by running the tool, which a cross build can do only through an emulator.
  if(NOT CMAKE_CROSSCOMPILING OR CMAKE_CROSSCOMPILING_EMULATOR)
    set(ORVEL_MAN_PAGE ${PROJECT_BINARY_DIR}/man/orvelxml.1)
    add_custom_command(
      OUTPUT ${ORVEL_MAN_PAGE}
      COMMAND ${CMAKE_COMMAND} -DTOOL=$<TARGET_FILE:orvelxml> "-DEMULATOR=${CMAKE_CROSSCOMPILING_EMULATOR}"
              -DOUT=${ORVEL_MAN_PAGE} -P ${PROJECT_SOURCE_DIR}/cmake/OrvelManPage.cmake
      DEPENDS orvelxml ${PROJECT_SOURCE_DIR}/cmake/OrvelManPage.cmake
      COMMENT "Writing the orvelxml man page"
      VERBATIM)
    add_custom_target(orvelxml_man_page ALL DEPENDS ${ORVEL_MAN_PAGE})
    install(FILES ${ORVEL_MAN_PAGE} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  endif()
  # Bash finds a command's completion by the command's name in this folder.
  if(NOT WIN32)
    install(FILES tools/completion/orvelxml.bash DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
            RENAME orvelxml)
  endif()
endif()

# ---- CMake package ---------------------------------------------------------
install(EXPORT OrvelXmlTargets NAMESPACE OrvelXml:: DESTINATION ${ORVEL_PACKAGE_DIR})
configure_package_config_file(cmake/OrvelXmlConfig.cmake.in ${PROJECT_BINARY_DIR}/OrvelXmlConfig.cmake
                              INSTALL_DESTINATION ${ORVEL_PACKAGE_DIR})
# The soname carries the major version, so any release of the same major is compatible.
write_basic_package_version_file(${PROJECT_BINARY_DIR}/OrvelXmlConfigVersion.cmake
                                 COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/OrvelXmlConfig.cmake ${PROJECT_BINARY_DIR}/OrvelXmlConfigVersion.cmake
        DESTINATION ${ORVEL_PACKAGE_DIR})

# ---- pkg-config ------------------------------------------------------------
# Paths relative to the .pc file's own folder (${pcfiledir}) keep it movable.
function(orvel_pc_path out_var dir)
  if(IS_ABSOLUTE "${dir}")
    set(${out_var} "${dir}" PARENT_SCOPE)
  else()
    set(${out_var} "\${prefix}/${dir}" PARENT_SCOPE)
  endif()
endfunction()
file(RELATIVE_PATH ORVEL_PC_PREFIX ${CMAKE_INSTALL_FULL_LIBDIR}/pkgconfig ${CMAKE_INSTALL_PREFIX})
string(REGEX REPLACE "/$" "" ORVEL_PC_PREFIX "${ORVEL_PC_PREFIX}")
orvel_pc_path(ORVEL_PC_LIBDIR "${CMAKE_INSTALL_LIBDIR}")
orvel_pc_path(ORVEL_PC_INCLUDEDIR "${CMAKE_INSTALL_INCLUDEDIR}")
configure_file(cmake/orvelxml.pc.in ${PROJECT_BINARY_DIR}/orvelxml.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/orvelxml.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
