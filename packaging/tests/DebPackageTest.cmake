# Makes the Debian packages of the build tree, unpacks them into one scratch
# root (no system install), checks their names and declared dependencies,
# then builds and runs the consumer against the unpacked tree, runs the
# unpacked program and, without sanitizers, loads the unpacked Tcl package.
# Run with cmake -P and the variables
#   BUILD_DIR, CONSUMER_DIR, WORK_DIR, GENERATOR, CXX_COMPILER, BUILD_TYPE,
#   VERSION, SANITIZE_FLAGS (may be empty), TCLSH (empty: not checked).
# Says "DebPackageTest: skipped" when the Debian tools are missing.
foreach(var BUILD_DIR CONSUMER_DIR WORK_DIR GENERATOR CXX_COMPILER VERSION)
  if(NOT DEFINED ${var} OR "${${var}}" STREQUAL "")
    message(FATAL_ERROR "DebPackageTest: ${var} is not set")
  endif()
endforeach()
find_program(DPKG_DEB dpkg-deb)
find_program(DPKG_SHLIBDEPS dpkg-shlibdeps)
if(NOT DPKG_DEB OR NOT DPKG_SHLIBDEPS)
  message("DebPackageTest: skipped (dpkg-deb or dpkg-shlibdeps missing; apt-get install dpkg-dev)")
  return()
endif()

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    string(REPLACE ";" " " cmd "${ARGN}")
    message(FATAL_ERROR "DebPackageTest: '${cmd}' failed (${rc})\n${out}\n${err}")
  endif()
  set(RUN_OUTPUT "${out}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE ${WORK_DIR})
set(root ${WORK_DIR}/root)
file(MAKE_DIRECTORY ${root})
execute_process(COMMAND ${CMAKE_COMMAND} -E chdir ${BUILD_DIR}
                        cpack -G DEB -B ${WORK_DIR}/debs
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "DebPackageTest: cpack failed (${rc})\n${out}\n${err}")
endif()

# Each package and what its Depends field must name (regular expressions,
# in any order).
set(expect_libtavsoftware0 "libtcl8\\.6 " "libstdc\\+\\+6 ")
set(expect_libtavsoftware-dev "libtavsoftware0 \\(= ${VERSION}\\)" "libboost-dev" "tcl8\\.6-dev")
set(expect_tavsw "libtavsoftware0 \\(= ${VERSION}\\)" "libtcl8\\.6 ")
file(GLOB debs ${WORK_DIR}/debs/*.deb)
set(found "")
foreach(deb ${debs})
  run(${DPKG_DEB} -f ${deb} Package)
  string(STRIP "${RUN_OUTPUT}" name)
  list(APPEND found ${name})
  if(NOT DEFINED expect_${name})
    message(FATAL_ERROR "DebPackageTest: unexpected package ${name} (${deb})")
  endif()
  run(${DPKG_DEB} -f ${deb} Version Architecture Depends)
  if(NOT RUN_OUTPUT MATCHES "Version: ${VERSION}\n")
    message(FATAL_ERROR "DebPackageTest: ${name} has the wrong version:\n${RUN_OUTPUT}")
  endif()
  foreach(dep ${expect_${name}})
    if(NOT RUN_OUTPUT MATCHES "Depends: [^\n]*${dep}")
      message(FATAL_ERROR "DebPackageTest: ${name} does not depend on ${dep}:\n${RUN_OUTPUT}")
    endif()
  endforeach()
  run(${DPKG_DEB} -x ${deb} ${root})
endforeach()
list(SORT found)
if(NOT found STREQUAL "libtavsoftware-dev;libtavsoftware0;tavsw")
  message(FATAL_ERROR "DebPackageTest: expected three packages, made: ${found}")
endif()

file(GLOB_RECURSE libs ${root}/usr/*/libTavSoftware.so.0)
list(LENGTH libs n)
if(NOT n EQUAL 1)
  message(FATAL_ERROR "DebPackageTest: expected one libTavSoftware.so.0, found: ${libs}")
endif()
get_filename_component(libdir ${libs} DIRECTORY)

set(bdir ${WORK_DIR}/consumer)
run(${CMAKE_COMMAND} -S ${CONSUMER_DIR} -B ${bdir} -G ${GENERATOR}
    -DCMAKE_CXX_COMPILER=${CXX_COMPILER} -DCMAKE_BUILD_TYPE=${BUILD_TYPE}
    -DCMAKE_PREFIX_PATH=${root}/usr
    "-DCMAKE_CXX_FLAGS=${SANITIZE_FLAGS}" "-DCMAKE_EXE_LINKER_FLAGS=${SANITIZE_FLAGS}")
run(${CMAKE_COMMAND} --build ${bdir})
run(${CMAKE_COMMAND} -E env LD_LIBRARY_PATH=${libdir} ${bdir}/consumer)
if(NOT RUN_OUTPUT MATCHES "consumer: ok")
  message(FATAL_ERROR "DebPackageTest: consumer said: ${RUN_OUTPUT}")
endif()

# The manual page and the completion of each shell, where each looks.
foreach(file share/man/man1/tavsw.1 share/bash-completion/completions/tavsw
        share/zsh/vendor-completions/_tavsw share/fish/vendor_completions.d/tavsw.fish)
  if(NOT EXISTS ${root}/usr/${file})
    message(FATAL_ERROR "DebPackageTest: the tavsw package has no /usr/${file}")
  endif()
endforeach()
file(READ ${root}/usr/share/bash-completion/completions/tavsw bash)
if(NOT bash MATCHES "complete .*tavsw")
  message(FATAL_ERROR "DebPackageTest: the bash completion registers nothing:\n${bash}")
endif()

# The program finds the library beside it in the unpacked tree.
run(${root}/usr/bin/tavsw --version)
if(NOT RUN_OUTPUT MATCHES "${VERSION}")
  message(FATAL_ERROR "DebPackageTest: tavsw --version said: ${RUN_OUTPUT}")
endif()

# The Tcl package finds its module, and the support scripts it ships.
if(TCLSH)
  file(WRITE ${WORK_DIR}/load.tcl
       "package require tavsw\n"
       "puts [file exists [file join $::tavsw::support_root data datastructure qrylib_sw.tcl]]\n")
  run(${CMAKE_COMMAND} -E env TCLLIBPATH=${root}/usr/lib/tcltk LD_LIBRARY_PATH=${libdir}
      ${TCLSH} ${WORK_DIR}/load.tcl)
  if(NOT RUN_OUTPUT STREQUAL "1\n")
    message(FATAL_ERROR "DebPackageTest: the unpacked Tcl package said: ${RUN_OUTPUT}")
  endif()
endif()
file(REMOVE_RECURSE ${WORK_DIR})
message(STATUS "DebPackageTest: ok")
