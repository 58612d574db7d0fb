# Installs the build tree into a scratch prefix, then builds and runs the
# consumer against it twice: once through find_package, once through
# pkg-config. Run with cmake -P and the variables
#   BUILD_DIR, CONSUMER_DIR, WORK_DIR, GENERATOR, CXX_COMPILER, BUILD_TYPE,
#   SANITIZE_FLAGS (may be empty).
foreach(var BUILD_DIR CONSUMER_DIR WORK_DIR GENERATOR CXX_COMPILER)
  if(NOT DEFINED ${var} OR "${${var}}" STREQUAL "")
    message(FATAL_ERROR "InstallTest: ${var} is not set")
  endif()
endforeach()

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    string(REPLACE ";" " " cmd "${ARGN}")
    message(FATAL_ERROR "InstallTest: '${cmd}' failed (${rc})\n${out}\n${err}")
  endif()
  set(RUN_OUTPUT "${out}" PARENT_SCOPE)
endfunction()

set(prefix ${WORK_DIR}/prefix)
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})

# Headers land in one directory; the export header comes along because every
# public header includes it.
foreach(header Export.h Port.h MdtBase.h SwTypes.h Param.h)
  if(NOT EXISTS ${prefix}/include/TavSoftware/${header})
    message(FATAL_ERROR "InstallTest: ${header} was not installed")
  endif()
endforeach()
file(GLOB_RECURSE pcfiles ${prefix}/*/TavSoftware.pc)
file(GLOB_RECURSE configs ${prefix}/*/TavSoftwareConfig.cmake)
file(GLOB_RECURSE versions ${prefix}/*/TavSoftwareConfigVersion.cmake)
file(GLOB_RECURSE libs ${prefix}/*/libTavSoftware.so)
foreach(what pcfiles configs versions libs)
  list(LENGTH ${what} n)
  if(NOT n EQUAL 1)
    message(FATAL_ERROR "InstallTest: expected one installed file for ${what}, found: ${${what}}")
  endif()
endforeach()
get_filename_component(pcdir ${pcfiles} DIRECTORY)
get_filename_component(libdir ${libs} DIRECTORY)

# Hidden visibility: internal helpers must not be exported.
find_program(NM nm)
if(NM)
  run(${NM} -D -C --defined-only ${libs})
  if(RUN_OUTPUT MATCHES "PropSeqSet")
    message(FATAL_ERROR "InstallTest: the shared library exports internal symbols (PropSeqSet)")
  endif()
  if(NOT RUN_OUTPUT MATCHES "TavSoftware::Param::Param")
    message(FATAL_ERROR "InstallTest: the shared library does not export TavSoftware::Param")
  endif()
endif()

foreach(mode package pkgconfig)
  set(bdir ${WORK_DIR}/consumer-${mode})
  if(mode STREQUAL "pkgconfig")
    set(use_pc ON)
  else()
    set(use_pc OFF)
  endif()
  run(${CMAKE_COMMAND} -E env PKG_CONFIG_PATH=${pcdir}
      ${CMAKE_COMMAND} -S ${CONSUMER_DIR} -B ${bdir} -G ${GENERATOR}
      -DCMAKE_CXX_COMPILER=${CXX_COMPILER} -DCMAKE_BUILD_TYPE=${BUILD_TYPE}
      -DCMAKE_PREFIX_PATH=${prefix} -DCONSUMER_USE_PKGCONFIG=${use_pc}
      "-DCMAKE_CXX_FLAGS=${SANITIZE_FLAGS}" "-DCMAKE_EXE_LINKER_FLAGS=${SANITIZE_FLAGS}")
  run(${CMAKE_COMMAND} --build ${bdir})
  run(${CMAKE_COMMAND} -E env LD_LIBRARY_PATH=${libdir} ${bdir}/consumer)
  if(NOT RUN_OUTPUT MATCHES "consumer: ok")
    message(FATAL_ERROR "InstallTest: consumer (${mode}) said: ${RUN_OUTPUT}")
  endif()
  message(STATUS "consumer through ${mode}: ok")
endforeach()
file(REMOVE_RECURSE ${WORK_DIR})
