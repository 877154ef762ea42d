# Run with cmake -P: takes the VS_VERSIONINFO block out of a compiled resource file (RES) and
# writes a C++ source (OUT) that puts those bytes into the ELF section SECTION.
#
# A resource file is a row of entries, each aligned to four bytes: DataSize, HeaderSize, the
# type and name (0xFFFF followed by a number, or a zero-terminated UTF-16 name), more header
# fields, then DataSize bytes of data. The version information has type 16.
foreach(var RES OUT SECTION)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "embed-version-block: ${var} is not set")
  endif()
endforeach()

file(READ "${RES}" hex HEX)
string(LENGTH "${hex}" hex_length)
math(EXPR size "${hex_length} / 2")

# A little-endian number of `bytes` bytes at byte offset `at`.
function(read_le out at bytes)
  set(value "")
  math(EXPR last "${bytes} - 1")
  foreach(i RANGE ${last} 0 -1)
    math(EXPR pos "(${at} + ${i}) * 2")
    string(SUBSTRING "${hex}" ${pos} 2 byte)
    string(APPEND value "${byte}")
  endforeach()
  math(EXPR value "0x${value}")
  set(${out} ${value} PARENT_SCOPE)
endfunction()

set(at 0)
set(found "")
while(at LESS size)
  math(EXPR need "${at} + 12")
  if(need GREATER size)
    break()
  endif()
  read_le(data_size ${at} 4)
  math(EXPR header_at "${at} + 4")
  read_le(header_size ${header_at} 4)
  math(EXPR type_at "${at} + 8")
  read_le(type_mark ${type_at} 2)
  math(EXPR type_id_at "${at} + 10")
  read_le(type_id ${type_id_at} 2)
  math(EXPR data_at "${at} + ${header_size}")
  math(EXPR data_end "${data_at} + ${data_size}")
  if(data_end GREATER size)
    message(FATAL_ERROR "embed-version-block: ${RES} is cut short")
  endif()
  if(type_mark EQUAL 65535 AND type_id EQUAL 16)
    math(EXPR from "${data_at} * 2")
    math(EXPR count "${data_size} * 2")
    string(SUBSTRING "${hex}" ${from} ${count} found)
    break()
  endif()
  math(EXPR at "(${data_end} + 3) / 4 * 4")
endwhile()

if(found STREQUAL "")
  message(FATAL_ERROR "embed-version-block: no version information in ${RES}")
endif()

# Sixteen bytes a line.
string(REGEX REPLACE "(................................)" "\\1\n    " bytes "${found}")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${bytes}")
file(WRITE "${OUT}.tmp"
"// Generated from ${RES} by embed-version-block.cmake; do not edit.
// The version information of the program, where the version reader finds it by section name.
[[gnu::used, gnu::section(\"${SECTION}\"), gnu::aligned(4)]]
extern const unsigned char orvanVersionBlock[] = {
    ${bytes}
};
")
file(COPY_FILE "${OUT}.tmp" "${OUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUT}.tmp")
