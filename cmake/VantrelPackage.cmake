# How our libraries install: split into the library and its development files, as CMake
# packages (find_package(<Name>) gives <Name>::<target>) and as pkg-config files.
include_guard(GLOBAL)
include(CMakePackageConfigHelpers)

# Installs a shared library into the export set `export`: the library itself (with its
# soname link) into `component`, what only builders need (the development link, headers,
# package files) into `component`_dev. The Debian package puts the two into the program's
# package and the -dev package.
function(vantrel_install_library target export component)
  install(TARGETS ${target} EXPORT ${export}
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
      COMPONENT ${component} NAMELINK_COMPONENT ${component}_dev
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT ${component}_dev
    RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT ${component}
    PUBLIC_HEADER DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT ${component}_dev
    INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
endfunction()

function(vantrel_install_package target name component)
  vantrel_install_library(${target} ${name}Targets ${component})
  set(dest ${CMAKE_INSTALL_LIBDIR}/cmake/${name})
  install(EXPORT ${name}Targets NAMESPACE ${name}:: DESTINATION ${dest} COMPONENT ${component}_dev)
  set(VANTREL_PACKAGE_NAME ${name})
  configure_package_config_file(
    ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/PackageConfig.cmake.in
    ${CMAKE_CURRENT_BINARY_DIR}/${name}Config.cmake
    INSTALL_DESTINATION ${dest})
  write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/${name}ConfigVersion.cmake
    VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${name}Config.cmake
                ${CMAKE_CURRENT_BINARY_DIR}/${name}ConfigVersion.cmake
    DESTINATION ${dest} COMPONENT ${component}_dev)
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
      "LINKER:--version-script=${map}" "LINKER:--exclude-libs,ALL" "LINKER:--no-undefined"
      # Linked against the C library even where no call needs it, as a shared library must be.
      "LINKER:--push-state,--no-as-needed,-lc,--pop-state")
  endif()
endfunction()

# Installs <libdir>/pkgconfig/<name>.pc for a library of ours. The file is written at
# install time, so its prefix is the one installed into (`cmake --install --prefix`, or
# /usr inside the Debian package), not the one configured.
#   vantrel_install_pkgconfig(pirrow COMPONENT native_dev DESCRIPTION "..." LIBS -lpirrow
#                             [REQUIRES other-pc-name])
function(vantrel_install_pkgconfig name)
  cmake_parse_arguments(PC "" "COMPONENT;DESCRIPTION" "LIBS;REQUIRES" ${ARGN})
  list(JOIN PC_LIBS " " libs)
  list(JOIN PC_REQUIRES " " requires)
  set(template ${CMAKE_CURRENT_BINARY_DIR}/${name}.pc.in)
  file(WRITE ${template}
    "prefix=@PC_PREFIX@\n"
    "libdir=\${prefix}/${CMAKE_INSTALL_LIBDIR}\n"
    "includedir=\${prefix}/${CMAKE_INSTALL_INCLUDEDIR}\n\n"
    "Name: ${name}\n"
    "Description: ${PC_DESCRIPTION}\n"
    "Version: ${PROJECT_VERSION}\n"
    "URL: ${VANTREL_HOMEPAGE}\n")
  if(requires)
    file(APPEND ${template} "Requires: ${requires}\n")
  endif()
  file(APPEND ${template} "Libs: -L\${libdir} ${libs}\n")
  file(APPEND ${template} "Cflags: -I\${includedir}\n")
  install(CODE "
    set(pc \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}/pkgconfig/${name}.pc\")
    set(PC_PREFIX \"\${CMAKE_INSTALL_PREFIX}\")
    message(STATUS \"Installing: \${pc}\")
    configure_file(\"${template}\" \"\${pc}\" @ONLY)
    list(APPEND CMAKE_INSTALL_MANIFEST_FILES \"\${pc}\")"
    COMPONENT ${PC_COMPONENT})
endfunction()
