# The Debian packages, made by `cpack -G DEB` in a build folder (scripts/package.sh):
#   vantrel      the program, its menu entry, icons, metainfo, manual page and user manual,
#                the shared libraries, and whatever else installs into a component of
#                its own (the command-line program, the Python module)
#   vantrel-dev  every component named *_dev: headers, development links, CMake
#                packages, pkg-config files
# Included last, so that every install() rule of the project is known.
set(VANTREL_MAINTAINER "Vantrel developers <developers@vantrel.org>" CACHE STRING
    "Maintainer named in the Debian packages")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vantrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Vantrel developers")
set(CPACK_PACKAGE_CONTACT "${VANTREL_MAINTAINER}")
set(CPACK_STRIP_FILES ON)
set(CPACK_THREADS 2)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${VANTREL_HOMEPAGE}")
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
# Depends worked out from what the binaries link (dpkg-shlibdeps), shlibs for our libraries.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")

# Every package carries its copyright file and changelog, compressed as Debian wants.
find_program(GZIP gzip REQUIRED)
set(VANTREL_CHANGELOG_DATE "Wed, 09 Dec 2026 00:00:00 +0000")
foreach(pkg vantrel vantrel-dev python3-vantrel)
  set(dir ${CMAKE_BINARY_DIR}/packaging/${pkg})
  set(VANTREL_DEB_PACKAGE ${pkg})
  configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog.in ${dir}/changelog @ONLY)
  add_custom_command(OUTPUT ${dir}/changelog.gz
    COMMAND ${GZIP} -9nf -k ${dir}/changelog DEPENDS ${dir}/changelog VERBATIM)
  list(APPEND vantrel_doc_files ${dir}/changelog.gz)
  set(component app)
  if(pkg STREQUAL "vantrel-dev")
    set(component doc_dev)
  elseif(pkg STREQUAL "python3-vantrel")
    set(component python)
  endif()
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${dir}/changelog.gz
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${pkg} COMPONENT ${component})
endforeach()
add_custom_target(vantrel_package_docs ALL DEPENDS ${vantrel_doc_files})

get_cmake_property(all_components COMPONENTS)
set(CPACK_COMPONENTS_ALL ${all_components})
foreach(c ${all_components})
  string(TOUPPER ${c} upper)
  if(c MATCHES "_dev$")
    set(CPACK_COMPONENT_${upper}_GROUP dev)
  elseif(c STREQUAL "python")
    set(CPACK_COMPONENT_${upper}_GROUP python)
  else()
    set(CPACK_COMPONENT_${upper}_GROUP main)
  endif()
endforeach()

set(CPACK_DEBIAN_MAIN_PACKAGE_NAME vantrel)
set(CPACK_DEBIAN_MAIN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_MAIN_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/packaging/triggers)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/vantrel.lintian-overrides RENAME vantrel
  DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides COMPONENT app)
# Qt's own Chinese texts (standard buttons, file dialogs); the libraries come from shlibdeps.
set(CPACK_DEBIAN_MAIN_PACKAGE_DEPENDS "qt6-translations-l10n")
set(CPACK_DEBIAN_MAIN_PACKAGE_RECOMMENDS "xdg-utils, fonts-noto-cjk | fonts-wqy-microhei")
set(CPACK_DEBIAN_MAIN_DESCRIPTION "surveying calculator with a Chinese interface
Vantrel is a desktop calculator for field and office surveyors: conversion
between space Cartesian, geodetic and Gauss-Krueger coordinates on the 1954,
1980 and WGS84 ellipsoids with a built-in height anomaly model, Gauss zone
change, seven-parameter and plane point-file transformations, coordinate
forward and inverse computation, intersection, resection, open traverse with
its diagram, stakeout, and small geodetic quantities.

The package also holds the shared libraries Tandrel (GPS receiver sentences
and coordinate conversions), Ombrix (survey mathematics), Pirrow (geodetic
quantities) and Nadrix (matrix inversion).")

set(CPACK_DEBIAN_DEV_PACKAGE_NAME vantrel-dev)
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS "vantrel (= ${PROJECT_VERSION})")
set(CPACK_DEBIAN_DEV_DESCRIPTION "development files of the Vantrel surveying libraries
Headers, development links, CMake package files and pkg-config files of
Tandrel, Ombrix and their component layer (C++20) and of Pirrow and Nadrix
(plain C), for building programs against the libraries of the vantrel package.")


# The Python module as Debian ships modules: its own package, for the interpreter it was
# built for, needing numpy at run time.
find_package(Python3 COMPONENTS Interpreter QUIET)
math(EXPR python_next_minor "${Python3_VERSION_MINOR} + 1")
set(CPACK_DEBIAN_PYTHON_PACKAGE_NAME python3-vantrel)
set(CPACK_DEBIAN_PYTHON_PACKAGE_SECTION python)
set(CPACK_DEBIAN_PYTHON_PACKAGE_DEPENDS
    "python3 (>= ${Python3_VERSION_MAJOR}.${Python3_VERSION_MINOR}), python3 (<< ${Python3_VERSION_MAJOR}.${python_next_minor}), python3-numpy")
set(CPACK_DEBIAN_PYTHON_DESCRIPTION "Vantrel's surveying routines for Python scripts
The module vantrel offers the calculator's conversions and computations on
numpy arrays and scalars, with exactly the calculator's numbers: packed
D.MMSS angles, geodetic quantities, plane forward and inverse computation,
intersection and resection, traverse legs and adjustment, least-squares
adjustment of control and levelling networks, common-point and
seven-parameter fits, point files and receiver sentences.")

include(CPack)
set(VANTREL_DEB_PACKAGING ON)
