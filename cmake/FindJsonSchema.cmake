# Finds a Python that imports jsonschema, which holds the companions' --json
# to their schemas in docs/schemas (Debian: python3-jsonschema; Debian's
# Python, if the first Python found lacks it). Sets JsonSchema_FOUND and
# JSONSCHEMA_PYTHON.
if(NOT JSONSCHEMA_PYTHON)
  find_package(Python3 COMPONENTS Interpreter QUIET)
  foreach(python IN ITEMS "${Python3_EXECUTABLE}" /usr/bin/python3)
    if(python)
      # Draft 2020-12 came with jsonschema 4.
      execute_process(COMMAND ${python} -c "import jsonschema; jsonschema.Draft202012Validator"
        RESULT_VARIABLE failed OUTPUT_QUIET ERROR_QUIET)
      if(NOT failed)
        set(JSONSCHEMA_PYTHON ${python} CACHE FILEPATH "A Python that imports jsonschema")
        break()
      endif()
    endif()
  endforeach()
endif()
include(FindPackageHandleStandardArgs)
find_package_handle_standard_args(JsonSchema REQUIRED_VARS JSONSCHEMA_PYTHON)
mark_as_advanced(JSONSCHEMA_PYTHON)
