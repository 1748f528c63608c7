# Script mode: copies the assembly listings in OBJECTS (object files by name,
# assembly by content) to DESTINATION as <source>.s, without the call-frame
# directives (.cfi_*) that only serve unwinding and debuggers.
file(MAKE_DIRECTORY ${DESTINATION})
foreach(object IN LISTS OBJECTS)
  get_filename_component(name ${object} NAME)
  string(REGEX REPLACE "\\.cpp\\.o(bj)?$" ".s" name ${name})
  file(READ ${object} text)
  string(REGEX REPLACE "\n[ \t]*\\.cfi_[^\n]*" "" text "${text}")
  file(WRITE ${DESTINATION}/${name} "${text}")
endforeach()
