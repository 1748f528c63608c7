# namespaced_source_includes(<header> SOURCES <source>... [INSIDE <name>...])
#
# A companion compiles a program's own source once more by including it
# inside a namespace of its own. The headers that source includes must come
# first, outside the namespace, where #pragma once then skips them inside it:
# otherwise the standard library would land in the namespace too. This
# writes <header> in the current binary directory: every #include line of
# the sources, read from them, in their order, other than those naming a
# header in INSIDE (the program's own declarations, which the copy wants in
# its namespace). The companion includes <header> before it opens the
# namespace. Editing a source reconfigures, so an include added is found.
function(namespaced_source_includes header)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "SOURCES;INSIDE")
  set(lines "")
  foreach(source IN LISTS arg_SOURCES)
    cmake_path(ABSOLUTE_PATH source NORMALIZE)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
    file(STRINGS ${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<]")
    foreach(include IN LISTS includes)
      string(REGEX MATCH "[\"<]([^\">]*)[\">]" name "${include}")
      if(NOT CMAKE_MATCH_1 IN_LIST arg_INSIDE)
        string(STRIP "${include}" include)
        list(APPEND lines "${include}")
      endif()
    endforeach()
  endforeach()
  list(REMOVE_DUPLICATES lines)
  list(JOIN lines "\n" lines)
  file(RELATIVE_PATH maker ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_LIST_FILE})
  file(CONFIGURE OUTPUT ${header} @ONLY CONTENT
    "#pragma once\n\n// Generated from the sources by ${maker}.\n\n${lines}\n")
endfunction()
