# NODE_MODULE_FLAGS: what Node needs to read the page's modules, a .js with
# export and no "type" in package.json. Node 20 detects them only when asked,
# and warns where it does so unasked; an older or newer Node may refuse a flag.
include_guard(GLOBAL)
set(NODE_MODULE_FLAGS)
foreach(flag --experimental-detect-module --disable-warning=MODULE_TYPELESS_PACKAGE_JSON)
  execute_process(COMMAND ${NODE_EXECUTABLE} ${flag} -e 0 RESULT_VARIABLE refused OUTPUT_QUIET ERROR_QUIET)
  if(NOT refused)
    list(APPEND NODE_MODULE_FLAGS ${flag})
  endif()
endforeach()
set(NODE_MODULE_FLAGS ${NODE_MODULE_FLAGS} CACHE INTERNAL "Node's flags for the page's modules")
