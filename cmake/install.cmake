# What `cmake --install` puts down for another project: the S7 library and the
# variables library with the static libraries below them, their public headers
# and a package config, so that find_package(tolvane) gives tolvane::s7lib
# and tolvane::vars.
include(CMakePackageConfigHelpers)

set(TOLVANE_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/tolvane)

set(TOLVANE_INSTALLED_LIBS res platform runtime s7lib vars)
# Builds just what the install copies (scripts/consumer.sh).
add_custom_target(tolvane-package)
add_dependencies(tolvane-package ${TOLVANE_INSTALLED_LIBS})

install(TARGETS ${TOLVANE_INSTALLED_LIBS}
        EXPORT tolvane-targets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})

# The two public headers and what they include, each under its directory's
# name as the sources include it.
install(FILES s7lib/s7lib.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/s7lib)
# vars/vars.h gathers the topic headers beside it, so they all go; the
# *_internal.h headers stay with the library's sources.
file(GLOB TOLVANE_VARS_HEADERS ${PROJECT_SOURCE_DIR}/vars/*.h)
list(FILTER TOLVANE_VARS_HEADERS EXCLUDE REGEX "_internal\\.h$")
install(FILES ${TOLVANE_VARS_HEADERS} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/vars)
install(FILES res/strings.h ${PROJECT_BINARY_DIR}/res/string_ids.h
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/res)
install(FILES runtime/runtime.h runtime/threadctx.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/runtime)
install(FILES platform/platform.h platform/messages.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/platform)

install(EXPORT tolvane-targets NAMESPACE tolvane:: DESTINATION ${TOLVANE_CMAKE_DIR})

# The system libraries platform links that a consumer must find again.
if(WIN32)
  set(TOLVANE_NEEDS_THREADS OFF)
else()
  set(TOLVANE_NEEDS_THREADS ON)
endif()
configure_package_config_file(cmake/tolvane-config.cmake.in
  ${PROJECT_BINARY_DIR}/tolvane-config.cmake
  INSTALL_DESTINATION ${TOLVANE_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/tolvane-config-version.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/tolvane-config.cmake
              ${PROJECT_BINARY_DIR}/tolvane-config-version.cmake
        DESTINATION ${TOLVANE_CMAKE_DIR})
