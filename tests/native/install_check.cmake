# Installs the libraries' parts into a fresh prefix, checks the files are there, then
# builds the clients against that installed copy only, twice: as a CMake project that
# finds the packages, and by hand with the flags `pkg-config --cflags --libs` gives.
foreach(var BUILD_DIR WORK_DIR CLIENT_DIR CLIENT_SOURCE C_COMPILER CXX_COMPILER PKG_CONFIG LIBDIR)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "${var} not set")
  endif()
endforeach()
file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)
separate_arguments(flags UNIX_COMMAND "${CLIENT_FLAGS}")

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "failed (${rc}): ${ARGN}\n${out}\n${err}")
  endif()
  message(STATUS "${out}")
endfunction()

set(parts native native_dev)
set(lib ${LIBDIR})
set(expected include/pirrow.h include/nadrix.h include/vantrel_native_call.h
    ${lib}/libpirrow.so ${lib}/libnadrix.so ${lib}/libpirrow.so.1 ${lib}/libnadrix.so.1
    ${lib}/cmake/Pirrow/PirrowConfig.cmake ${lib}/cmake/Pirrow/PirrowConfigVersion.cmake
    ${lib}/cmake/Nadrix/NadrixConfig.cmake ${lib}/cmake/Nadrix/NadrixTargets.cmake
    ${lib}/pkgconfig/pirrow.pc ${lib}/pkgconfig/nadrix.pc)
if(WITH_COMPONENTS)
  list(APPEND parts components components_dev)
  list(APPEND expected include/ombrix/ombrix.h include/tandrel/tandrel.h include/vantrel/runtime.h
       ${lib}/libombrix.so ${lib}/libtandrel.so ${lib}/libvantrel_component_runtime.so
       ${lib}/pkgconfig/ombrix.pc ${lib}/pkgconfig/tandrel.pc
       ${lib}/pkgconfig/vantrel-component-runtime.pc)
endif()
foreach(part ${parts})
  run(${CMAKE_COMMAND} --install ${BUILD_DIR} --component ${part} --prefix ${prefix})
endforeach()
foreach(f ${expected})
  if(NOT EXISTS ${prefix}/${f})
    message(FATAL_ERROR "not installed: ${f}")
  endif()
endforeach()

# The libraries find each other at run time through the library path, as in any prefix
# outside the loader's folders.
set(env ${CMAKE_COMMAND} -E env LD_LIBRARY_PATH=${prefix}/${lib})

# 1. CMake packages.
run(${CMAKE_COMMAND} -S ${CLIENT_DIR} -B ${WORK_DIR}/client -DCMAKE_PREFIX_PATH=${prefix}
    -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF -DCMAKE_FIND_USE_SYSTEM_PACKAGE_REGISTRY=OFF
    -DCMAKE_C_COMPILER=${C_COMPILER} -DCMAKE_CXX_COMPILER=${CXX_COMPILER}
    -DCLIENT_SOURCE=${CLIENT_SOURCE} -DWITH_COMPONENTS=${WITH_COMPONENTS} -DCMAKE_BUILD_TYPE=Release
    "-DCMAKE_C_FLAGS=${CLIENT_FLAGS}" "-DCMAKE_CXX_FLAGS=${CLIENT_FLAGS}"
    "-DCMAKE_EXE_LINKER_FLAGS=${CLIENT_FLAGS}")
run(${CMAKE_COMMAND} --build ${WORK_DIR}/client)
run(${env} ${WORK_DIR}/client/native_client)
if(WITH_COMPONENTS)
  run(${env} ${WORK_DIR}/client/components_client)
endif()

# 2. pkg-config, seeing only the prefix's files.
function(pkg_flags out)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env PKG_CONFIG_LIBDIR=${prefix}/${lib}/pkgconfig
                          ${PKG_CONFIG} --cflags --libs ${ARGN}
                  RESULT_VARIABLE rc OUTPUT_VARIABLE text ERROR_VARIABLE err
                  OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "pkg-config ${ARGN} failed: ${err}")
  endif()
  if(NOT text MATCHES "-I${prefix}/include" OR NOT text MATCHES "-L${prefix}/${lib}")
    message(FATAL_ERROR "pkg-config ${ARGN} does not point into the prefix: ${text}")
  endif()
  separate_arguments(list UNIX_COMMAND "${text}")
  set(${out} ${list} PARENT_SCOPE)
endfunction()
pkg_flags(c_flags pirrow nadrix)
run(${C_COMPILER} -std=c99 ${flags} ${CLIENT_SOURCE} ${c_flags} -lm -o ${WORK_DIR}/pc_native_client)
run(${env} ${WORK_DIR}/pc_native_client)
if(WITH_COMPONENTS)
  pkg_flags(cxx_flags ombrix tandrel)
  run(${CXX_COMPILER} -std=c++20 ${flags} ${CLIENT_DIR}/components_client.cpp ${cxx_flags}
      -o ${WORK_DIR}/pc_components_client)
  run(${env} ${WORK_DIR}/pc_components_client)
endif()
