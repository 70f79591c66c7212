# Shared part of the mingw-w64 toolchain files; TAMSK_TRIPLET names the target.
set(CMAKE_C_COMPILER ${TAMSK_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TAMSK_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${TAMSK_TRIPLET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TAMSK_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Tests run through Wine; the wrapper supplies the private prefix and quiet settings.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)
