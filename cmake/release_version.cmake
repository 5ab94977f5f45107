# The product version: one number for the programs, their version resources, the
# JSON documents and the release files. It is the project version; a rehearsal of
# an upgrade configures a second build tree with RAVLIN_VERSION_OVERRIDE.
if(DEFINED RAVLIN_VERSION_OVERRIDE AND NOT RAVLIN_VERSION_OVERRIDE STREQUAL "")
  set(RAVLIN_VERSION "${RAVLIN_VERSION_OVERRIDE}")
else()
  set(RAVLIN_VERSION "${PROJECT_VERSION}")
endif()
# MAJOR.MINOR.PATCH, within what a Windows installer keeps of a product version.
if(NOT RAVLIN_VERSION MATCHES "^(0|[1-9][0-9]*)\\.(0|[1-9][0-9]*)\\.(0|[1-9][0-9]*)$")
  message(FATAL_ERROR "version '${RAVLIN_VERSION}' is not MAJOR.MINOR.PATCH")
endif()
set(RAVLIN_VERSION_MAJOR ${CMAKE_MATCH_1})
set(RAVLIN_VERSION_MINOR ${CMAKE_MATCH_2})
set(RAVLIN_VERSION_PATCH ${CMAKE_MATCH_3})
if(RAVLIN_VERSION_MAJOR GREATER 255 OR RAVLIN_VERSION_MINOR GREATER 255 OR RAVLIN_VERSION_PATCH GREATER 65535)
  message(FATAL_ERROR "version '${RAVLIN_VERSION}' is out of range (at most 255.255.65535)")
endif()

# Who the files name as their maker, in the version resources and the installer.
set(RAVLIN_COMPANY "TARVIK")
set(RAVLIN_PRODUCT "ravlin")
set(RAVLIN_COPYRIGHT "Copyright (C) TARVIK. All rights reserved.")

set(RAVLIN_GENERATED_DIR ${PROJECT_BINARY_DIR}/generated)
configure_file(${CMAKE_CURRENT_LIST_DIR}/ravlin_version.h.in ${RAVLIN_GENERATED_DIR}/ravlin_version.h @ONLY)
# What scripts/package-windows reads back, so the release files carry the number
# the programs were built with.
file(WRITE ${PROJECT_BINARY_DIR}/release-version.txt "${RAVLIN_VERSION}\n")

add_library(ravlin_version INTERFACE)
target_include_directories(ravlin_version INTERFACE ${RAVLIN_GENERATED_DIR})

# Gives a Windows program its version resource and application manifest; nothing
# elsewhere. `description` is the FileDescription Explorer shows.
function(ravlin_program_resources target description)
  if(NOT WIN32)
    return()
  endif()
  set(PROGRAM ${target})
  set(DESCRIPTION "${description}")
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(ARCHITECTURE x86)
  else()
    set(ARCHITECTURE amd64)
  endif()
  set(out ${CMAKE_CURRENT_BINARY_DIR}/${target}_resources)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/program.manifest.in ${out}/${target}.manifest @ONLY)
  set(MANIFEST_FILE ${out}/${target}.manifest)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/program_resources.rc.in ${out}/${target}.rc @ONLY)
  target_sources(${target} PRIVATE ${out}/${target}.rc)
  set_source_files_properties(${out}/${target}.rc PROPERTIES OBJECT_DEPENDS ${out}/${target}.manifest)
endfunction()
