# Installs a library of ours as its own CMake package: find_package(<Name>) gives the
# target <Name>::<target>, with its headers and a version file.
include_guard(GLOBAL)
include(CMakePackageConfigHelpers)

function(vantrel_install_package target name component)
  install(TARGETS ${target} EXPORT ${name}Targets
    COMPONENT ${component}
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
    RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
    PUBLIC_HEADER DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}
    INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
  set(dest ${CMAKE_INSTALL_LIBDIR}/cmake/${name})
  install(EXPORT ${name}Targets NAMESPACE ${name}:: DESTINATION ${dest} COMPONENT ${component})
  set(VANTREL_PACKAGE_NAME ${name})
  configure_package_config_file(
    ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/PackageConfig.cmake.in
    ${CMAKE_CURRENT_BINARY_DIR}/${name}Config.cmake
    INSTALL_DESTINATION ${dest})
  write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/${name}ConfigVersion.cmake
    VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${name}Config.cmake
                ${CMAKE_CURRENT_BINARY_DIR}/${name}ConfigVersion.cmake
    DESTINATION ${dest} COMPONENT ${component})
endfunction()

# A shared library that links the routines statically and exports only the names in
# its version script (or .def file on Windows).
function(vantrel_native_exports target map def)
  set_target_properties(${target} PROPERTIES
    C_VISIBILITY_PRESET hidden CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON
    LINK_DEPENDS ${map})
  if(WIN32)
    target_sources(${target} PRIVATE ${def})
  elseif(NOT APPLE)
    target_link_options(${target} PRIVATE
      "LINKER:--version-script=${map}" "LINKER:--exclude-libs,ALL" "LINKER:--no-undefined")
  endif()
endfunction()
