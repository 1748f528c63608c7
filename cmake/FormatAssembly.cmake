# format_assembly(<text> <out-var> [FUNCTION <symbol>] [CXXFILT <c++filt>]
#                 [PROCESSOR <processor>] [ROWS <rows-var>]
#                 [SOURCES <sources-var>])
#
# Turns a compiler's assembly (-S, with -g for its .loc directives) into a
# listing to read: the code of each function, every instruction kept, each
# block under the source line it came from; the data that the code uses,
# under its label. Directives, debug sections and labels that nothing refers
# to are dropped. A call of the function from inside itself is marked
# "<- calls itself", a branch back to a label above it in the same function
# "<- back to <label>" (in WebAssembly, a br or br_if to an enclosing loop:
# "<- back to the loop"). An instruction in a delay slot (SPARC), which runs
# before its branch takes effect, keeps the extra blank the compiler indents
# it with, stays with its branch and is marked "<- in the delay slot".
# With FUNCTION, only that function is listed; with CXXFILT, C++ names are
# shown demangled. PROCESSOR (CMAKE_SYSTEM_PROCESSOR, or wasm32) picks the
# marks of its family from the table below.
#
# With ROWS, <rows-var> gets the same listing as data, one row per line of
# the text (format_assembly_row reads one): what the line is, the source
# line it stands under, its mark, and its text. A program that shows the
# listing prints the rows' text and reads the rest, never parsing the text.
# With SOURCES, <sources-var> gets the paths of the source files that the
# assembly names, which the rows name by their file name alone.
#
# Written in CMake, so that every build has it, even one without Python.

# The marks of each processor family, which CMake's names for its
# processors pick. calls: the mnemonics, whole, that call a function, for
# "<- calls itself" (SPARC's bl, "branch if less", is no call). Delay slots:
# the families whose compilers fill branch delay slots. Nested blocks: those
# whose branches leave enclosing blocks by depth instead of naming a label.
set(_fa_families x86 arm riscv powerpc s390 sparc wasm)
set(_fa_processors_x86 "^(x86_64|amd64|AMD64|i[3-6]86|x86)$")
set(_fa_processors_arm "^(aarch64|arm64|ARM64|arm.*)$")
set(_fa_processors_riscv "^riscv(32|64)$")
set(_fa_processors_powerpc "^(ppc|powerpc)(64)?(le)?$")
set(_fa_processors_s390 "^s390x?$")
set(_fa_processors_sparc "^sparc(64|v9)?$")
set(_fa_processors_wasm "^wasm(32|64)$")
set(_fa_calls_x86 call calll callq)
set(_fa_calls_arm bl blx)
set(_fa_calls_riscv call jal jalr)
set(_fa_calls_powerpc bl bla)
set(_fa_calls_s390 bras brasl)
set(_fa_calls_sparc call)
set(_fa_calls_wasm call)
set(_fa_delay_slot_families sparc)
set(_fa_nested_block_families wasm)

# The directives that lay out data, shown under a data label that is used.
set(_fa_data_directives string ascii asciz byte short value hword word int
  long quad xword dword octa zero skip float single double 2byte 4byte 8byte
  int8 int16 int32 int64)
list(TRANSFORM _fa_data_directives PREPEND ".")

# The family of <processor>: "" for one the table does not know, whose
# listings get no marks but the branches back.
function(_fa_family processor out)
  set(${out} "" PARENT_SCOPE)
  foreach(family IN LISTS _fa_families)
    if(processor MATCHES "${_fa_processors_${family}}")
      set(${out} ${family} PARENT_SCOPE)
      return()
    endif()
  endforeach()
endfunction()

# Characters a CMake list would take for separators or brackets, replaced
# while the text is a list and restored in the result.
string(ASCII 1 _fa_semicolon)
string(ASCII 2 _fa_open)
string(ASCII 3 _fa_close)
string(ASCII 4 _fa_mark)
# Between the fields of a row.
string(ASCII 5 _fa_field)

set(_fa_instruction_column 8)
set(_fa_mark_column 40)
set(_fa_width 80)

# <text> as a list of lines in <out-var>.
function(_fa_lines text out)
  string(REPLACE ";" "${_fa_semicolon}" text "${text}")
  string(REPLACE "[" "${_fa_open}" text "${text}")
  string(REPLACE "]" "${_fa_close}" text "${text}")
  string(REPLACE "\n" ";" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

function(_fa_unescape text out)
  string(REPLACE "${_fa_semicolon}" ";" text "${text}")
  string(REPLACE "${_fa_open}" "[" text "${text}")
  string(REPLACE "${_fa_close}" "]" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# Without its comment: a line that starts with '#', or from a '#' or '//'
# followed by a blank ('#' alone begins an immediate operand on ARM), after
# any quoted string.
macro(_fa_uncomment var)
  string(REGEX REPLACE "^[ \t]*#.*$" "" ${var} "${${var}}")
  set(_fa_head "")
  if(${var} MATCHES "^(.*\")([^\"]*)$")
    set(_fa_head "${CMAKE_MATCH_1}")
    set(${var} "${CMAKE_MATCH_2}")
  endif()
  string(REGEX REPLACE "[ \t]*(#|//)([ \t].*)?$" "" ${var} "${${var}}")
  set(${var} "${_fa_head}${${var}}")
endmacro()

# The kind of section a .section/.text/.data/.bss line switches to: code,
# data, or other (debug information, notes, unwinding tables...).
function(_fa_section_kind name out)
  string(REGEX REPLACE "^\"(.*)\"$" "\\1" name "${name}")
  if(name MATCHES "^\\.text")
    set(kind code)
  elseif(name MATCHES "^\\.(rodata|data|bss|sdata|sbss|srodata|tdata|tbss|toc|lit[48]|rodata1)([.,]|$)")
    set(kind data)
  else()
    set(kind other)
  endif()
  set(${out} ${kind} PARENT_SCOPE)
endfunction()

# Follows a line that switches sections (.section, .text, .data, .bss,
# .previous): sets <switched>, and kind and previous_kind in the caller.
function(_fa_switch_section line switched)
  set(${switched} ON PARENT_SCOPE)
  if(line MATCHES "^[ \t]*\\.section[ \t]+([^ \t,]+)")
    set(previous_kind ${kind} PARENT_SCOPE)
    _fa_section_kind("${CMAKE_MATCH_1}" kind)
  elseif(line MATCHES "^[ \t]*\\.(text|data|bss)([ \t]|$)")
    set(previous_kind ${kind} PARENT_SCOPE)
    _fa_section_kind(".${CMAKE_MATCH_1}" kind)
  elseif(line MATCHES "^[ \t]*\\.previous")
    set(previous_kind ${kind} PARENT_SCOPE)
    set(kind ${previous_kind})
  else()
    set(${switched} OFF PARENT_SCOPE)
    return()
  endif()
  set(kind ${kind} PARENT_SCOPE)
endfunction()

# Splits one line of assembly (comments already removed) into a label
# (or ""), and what follows it.
function(_fa_split_label line)
  set(label "")
  set(rest "${line}")
  if(line MATCHES "^([A-Za-z0-9_.$@]+):(.*)$")
    set(label "${CMAKE_MATCH_1}")
    set(rest "${CMAKE_MATCH_2}")
  endif()
  set(label "${label}" PARENT_SCOPE)
  set(rest "${rest}" PARENT_SCOPE)
endfunction()

# The symbols an instruction's operands name.
function(_fa_symbols operands out)
  string(REGEX MATCHALL "[A-Za-z_.$][A-Za-z0-9_.$]*" symbols "${operands}")
  # Numeric local labels are named 1b or 1f from their users.
  string(REGEX MATCHALL "(^|[^A-Za-z0-9_.$])[0-9]+[bf]([^A-Za-z0-9_.$]|$)" numeric "${operands}")
  foreach(n IN LISTS numeric)
    string(REGEX REPLACE "[^0-9]*([0-9]+)[bf].*" "\\1" n "${n}")
    list(APPEND symbols "${n}")
  endforeach()
  set(${out} "${symbols}" PARENT_SCOPE)
endfunction()

function(format_assembly text out)
  cmake_parse_arguments(PARSE_ARGV 2 arg "" "FUNCTION;CXXFILT;PROCESSOR;ROWS;SOURCES" "")
  _fa_family("${arg_PROCESSOR}" family)
  _fa_lines("${text}" lines)
  _fa_scan("${lines}")
  _fa_listing("${lines}" rows)
  if(arg_CXXFILT)
    _fa_demangle("${rows}" "${arg_CXXFILT}" rows)
    # A demangled name may hold brackets, which the list must not see.
    string(REPLACE "[" "${_fa_open}" rows "${rows}")
    string(REPLACE "]" "${_fa_close}" rows "${rows}")
  endif()
  _fa_align_marks("${rows}" rows)
  # The text: each row's last field, after its six others.
  string(REPEAT "[^${_fa_field}]*${_fa_field}" 6 fields)
  set(result "")
  foreach(row IN LISTS rows)
    string(REGEX REPLACE "^${fields}" "" line "${row}")
    string(APPEND result "${line}\n")
  endforeach()
  _fa_unescape("${result}" result)
  set(${out} "${result}" PARENT_SCOPE)
  if(arg_ROWS)
    set(${arg_ROWS} "${rows}" PARENT_SCOPE)
  endif()
  if(arg_SOURCES)
    get_cmake_property(names VARIABLES)
    list(FILTER names INCLUDE REGEX "^file_[0-9]+$")
    set(paths "")
    foreach(name IN LISTS names)
      list(APPEND paths "${${name}}")
    endforeach()
    list(REMOVE_DUPLICATES paths)
    set(${arg_SOURCES} "${paths}" PARENT_SCOPE)
  endif()
endfunction()

# format_assembly_row(<row> <prefix>): one row of format_assembly's ROWS, in
# <prefix>_kind (function, label, source, instruction, data-label, data or
# blank), <prefix>_file and <prefix>_line (the source line an instruction
# or a source heading stands for: a file name and a number, or "" and 0),
# <prefix>_label (the code label right above an instruction, if any),
# <prefix>_note (an instruction's mark without its arrow: "calls itself"),
# <prefix>_code (an instruction as written, without indent or mark) and
# <prefix>_text (the line as the listing prints it).
function(format_assembly_row row prefix)
  string(REPLACE "${_fa_field}" ";" fields "${row}")
  set(names kind file line label note code text)
  foreach(name value IN ZIP_LISTS names fields)
    _fa_unescape("${value}" value)
    set(${prefix}_${name} "${value}" PARENT_SCOPE)
  endforeach()
endfunction()

# A row of the listing in the caller's rows (see format_assembly_row). A
# function, not a macro: a macro's arguments would be read again, and the
# text's backslashes taken for escapes.
function(_fa_row kind file line label note text)
  set(F "${_fa_field}")
  list(APPEND rows "${kind}${F}${file}${F}${line}${F}${label}${F}${note}${F}${F}${text}")
  set(rows "${rows}" PARENT_SCOPE)
endfunction()

# A .file directive's number and path ("" for another line).
function(_fa_file_directive line number_out path_out)
  set(${number_out} "" PARENT_SCOPE)
  if(NOT line MATCHES "^[ \t]*\\.file[ \t]+([0-9]+)[ \t]+\"([^\"]*)\"([ \t]+\"([^\"]*)\")?")
    return()
  endif()
  set(path "${CMAKE_MATCH_2}")
  if(CMAKE_MATCH_3)
    set(path "${CMAKE_MATCH_4}")
    if(NOT IS_ABSOLUTE "${path}")
      set(path "${CMAKE_MATCH_2}/${path}")
    endif()
  endif()
  set(${number_out} ${CMAKE_MATCH_1} PARENT_SCOPE)
  set(${path_out} "${path}" PARENT_SCOPE)
endfunction()

# First pass: sets, in the caller, file_<n> to the path of each source file
# by its number, and used to the labels that the code refers to, directly or
# through data it uses.
function(_fa_scan lines)
  set(kind code)
  set(previous_kind code)
  set(used "")
  set(data_label "")
  foreach(line IN LISTS lines)
    _fa_uncomment(line)
    _fa_file_directive("${line}" number path)
    if(NOT number STREQUAL "")
      set(file_${number} "${path}" PARENT_SCOPE)
      continue()
    endif()
    _fa_switch_section("${line}" switched)
    if(switched OR kind STREQUAL "other")
      continue()
    endif()
    _fa_split_label("${line}")
    if(NOT label STREQUAL "")
      set(data_label "${label}")
    endif()
    string(STRIP "${rest}" rest)
    if(kind STREQUAL "data")
      if(rest MATCHES "^\\.[A-Za-z0-9_]+[ \t]+(.*)$" AND NOT data_label STREQUAL "")
        _fa_symbols("${CMAKE_MATCH_1}" symbols)
        list(APPEND refs_${data_label} ${symbols})
      endif()
    elseif(NOT rest MATCHES "^\\." AND rest MATCHES "^[^ \t]+[ \t]+(.*)$")
      _fa_symbols("${CMAKE_MATCH_1}" symbols)
      list(APPEND used ${symbols})
    endif()
  endforeach()
  _fa_used_data("${used}" used)
  set(used "${used}" PARENT_SCOPE)
endfunction()

# <used> with the labels that used data refers to (a jump table's entries,
# say), from the caller's refs_<label>, each once.
function(_fa_used_data used out)
  set(pending "${used}")
  while(pending)
    list(POP_FRONT pending symbol)
    foreach(ref IN LISTS refs_${symbol})
      if(NOT ref IN_LIST used)
        list(APPEND used "${ref}")
        list(APPEND pending "${ref}")
      endif()
    endforeach()
  endwhile()
  list(REMOVE_DUPLICATES used)
  set(${out} "${used}" PARENT_SCOPE)
endfunction()

# Second pass: the listing's rows, from the first pass's file_<n> and used.
function(_fa_listing lines out)
  set(rows "")
  set(kind code)
  set(previous_kind code)
  set(function "")          # the function being listed, "" in data
  set(listing OFF)          # whether lines go into the rows
  set(here_file "")         # the location of the next instruction (.loc)
  set(here_line "")
  set(here_column "")
  set(shown "")             # the location last shown above the code
  set(shown_name "")        # its file's name and line, "" and 0 for none
  set(shown_line 0)
  set(label_above "")       # the label just shown, until an instruction
  set(labels_above "")      # the function's labels so far
  set(blocks "")            # WebAssembly's enclosing block, loop, if...
  set(data_shown OFF)
  foreach(line IN LISTS lines)
    _fa_uncomment(line)
    _fa_switch_section("${line}" switched)
    if(switched OR kind STREQUAL "other")
      continue()
    endif()
    if(line MATCHES "^[ \t]*\\.loc[ \t]+([0-9]+)[ \t]+([0-9]+)([ \t]+([0-9]+))?")
      set(here_file ${CMAKE_MATCH_1})
      set(here_line ${CMAKE_MATCH_2})
      set(here_column "${CMAKE_MATCH_4}")
      continue()
    endif()
    _fa_split_label("${line}")
    # A delay slot's instruction: the compiler indents it by one more blank.
    set(delay_slot OFF)
    if(family IN_LIST _fa_delay_slot_families AND rest MATCHES "^\t ")
      set(delay_slot ON)
    endif()
    string(STRIP "${rest}" rest)
    if(NOT label STREQUAL "")
      _fa_label()
    endif()
    if(rest STREQUAL "")
      continue()
    elseif(kind STREQUAL "data")
      _fa_data_line()
    elseif(listing AND NOT function STREQUAL "" AND NOT rest MATCHES "^\\.")
      _fa_code_line()
    endif()
  endforeach()
  set(${out} "${rows}" PARENT_SCOPE)
endfunction()

# The listing pass's steps are macros: they change its state (the function,
# the location, the labels above...) where it keeps it.

# A label: of a function, which begins (and is listed unless FUNCTION names
# another); of code inside one; or of data, shown where the code uses it.
macro(_fa_label)
  set(label_above "")
  if(kind STREQUAL "code" AND NOT label MATCHES "^(\\.L|[0-9]+$)")
    set(function "${label}")
    set(here_file "")
    set(here_line 0)
    set(here_column "")
    set(shown "")
    set(labels_above "")
    set(blocks "")
    set(listing ON)
    if(arg_FUNCTION AND NOT label STREQUAL arg_FUNCTION)
      set(listing OFF)
    endif()
    if(listing AND rows)
      _fa_row(blank "" 0 "" "" "")
    endif()
    if(listing)
      _fa_row(function "" 0 "" "" "${label}:")
    endif()
  elseif(kind STREQUAL "code")
    list(APPEND labels_above "${label}")
    if(listing AND label IN_LIST used)
      _fa_row(label "" 0 "" "" "${label}:")
      set(label_above "${label}")
    endif()
  else()
    set(function "")
    set(data_shown OFF)
    if(label IN_LIST used AND NOT arg_FUNCTION)
      set(data_shown ON)
      if(rows)
        _fa_row(blank "" 0 "" "" "")
      endif()
      _fa_row(data-label "" 0 "" "" "${label}:")
    endif()
  endif()
endmacro()

# A line of data, shown if its label is and it lays out data.
macro(_fa_data_line)
  string(REGEX MATCH "^[^ \t]+" directive "${rest}")
  if(data_shown AND directive IN_LIST _fa_data_directives AND rest MATCHES "^[^ \t]+[ \t]")
    string(LENGTH "${directive}" length)
    string(SUBSTRING "${rest}" ${length} -1 rest)
    _fa_instruction("${directive}\t${rest}" "" text)
    _fa_row(data "" 0 "" "" "${text}")
  endif()
endmacro()

# An instruction, under its source line when that changes, with its mark.
macro(_fa_code_line)
  set(operands "")
  set(mnemonic "${rest}")
  if(rest MATCHES "^([^ \t]+)[ \t]+(.*)$")
    set(mnemonic "${CMAKE_MATCH_1}")
    string(STRIP "${CMAKE_MATCH_2}" operands)
  endif()
  _fa_mark("${mnemonic}" "${operands}" mark)
  if(family IN_LIST _fa_nested_block_families)
    _fa_nested_block("${mnemonic}" "${operands}" blocks mark)
  endif()
  if(NOT delay_slot AND NOT "${here_file}:${here_line}" STREQUAL shown)
    set(shown "${here_file}:${here_line}")
    _fa_source_line("${here_file}" "${here_line}" "${here_column}" heading shown_name)
    set(shown_line ${here_line})
    if(shown_name STREQUAL "")
      set(shown_line 0)
    endif()
    _fa_row(source "${shown_name}" ${shown_line} "" "" "${heading}")
  endif()
  if(delay_slot)
    set(mnemonic " ${mnemonic}")
    if(mark STREQUAL "")
      set(mark "<- in the delay slot")
    endif()
  endif()
  _fa_instruction("${mnemonic}\t${operands}" "${mark}" text)
  string(REGEX REPLACE "^<- " "" note "${mark}")
  _fa_row(instruction "${shown_name}" ${shown_line} "${label_above}" "${note}" "${text}")
  set(label_above "")
endmacro()

# The mark of an instruction of <function>: a call of that function, or a
# branch to one of <labels_above> (a numeric label n is named nb from below).
function(_fa_mark mnemonic operands out)
  _fa_symbols("${operands}" symbols)
  set(${out} "" PARENT_SCOPE)
  if(function IN_LIST symbols AND mnemonic IN_LIST _fa_calls_${family})
    set(${out} "<- calls itself" PARENT_SCOPE)
    return()
  endif()
  string(REPLACE "," ";" operand_list "${operands}")
  list(TRANSFORM operand_list STRIP)
  foreach(target IN LISTS labels_above)
    set(name "${target}")
    if(target MATCHES "^[0-9]+$")
      set(name "${target}b")
    endif()
    if(name IN_LIST operand_list)
      set(${out} "<- back to ${target}" PARENT_SCOPE)
      return()
    endif()
  endforeach()
endfunction()

# WebAssembly: blocks nest in <blocks_var>, and br N leaves the N-th
# enclosing one; to a loop, that means going back to its top (<mark_var>).
function(_fa_nested_block mnemonic operands blocks_var mark_var)
  set(blocks "${${blocks_var}}")
  if(mnemonic MATCHES "^(block|loop|if|try)$")
    list(APPEND blocks ${mnemonic})
  elseif(mnemonic MATCHES "^end_(block|loop|if|try)$")
    list(POP_BACK blocks)
  elseif(mnemonic MATCHES "^br(_if)?$" AND operands MATCHES "^[0-9]+$")
    list(LENGTH blocks depth)
    math(EXPR index "${depth} - 1 - ${operands}")
    if(index GREATER_EQUAL 0)
      list(GET blocks ${index} target)
      if(target STREQUAL "loop")
        set(${mark_var} "<- back to the loop" PARENT_SCOPE)
      endif()
    endif()
  endif()
  set(${blocks_var} "${blocks}" PARENT_SCOPE)
endfunction()

# <text> with the C++ names that <cxxfilt> demangles shown demangled.
function(_fa_demangle text cxxfilt out)
  string(REGEX MATCHALL "_Z[A-Za-z0-9_]+" names "${text}")
  list(REMOVE_DUPLICATES names)
  if(names)
    execute_process(COMMAND ${cxxfilt} ${names}
      OUTPUT_VARIABLE demangled RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
      message(FATAL_ERROR "${cxxfilt} failed: ${status}")
    endif()
    _fa_lines("${demangled}" demangled)
    foreach(name IN LISTS names)
      list(POP_FRONT demangled readable)
      string(REGEX REPLACE "(^|[^A-Za-z0-9_])${name}([^A-Za-z0-9_]|$)"
             "\\1${readable}\\2" text "${text}")
    endforeach()
  endif()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# One instruction's line: indented, the mnemonic in a column of its own,
# and the mark, if any, after a separator that _fa_align_marks lines up.
function(_fa_instruction text mark out)
  set(mnemonic "${text}")
  set(operands "")
  if(text MATCHES "^([^\t]*)\t(.*)$")
    set(mnemonic "${CMAKE_MATCH_1}")
    string(STRIP "${CMAKE_MATCH_2}" operands)
  endif()
  string(REPEAT " " ${_fa_instruction_column} line)
  string(APPEND line "${mnemonic}")
  if(NOT operands STREQUAL "")
    string(LENGTH "${mnemonic}" length)
    math(EXPR pad "8 - ${length}")
    if(pad LESS 1)
      set(pad 1)
    endif()
    string(REPEAT " " ${pad} spaces)
    string(APPEND line "${spaces}${operands}")
  endif()
  if(NOT mark STREQUAL "")
    string(APPEND line "${_fa_mark}${mark}")
  endif()
  set(${out} "${line}" PARENT_SCOPE)
endfunction()

# The heading for a source line: where it is and what it says, within the
# width of a terminal; and the name of its file ("" for none). Of a longer line, what begins at the column the code
# came from is shown.
function(_fa_source_line file line column out name_out)
  set(${name_out} "" PARENT_SCOPE)
  if(line EQUAL 0 OR NOT DEFINED file_${file})
    set(${out} "  (no source line)" PARENT_SCOPE)
    return()
  endif()
  set(path "${file_${file}}")
  if(NOT DEFINED _fa_source_${file})
    set(text "")
    if(EXISTS "${path}")
      file(READ "${path}" text)
    endif()
    _fa_lines("${text}" text)
    set(_fa_source_${file} "${text}" PARENT_SCOPE)
    set(_fa_source_${file} "${text}")
  endif()
  get_filename_component(name "${path}" NAME)
  set(${name_out} "${name}" PARENT_SCOPE)
  list(LENGTH _fa_source_${file} count)
  set(code "")
  if(line LESS_EQUAL count)
    math(EXPR index "${line} - 1")
    list(GET _fa_source_${file} ${index} code)
  endif()
  string(STRIP "${code}" stripped)
  set(heading "  ${name}:${line}  ${stripped}")
  string(LENGTH "${heading}" length)
  if(length GREATER _fa_width AND column GREATER 1)
    # A window on the line around the column, cut at either end with "...".
    set(prefix "  ${name}:${line}  ...")
    string(LENGTH "${prefix}" room)
    math(EXPR room "${_fa_width} - ${room}")
    string(LENGTH "${code}" code_length)
    math(EXPR start "${column} - 1 - ${room} / 2")
    math(EXPR last_start "${code_length} - ${room}")
    if(start GREATER last_start)
      set(start ${last_start})
    endif()
    string(STRIP "${code}" stripped)
    string(FIND "${code}" "${stripped}" indent)
    if(start GREATER indent)
      string(SUBSTRING "${code}" ${start} -1 code)
      set(heading "${prefix}${code}")
    endif()
    string(LENGTH "${heading}" length)
  endif()
  if(length GREATER _fa_width)
    math(EXPR keep "${_fa_width} - 3")
    string(SUBSTRING "${heading}" 0 ${keep} heading)
    string(APPEND heading "...")
  endif()
  set(${out} "${heading}" PARENT_SCOPE)
endfunction()

# Puts each row's mark in its column, or a blank after a longer
# instruction; fills in each instruction's code; and drops the blank rows
# at either end.
function(_fa_align_marks rows out)
  set(result "")
  foreach(row IN LISTS rows)
    set(F "${_fa_field}")
    if(row MATCHES "^(instruction${F}[^${F}]*${F}[^${F}]*${F}[^${F}]*${F}[^${F}]*${F})${F}([^${_fa_mark}]*)(${_fa_mark}(.*))?$")
      set(head "${CMAKE_MATCH_1}")
      set(code "${CMAKE_MATCH_2}")
      set(line "${code}")
      if(CMAKE_MATCH_3)
        set(mark "${CMAKE_MATCH_4}")
        string(LENGTH "${code}" length)
        math(EXPR pad "${_fa_mark_column} - ${length}")
        if(pad LESS 2)
          set(pad 2)
        endif()
        string(REPEAT " " ${pad} spaces)
        set(line "${code}${spaces}${mark}")
      endif()
      string(STRIP "${code}" code)
      set(row "${head}${code}${_fa_field}${line}")
    elseif(row MATCHES "^blank${_fa_field}" AND NOT result)
      continue()
    endif()
    list(APPEND result "${row}")
  endforeach()
  while(result)
    list(GET result -1 last)
    if(NOT last MATCHES "^blank${_fa_field}")
      break()
    endif()
    list(POP_BACK result)
  endwhile()
  set(${out} "${result}" PARENT_SCOPE)
endfunction()
