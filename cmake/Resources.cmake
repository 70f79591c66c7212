# Links the program's resource script (strings, dialogs, banner, icon) into a
# target. windres reports no dependencies of its own, so they are listed here.
function(tamsk_add_resources target)
  enable_language(RC)
  set(res ${PROJECT_SOURCE_DIR}/res)
  target_sources(${target} PRIVATE ${res}/UnVrel.rc)
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR} ${res} ${TAMSK_GENERATED_DIR})
  set_source_files_properties(${res}/UnVrel.rc PROPERTIES OBJECT_DEPENDS
    "${res}/resource.h;${TAMSK_GENERATED_DIR}/UnVrelVersion.h;${res}/VRELBMP.bmp;${res}/MAINICON.ico;${TAMSK_GENERATED_DIR}/UnVrel.manifest")
endfunction()
