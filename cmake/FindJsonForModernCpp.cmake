# Finds nlohmann's JSON for Modern C++, the header-only library that writes
# the companions' --json (Debian: nlohmann-json3-dev). Sets
# JsonForModernCpp_FOUND and the target JsonForModernCpp::json.
#
# Its headers are looked for on the build machine even when cross-compiling:
# they hold no machine code, so one copy serves every target. They reach the
# compiler through a folder of the build that holds nothing else, so a cross
# compiler (or em++) never sees the build machine's other headers.
# emscripten's toolchain searches its own system folders only, hence the
# build machine's usual folders named here.
find_path(JSON_FOR_MODERN_CPP_INCLUDE_DIR nlohmann/json.hpp
  PATHS /usr/local/include /usr/include
  NO_CMAKE_FIND_ROOT_PATH DOC "the folder that holds nlohmann/json.hpp")
if(JSON_FOR_MODERN_CPP_INCLUDE_DIR)
  # The version stands in json.hpp up to 3.10, in a header of its own since.
  file(GLOB_RECURSE headers ${JSON_FOR_MODERN_CPP_INCLUDE_DIR}/nlohmann/*.hpp)
  foreach(header IN LISTS headers)
    file(STRINGS ${header} major REGEX "^#define NLOHMANN_JSON_VERSION_MAJOR [0-9]+")
    if(major)
      string(REGEX MATCH "MAJOR ([0-9]+)" major "${major}")
      set(JsonForModernCpp_VERSION ${CMAKE_MATCH_1})
      break()
    endif()
  endforeach()
endif()
include(FindPackageHandleStandardArgs)
find_package_handle_standard_args(JsonForModernCpp
  REQUIRED_VARS JSON_FOR_MODERN_CPP_INCLUDE_DIR VERSION_VAR JsonForModernCpp_VERSION)
mark_as_advanced(JSON_FOR_MODERN_CPP_INCLUDE_DIR)

if(JsonForModernCpp_FOUND AND NOT TARGET JsonForModernCpp::json)
  set(folder ${CMAKE_BINARY_DIR}/json-for-modern-cpp)
  file(MAKE_DIRECTORY ${folder})
  file(CREATE_LINK ${JSON_FOR_MODERN_CPP_INCLUDE_DIR}/nlohmann ${folder}/nlohmann
    SYMBOLIC COPY_ON_ERROR)
  add_library(JsonForModernCpp::json INTERFACE IMPORTED)
  target_include_directories(JsonForModernCpp::json SYSTEM INTERFACE ${folder})
endif()
