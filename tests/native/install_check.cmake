# Installs the native component into a fresh prefix, checks the files are there, then
# configures, builds and runs a C client against that installed copy only.
foreach(var BUILD_DIR WORK_DIR CLIENT_DIR CLIENT_SOURCE)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "${var} not set")
  endif()
endforeach()
file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "failed (${rc}): ${ARGN}\n${out}\n${err}")
  endif()
  message(STATUS "${out}")
endfunction()

run(${CMAKE_COMMAND} --install ${BUILD_DIR} --component native --prefix ${prefix})
foreach(f include/pirrow.h include/nadrix.h include/vantrel_native_call.h
          lib/libpirrow.so lib/libnadrix.so
          lib/cmake/Pirrow/PirrowConfig.cmake lib/cmake/Pirrow/PirrowConfigVersion.cmake
          lib/cmake/Nadrix/NadrixConfig.cmake lib/cmake/Nadrix/NadrixTargets.cmake)
  if(NOT EXISTS ${prefix}/${f})
    message(FATAL_ERROR "not installed: ${f}")
  endif()
endforeach()

# The survey math component beside them, when it is part of the build.
if(WITH_OMBRIX)
  run(${CMAKE_COMMAND} --install ${BUILD_DIR} --component components --prefix ${prefix})
  foreach(f lib/libombrix.so include/components/mathlib/ombrix.h)
    if(NOT EXISTS ${prefix}/${f})
      message(FATAL_ERROR "not installed: ${f}")
    endif()
  endforeach()
endif()

run(${CMAKE_COMMAND} -S ${CLIENT_DIR} -B ${WORK_DIR}/client -DCMAKE_PREFIX_PATH=${prefix}
    -DCLIENT_SOURCE=${CLIENT_SOURCE} -DCMAKE_BUILD_TYPE=Release
    "-DCMAKE_C_FLAGS=${CLIENT_FLAGS}" "-DCMAKE_EXE_LINKER_FLAGS=${CLIENT_FLAGS}")
run(${CMAKE_COMMAND} --build ${WORK_DIR}/client)
run(${WORK_DIR}/client/native_client)
