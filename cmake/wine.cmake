# The win32 build's programs and tests run under Wine. Every run goes through
# bin/wine-run, which keeps Wine in a prefix of its own under this build tree
# (made on first use) and Wine's own messages out of the output.
find_program(ORVEL_WINE wine)
if(NOT ORVEL_WINE)
  message(WARNING "wine not found: the win32 tests will not run (scripts/install-deps.sh installs it)")
  set(ORVEL_WINE wine)
endif()
set(ORVEL_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
configure_file(${CMAKE_CURRENT_LIST_DIR}/wine-run.sh.in ${CMAKE_BINARY_DIR}/wine-run @ONLY
  FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run)

# Absolute paths handed to the Windows programs at build time: Wine's drive Z:
# is the Unix root, so "Z:" before a Unix path names the same file the Windows way.
set(ORVEL_HOST_PATH_PREFIX "Z:")
