# Installs the build into a fresh prefix, checks that the Tandrel headers, libraries and
# package config are there, then configures and builds the example client against that
# prefix only and checks what it prints for a recorded receiver stream.
foreach(var BUILD_DIR WORK_DIR CLIENT_DIR GENERATOR CXX_COMPILER LIBDIR INCLUDEDIR STREAM EXPECTED)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "${var} not set")
  endif()
endforeach()
file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)
set(client ${WORK_DIR}/client/gps_monitor)

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "failed (${rc}): ${ARGN}\n${out}\n${err}")
  endif()
endfunction()

# Runs the client; sets out, err and rc in the caller.
function(run_client)
  execute_process(COMMAND ${client} ${ARGN} RESULT_VARIABLE r OUTPUT_VARIABLE o ERROR_VARIABLE e)
  set(rc "${r}" PARENT_SCOPE)
  set(out "${o}" PARENT_SCOPE)
  set(err "${e}" PARENT_SCOPE)
endfunction()

function(expect what got want)
  if(NOT "${got}" STREQUAL "${want}")
    message(FATAL_ERROR "${what}:\n--- got ---\n${got}\n--- expected ---\n${want}")
  endif()
endfunction()

run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})
set(cfg ${LIBDIR}/cmake/VantrelComponents)
foreach(f ${INCLUDEDIR}/tandrel/tandrel.h ${INCLUDEDIR}/tandrel/sentences.h ${INCLUDEDIR}/tandrel/serial_port.h
          ${INCLUDEDIR}/vantrel/runtime.h
          ${LIBDIR}/libtandrel.so ${LIBDIR}/libvantrel_component_runtime.so
          ${cfg}/VantrelComponentsConfig.cmake ${cfg}/VantrelComponentsConfigVersion.cmake
          ${cfg}/VantrelComponentTargets.cmake)
  if(NOT EXISTS ${prefix}/${f})
    message(FATAL_ERROR "not installed: ${f}")
  endif()
endforeach()

# Only the prefix may satisfy find_package: no package registries, no build tree.
run(${CMAKE_COMMAND} -S ${CLIENT_DIR} -B ${WORK_DIR}/client -G ${GENERATOR}
    -DCMAKE_CXX_COMPILER=${CXX_COMPILER} -DCMAKE_BUILD_TYPE=Release
    "-DCMAKE_CXX_FLAGS=${CLIENT_FLAGS}" "-DCMAKE_EXE_LINKER_FLAGS=${CLIENT_FLAGS}"
    -DCMAKE_PREFIX_PATH=${prefix}
    -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF -DCMAKE_FIND_USE_SYSTEM_PACKAGE_REGISTRY=OFF)
file(STRINGS ${WORK_DIR}/client/CMakeCache.txt found_dir REGEX "^VantrelComponents_DIR:")
expect("package found" "${found_dir}" "VantrelComponents_DIR:PATH=${prefix}/${cfg}")
run(${CMAKE_COMMAND} --build ${WORK_DIR}/client)

# The whole recording: three GGA positions, the other sentences counted, the sentence with
# a wrong checksum and the one without a checksum rejected, the cut-off tail dropped.
file(READ ${EXPECTED} want_all)
run_client(--file ${STREAM})
expect("exit status" "${rc}" "0")
expect("positions" "${out}" "${want_all}")
expect("summary" "${err}"
       "gps_monitor: 7 sentences, 2 rejected, 3 positions, 30 unfinished bytes dropped\n")

# --count stops after the first position.
string(REGEX MATCH "^[^\n]*\n" want_first "${want_all}")
run_client(--count 1 --file ${STREAM})
expect("exit status with --count" "${rc}" "0")
expect("first position" "${out}" "${want_first}")
# The complete sentences after it were never read: only the cut-off tail is unfinished.
expect("summary with --count" "${err}"
       "gps_monitor: 1 sentences, 0 rejected, 1 positions, 30 unfinished bytes dropped\n")

# A regular file is no serial port: CommPort_Avl says so and the client gives up.
run_client(${STREAM})
expect("exit status on a non-port" "${rc}" "1")
expect("nothing printed for a non-port" "${out}" "")
if(NOT err MATCHES "cannot be opened as a serial port")
  message(FATAL_ERROR "no message for a non-port: ${err}")
endif()

foreach(args "--count;x;--file;${STREAM}" "--file" "a;b" "--file;${STREAM};/dev/ttyS0")
  run_client(${args})
  expect("exit status for bad arguments '${args}'" "${rc}" "2")
endforeach()

run_client(--file ${WORK_DIR}/no-such-recording)
expect("exit status on a missing recording" "${rc}" "1")

# The same recording through a pseudo-terminal, read as a serial port.
if(PYTHON)
  run(${PYTHON} ${SERIAL_REPLAY} ${client} ${STREAM} ${EXPECTED})
endif()
