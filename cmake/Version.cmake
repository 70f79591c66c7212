# The project version reaches the code through one generated header,
# UnVrelVersion.h, on the include path of every target that links tamsk_core
# and of the resource script.
set(TAMSK_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
configure_file(${CMAKE_CURRENT_LIST_DIR}/templates/UnVrelVersion.h.in
               ${TAMSK_GENERATED_DIR}/UnVrelVersion.h @ONLY)
# The manifest names the program's assembly by the same version.
configure_file(${CMAKE_CURRENT_LIST_DIR}/templates/UnVrel.manifest.in
               ${TAMSK_GENERATED_DIR}/UnVrel.manifest @ONLY)
