# Finds what the page's browser test drives: Chromium, its WebDriver
# (chromedriver) and a Python that imports selenium (Debian: chromium,
# chromium-driver, python3-selenium; Debian's Python, if the first Python
# found lacks selenium). Sets Selenium_FOUND, SELENIUM_PYTHON,
# CHROMIUM_EXECUTABLE and CHROMEDRIVER_EXECUTABLE.
find_program(CHROMIUM_EXECUTABLE NAMES chromium chromium-browser DOC "Chromium, the browser the page is tested in")
find_program(CHROMEDRIVER_EXECUTABLE NAMES chromedriver DOC "Chromium's WebDriver")
if(NOT SELENIUM_PYTHON)
  find_package(Python3 COMPONENTS Interpreter QUIET)
  foreach(python IN ITEMS "${Python3_EXECUTABLE}" /usr/bin/python3)
    if(python)
      execute_process(COMMAND ${python} -c "import selenium"
        RESULT_VARIABLE failed OUTPUT_QUIET ERROR_QUIET)
      if(NOT failed)
        set(SELENIUM_PYTHON ${python} CACHE FILEPATH "A Python that imports selenium")
        break()
      endif()
    endif()
  endforeach()
endif()
include(FindPackageHandleStandardArgs)
find_package_handle_standard_args(Selenium
  REQUIRED_VARS SELENIUM_PYTHON CHROMIUM_EXECUTABLE CHROMEDRIVER_EXECUTABLE)
mark_as_advanced(SELENIUM_PYTHON CHROMIUM_EXECUTABLE CHROMEDRIVER_EXECUTABLE)
