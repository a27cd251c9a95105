# Cross-build for Windows with mingw-w64, for the triplet that the including file names.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${TRAYLNCH_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TRAYLNCH_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${TRAYLNCH_TRIPLET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TRAYLNCH_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# The session's Wine: the host's 64-bit one, or that of a root under scripts/wine-session.
get_filename_component(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run ABSOLUTE)
