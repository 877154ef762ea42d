# Run with cmake -P: draws the picture described in MVG (ImageMagick's drawing language) on a
# 256 x 256 canvas and writes it as an icon file with the sizes Windows programs carry.
#   -DCONVERT=<convert> -DMVG=<file.mvg> -DSANS=<font> -DBOLD=<font> -DOUT=<file.ico>
# The drawing is passed on the command line: the usual ImageMagick policy refuses "@file".
cmake_minimum_required(VERSION 3.25)
file(STRINGS "${MVG}" lines ENCODING UTF-8)
set(draw "")
foreach(line IN LISTS lines)
  if(NOT line MATCHES "^#")
    string(APPEND draw " ${line}")
  endif()
endforeach()
string(REPLACE "@SANS@" "${SANS}" draw "${draw}")
string(REPLACE "@BOLD@" "${BOLD}" draw "${draw}")
execute_process(
  COMMAND "${CONVERT}" -size 256x256 xc:none -draw "${draw}" -define icon:auto-resize=48,32,16
          "${OUT}"
  RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "draw-icon: ${MVG} could not be drawn")
endif()
