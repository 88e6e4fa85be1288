# Install components and the Debian packages made from them (make package).
#   libarx4       the shared library (its soname's major in the name)
#   libarx-dev    headers, CMake package files, arx.pc, the libarx.so link
#   arx-sim       the simulator, its man page, its viewer files
#   python3-arx   the Python package
# Every package carries usr/share/doc/<package>/copyright and changelogs. The version is the
# project's, so the packages, API_Version and arxConfigVersion.cmake agree.

# arx.pc names its prefix relative to its own folder (pkg-config's
# ${pcfiledir}), so the file holds no build or install path.
set(ARX_PKGCONFIG_DIR ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
if(IS_ABSOLUTE "${CMAKE_INSTALL_LIBDIR}")
  message(FATAL_ERROR "arx.pc needs CMAKE_INSTALL_LIBDIR relative to the prefix")
endif()
file(RELATIVE_PATH ARX_PC_PREFIX_FROM_PCDIR /prefix/${ARX_PKGCONFIG_DIR} /prefix)
configure_file(${CMAKE_CURRENT_LIST_DIR}/arx.pc.in ${PROJECT_BINARY_DIR}/arx.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/arx.pc DESTINATION ${ARX_PKGCONFIG_DIR} COMPONENT libarx-dev)

set(ARX_DEB_COMPONENTS libarx4 libarx-dev)
if(TARGET arx-sim)
  list(APPEND ARX_DEB_COMPONENTS arx-sim)
  install(TARGETS arx-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT arx-sim)
  # Debian's man pages are compressed, reproducibly (no name, no time stamp).
  add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/man/arx-sim.1.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
    COMMAND gzip -9 -n -c ${PROJECT_SOURCE_DIR}/man/arx-sim.1 > ${PROJECT_BINARY_DIR}/man/arx-sim.1.gz
    DEPENDS ${PROJECT_SOURCE_DIR}/man/arx-sim.1 VERBATIM)
  add_custom_target(arx-sim-man ALL DEPENDS ${PROJECT_BINARY_DIR}/man/arx-sim.1.gz)
  # Building only arx-sim (make demo) still leaves everything cmake --install takes.
  add_dependencies(arx-sim arx-sim-man)
  install(FILES ${PROJECT_BINARY_DIR}/man/arx-sim.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT arx-sim)
  # The viewer (sim/web/, which the build copies into arx-sim-web/ beside the
  # binary with Debian's three.js): its page in share/arx-sim/web, three.js
  # linked from libjs-three instead of copied. An installed arx-sim finds the
  # folder as ../share/arx-sim/web from its own.
  if(TARGET arx-sim-web)
    set(ARX_SIM_WEB_DIR ${CMAKE_INSTALL_DATADIR}/arx-sim/web)
    install(DIRECTORY ${PROJECT_SOURCE_DIR}/sim/web/ DESTINATION ${ARX_SIM_WEB_DIR} COMPONENT arx-sim)
    set(links ${PROJECT_BINARY_DIR}/packaging/web)
    file(MAKE_DIRECTORY ${links}/build)
    file(CREATE_LINK /usr/share/javascript/three/build/three.module.js ${links}/build/three.module.js SYMBOLIC)
    file(CREATE_LINK /usr/share/javascript/three/examples/jsm/controls/OrbitControls.js ${links}/OrbitControls.js
         SYMBOLIC)
    install(DIRECTORY ${links}/ DESTINATION ${ARX_SIM_WEB_DIR} COMPONENT arx-sim)
    set(CPACK_DEBIAN_ARX-SIM_PACKAGE_DEPENDS libjs-three)
  endif()
endif()

# The Python package (python/arx/) goes into Debian's dist-packages; it finds
# libarx.so.4 of libarx4 through the system's library search. A copy of the
# library that make python put into the source folder stays out.
if(EXISTS ${PROJECT_SOURCE_DIR}/python/arx/__init__.py)
  list(APPEND ARX_DEB_COMPONENTS python3-arx)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/python/arx DESTINATION lib/python3/dist-packages
          COMPONENT python3-arx
          PATTERN __pycache__ EXCLUDE PATTERN "libarx.so*" EXCLUDE PATTERN "arx.dll" EXCLUDE)
endif()

# The Maintainer field; a distributor sets its own name and address.
set(ARX_DEB_MAINTAINER "the arx authors" CACHE STRING "Maintainer of the Debian packages")
set(ARX_DEB_RELEASE 1)

# Each package's doc folder: copyright, the project's changelog and the
# packaging's own (changelog.Debian), compressed without name or time stamp.
# The date honours SOURCE_DATE_EPOCH, for reproducible packages.
string(TIMESTAMP ARX_DEB_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
set(ARX_DEB_CHANGELOG_DEBIAN "arx (${PROJECT_VERSION}-${ARX_DEB_RELEASE}) unstable; urgency=medium

  * Packaged with CPack from the arx source tree (make package); the
    project's own changes are in changelog.gz.

 -- ${ARX_DEB_MAINTAINER}  ${ARX_DEB_DATE}
")
file(WRITE ${PROJECT_BINARY_DIR}/packaging/changelog.Debian "${ARX_DEB_CHANGELOG_DEBIAN}")
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/packaging/changelog.gz ${PROJECT_BINARY_DIR}/packaging/changelog.Debian.gz
  COMMAND gzip -9 -n -c ${PROJECT_SOURCE_DIR}/CHANGELOG.md > ${PROJECT_BINARY_DIR}/packaging/changelog.gz
  COMMAND gzip -9 -n -c ${PROJECT_BINARY_DIR}/packaging/changelog.Debian > ${PROJECT_BINARY_DIR}/packaging/changelog.Debian.gz
  DEPENDS ${PROJECT_SOURCE_DIR}/CHANGELOG.md ${PROJECT_BINARY_DIR}/packaging/changelog.Debian VERBATIM)
add_custom_target(arx-package-docs ALL
  DEPENDS ${PROJECT_BINARY_DIR}/packaging/changelog.gz ${PROJECT_BINARY_DIR}/packaging/changelog.Debian.gz)
add_dependencies(arx arx-package-docs)
# Only in the packages: a plain cmake --install has share/doc/arx/LICENSE.
foreach(component ${ARX_DEB_COMPONENTS})
  install(FILES ${CMAKE_CURRENT_LIST_DIR}/copyright ${PROJECT_BINARY_DIR}/packaging/changelog.gz
          ${PROJECT_BINARY_DIR}/packaging/changelog.Debian.gz
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${component} COMPONENT ${component} EXCLUDE_FROM_ALL)
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME arx)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "the arx authors")
set(CPACK_PACKAGE_CONTACT "${ARX_DEB_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
set(CPACK_COMPONENTS_ALL ${ARX_DEB_COMPONENTS})
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${ARX_DEB_RELEASE})
set(CPACK_DEBIAN_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# dpkg-shlibdeps reads the ELF files: libcjson1, libc6, libstdc++6, libgcc-s1.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Debian ships stripped binaries; the build folder keeps the debug ones.
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(ARX_DEB_VERSION "${PROJECT_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE}")

set(CPACK_DEBIAN_LIBARX4_PACKAGE_NAME libarx4)
set(CPACK_DEBIAN_LIBARX4_PACKAGE_SECTION libs)
set(CPACK_COMPONENT_LIBARX4_DESCRIPTION "client library for the robot-arm controller
arx talks to the robot-arm controller over TCP: configure, move, teach, query
and monitor the arm through plain C functions, with forward and inverse
kinematics for four arm models.

This package holds the shared library.")

set(CPACK_DEBIAN_LIBARX-DEV_PACKAGE_NAME libarx-dev)
set(CPACK_DEBIAN_LIBARX-DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_LIBARX-DEV_PACKAGE_DEPENDS "libarx4 (= ${ARX_DEB_VERSION})")
set(CPACK_COMPONENT_LIBARX-DEV_DESCRIPTION "client library for the robot-arm controller - development files
arx talks to the robot-arm controller over TCP through plain C functions.

This package holds the header, the CMake package (find_package(arx)) and the
pkg-config file (pkg-config arx).")

set(CPACK_DEBIAN_ARX-SIM_PACKAGE_NAME arx-sim)
set(CPACK_DEBIAN_ARX-SIM_PACKAGE_SECTION devel)
set(CPACK_COMPONENT_ARX-SIM_DESCRIPTION "simulated robot-arm controller for arx
arx-sim answers every request of the arx library on 127.0.0.1, keeps one
controller's state and moves the simulated arm in time, with faults to
inject (delays, lost replies, stalls, resets) for testing applications
without an arm.")

set(CPACK_DEBIAN_PYTHON3-ARX_PACKAGE_NAME python3-arx)
set(CPACK_DEBIAN_PYTHON3-ARX_PACKAGE_SECTION python)
set(CPACK_DEBIAN_PYTHON3-ARX_PACKAGE_ARCHITECTURE all)
set(CPACK_DEBIAN_PYTHON3-ARX_PACKAGE_DEPENDS "python3, libarx4 (= ${ARX_DEB_VERSION})")
set(CPACK_COMPONENT_PYTHON3-ARX_DESCRIPTION "client library for the robot-arm controller - Python 3
The Python package arx calls the arx shared library: connections, commands,
kinematics and result codes from Python.")

include(CPack)
