# Finds what checks the companions' --json against their schemas
# (docs/schemas): the tests' Python, able to import jsonschema with JSON
# Schema draft 2020-12 (Debian: python3-jsonschema). Sets JsonSchema_FOUND
# and JSONSCHEMA_PYTHON.
if(NOT JSONSCHEMA_PYTHON AND Python3_EXECUTABLE)
  execute_process(COMMAND ${Python3_EXECUTABLE} -c "import jsonschema; jsonschema.Draft202012Validator"
    RESULT_VARIABLE failed OUTPUT_QUIET ERROR_QUIET)
  if(NOT failed)
    set(JSONSCHEMA_PYTHON ${Python3_EXECUTABLE} CACHE FILEPATH "The tests' Python, which imports jsonschema")
  endif()
endif()
include(FindPackageHandleStandardArgs)
find_package_handle_standard_args(JsonSchema REQUIRED_VARS JSONSCHEMA_PYTHON)
mark_as_advanced(JSONSCHEMA_PYTHON)
