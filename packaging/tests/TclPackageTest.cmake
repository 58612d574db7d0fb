# The demo generator run through the tavsw package in a plain tclsh writes
# the same header as under `tavsw tcl`. Run with cmake -P and the variables
# TCLSH, TAVSW, PKG_DIR, EXAMPLES, WORK_DIR.
foreach(var TCLSH TAVSW PKG_DIR EXAMPLES WORK_DIR)
  if(NOT DEFINED ${var} OR "${${var}}" STREQUAL "")
    message(FATAL_ERROR "TclPackageTest: ${var} is not set")
  endif()
endforeach()
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
get_filename_component(pkg_parent ${PKG_DIR} DIRECTORY)

execute_process(
  COMMAND ${CMAKE_COMMAND} -E env QUARLY_VEK=${EXAMPLES}
          ${TAVSW} tcl ${EXAMPLES}/gen/params_header.tcl ${EXAMPLES}/system.mss
          --hw ${EXAMPLES}/hw/system.json --repo ${EXAMPLES}/repo -- ${WORK_DIR}/tool.h
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "TclPackageTest: tavsw tcl failed (${rc})\n${out}\n${err}")
endif()

execute_process(
  COMMAND ${CMAKE_COMMAND} -E env QUARLY_VEK=${EXAMPLES} TCLLIBPATH=${pkg_parent}
          ${TCLSH} ${CMAKE_CURRENT_LIST_DIR}/run_generator.tcl ${EXAMPLES} ${WORK_DIR}/tclsh.h
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0 OR NOT out MATCHES "checks: ok")
  message(FATAL_ERROR "TclPackageTest: tclsh failed (${rc})\n${out}\n${err}")
endif()

file(READ ${WORK_DIR}/tool.h tool)
file(READ ${WORK_DIR}/tclsh.h tclsh)
if(NOT tool MATCHES "#define [A-Z0-9_]+_BASEADDR")
  message(FATAL_ERROR "TclPackageTest: the tool's header has no base address:\n${tool}")
endif()
if(NOT tool STREQUAL tclsh)
  message(FATAL_ERROR "TclPackageTest: the headers differ\n--- tavsw tcl\n${tool}\n--- tclsh\n${tclsh}")
endif()
file(REMOVE_RECURSE ${WORK_DIR})
