# Loading the precompiled header costs a file that reaches neither the JSON
# library nor GoogleTest more than the few standard headers it parses by
# itself, so such files compile without it. They are found through the
# project's own #include lines at configure time; nothing reads them again
# when one changes, which can only cost build time, since a file compiles
# the same with or without the header.

# Sets <out> to TRUE when <file> has an #include naming one of the file
# names (without folders) in the list variable <names_var>.
function(tarvolt_includes_any file names_var out)
  file(STRINGS ${file} lines REGEX "^#include [\"<]")
  list(TRANSFORM lines REPLACE "^#include [\"<]([^\">]*/)?([^\">/]*)[\">].*$" "\\2")
  foreach(name IN LISTS lines)
    if(name IN_LIST ${names_var})
      set(${out} TRUE PARENT_SCOPE)
      return()
    endif()
  endforeach()
  set(${out} FALSE PARENT_SCOPE)
endfunction()

# Marks SKIP_PRECOMPILE_HEADERS on the sources of the given targets that do
# not reach the heavy headers.
function(tarvolt_skip_unused_pch)
  file(GLOB_RECURSE headers ${PROJECT_SOURCE_DIR}/src/*.h
       ${PROJECT_SOURCE_DIR}/devapp/*.h ${PROJECT_SOURCE_DIR}/tests/*.h)
  set(heavy json.hpp json.h gtest.h)
  set(grew TRUE)
  while(grew)
    set(grew FALSE)
    foreach(header IN LISTS headers)
      get_filename_component(name ${header} NAME)
      if(NOT name IN_LIST heavy)
        tarvolt_includes_any(${header} heavy reaches)
        if(reaches)
          list(APPEND heavy ${name})
          set(grew TRUE)
        endif()
      endif()
    endforeach()
  endwhile()

  foreach(target IN LISTS ARGN)
    get_target_property(sources ${target} SOURCES)
    get_target_property(dir ${target} SOURCE_DIR)
    foreach(source IN LISTS sources)
      cmake_path(ABSOLUTE_PATH source BASE_DIRECTORY ${dir})
      tarvolt_includes_any(${source} heavy reaches)
      if(NOT reaches)
        set_source_files_properties(${source} TARGET_DIRECTORY ${target}
          PROPERTIES SKIP_PRECOMPILE_HEADERS ON)
      endif()
    endforeach()
  endforeach()
endfunction()
