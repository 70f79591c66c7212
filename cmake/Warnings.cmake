# Warnings are errors on every toolchain, and Windows executables are linked
# statically so that they run on a bare system.
function(tamsk_warnings target)
  target_compile_options(${target} PRIVATE $<$<COMPILE_LANGUAGE:C,CXX>:-Wall -Wextra -Werror>)
endfunction()

if(WIN32)
  add_link_options(-static -static-libgcc -static-libstdc++)
  add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
endif()
