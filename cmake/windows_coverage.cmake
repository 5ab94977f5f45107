# Line counters for the Windows programs (the win64-coverage and win32-coverage
# presets). Only the code under test carries them: everything built from tools/,
# platform/ and tests/probe. The test driver runs in kernel mode without a C
# runtime, and the test DLLs stand in for the system's, so neither may link the
# counting runtime. Each counted library passes the runtime on to whatever links it.
function(ravlin_count_lines_in directory)
  get_property(targets DIRECTORY ${directory} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(target IN LISTS targets)
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "STATIC_LIBRARY" OR type STREQUAL "OBJECT_LIBRARY")
      target_compile_options(${target} PRIVATE --coverage -O0)
      target_link_options(${target} INTERFACE --coverage)
    elseif(type STREQUAL "EXECUTABLE")
      target_compile_options(${target} PRIVATE --coverage -O0)
      target_link_options(${target} PRIVATE --coverage)
    endif()
  endforeach()
  get_property(folders DIRECTORY ${directory} PROPERTY SUBDIRECTORIES)
  foreach(folder IN LISTS folders)
    ravlin_count_lines_in(${folder})
  endforeach()
endfunction()

function(ravlin_windows_coverage)
  get_property(added DIRECTORY ${CMAKE_SOURCE_DIR} PROPERTY SUBDIRECTORIES)
  foreach(folder IN ITEMS tools/ravlin/base tools/ravlin/output tools/fenmar platform tools/ravlin tests/probe)
    if(${CMAKE_SOURCE_DIR}/${folder} IN_LIST added)
      ravlin_count_lines_in(${CMAKE_SOURCE_DIR}/${folder})
    endif()
  endforeach()
endfunction()
