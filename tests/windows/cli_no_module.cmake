# SPDX-License-Identifier: MIT
# zel17-cli.exe upload where no module is attached: exit status 69, the
# search's "could not find" in the trace and the tool's own message.
#   cmake -DEMULATOR=wine -DCLI=zel17-cli.exe -DFILE=all-slow.zel -P cli_no_module.cmake
execute_process(COMMAND ${EMULATOR} ${CLI} --trace upload ${FILE}
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status EQUAL 69)
  message(FATAL_ERROR "exit status ${status}, not 69\nstdout:\n${out}\nstderr:\n${err}")
endif()
foreach(expected "Error. Could not find the device." "Nie udalo sie polaczyc!"
                 "nie znaleziono modułu ZEL")
  string(FIND "${err}" "${expected}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "standard error lacks \"${expected}\":\n${err}")
  endif()
endforeach()
if(NOT out STREQUAL "")
  message(FATAL_ERROR "standard output is not empty:\n${out}")
endif()
