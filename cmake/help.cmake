# Compiles the help sources into tuckbay2.chm (cmake -P, run by the build):
#
#   cmake -DSOURCE_DIR=docs/help -DWORK_DIR=... -DOUTPUT=.../tuckbay2.chm -DCHMCMD=chmcmd
#         -P cmake/help.cmake
#
# The sources are UTF-8 and say so; the HTML Help viewer reads a Japanese help file in the
# Windows code page, so each file is converted to code page 932 (and its charset declaration
# with it) in WORK_DIR before chmcmd compiles the project there. A character that has no place
# in that code page fails the build rather than turning into a question mark in the help.
foreach(var SOURCE_DIR WORK_DIR OUTPUT CHMCMD)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "help.cmake: ${var} is not set")
  endif()
endforeach()

file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR}/utf8)
file(GLOB sources RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/*)
foreach(name ${sources})
  file(READ ${SOURCE_DIR}/${name} text)
  string(REPLACE "charset=UTF-8" "charset=Shift_JIS" text "${text}")
  # Windows files: CR LF line ends.
  string(REPLACE "\r\n" "\n" text "${text}")
  string(REPLACE "\n" "\r\n" text "${text}")
  file(WRITE ${WORK_DIR}/utf8/${name} "${text}")
  execute_process(
    COMMAND iconv -f UTF-8 -t CP932 ${WORK_DIR}/utf8/${name}
    OUTPUT_FILE ${WORK_DIR}/${name}
    ERROR_VARIABLE error
    RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "help.cmake: ${name} does not convert to code page 932: ${error}")
  endif()
endforeach()

execute_process(
  COMMAND ${CHMCMD} --verbosity 1 tuckbay2.hhp
  WORKING_DIRECTORY ${WORK_DIR}
  OUTPUT_VARIABLE log
  ERROR_VARIABLE log
  RESULT_VARIABLE result)
if(NOT result EQUAL 0 OR NOT EXISTS ${WORK_DIR}/tuckbay2.chm)
  message(FATAL_ERROR "help.cmake: chmcmd failed:\n${log}")
endif()
# chmcmd reports a page that a link names but that is not there as a warning and compiles all
# the same; the help test then fails on it.
if(log MATCHES "[Ww]arning|[Ee]rror")
  message(WARNING "help.cmake: chmcmd complained:\n${log}")
endif()
file(COPY_FILE ${WORK_DIR}/tuckbay2.chm ${OUTPUT})
