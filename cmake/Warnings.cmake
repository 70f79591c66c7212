# Warnings are errors on every toolchain, and Windows executables are linked
# statically so that they run on a bare system.
function(tamsk_warnings target)
  target_compile_options(${target} PRIVATE $<$<COMPILE_LANGUAGE:C,CXX>:-Wall -Wextra -Werror>)
endfunction()

# Reproducible builds: no source or build directory names in the objects,
# and (below) no link time in the executables' headers.
add_compile_options("$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${PROJECT_SOURCE_DIR}=.;-ffile-prefix-map=${PROJECT_BINARY_DIR}=build>")

if(WIN32)
  add_link_options(-static -static-libgcc -static-libstdc++ -Wl,--no-insert-timestamp)
  add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
endif()
