# Windows x64 build (cross-built with mingw-w64, see mingw-w64-x86_64.cmake):
# arx.dll with its import library and a .def file, linked statically against
# libgcc, libstdc++, winpthread and cJSON, so it needs only system DLLs.
# Included from the top-level CMakeLists.txt before the targets are defined.

# cJSON from Debian's own source package, fetched into the build folder.
set(ARX_CJSON_SOURCE ${PROJECT_BINARY_DIR}/_deps/cjson)
if(NOT EXISTS ${ARX_CJSON_SOURCE}/cJSON.c)
  message(STATUS "Fetching Debian's cjson source package")
  execute_process(COMMAND ${CMAKE_CURRENT_LIST_DIR}/fetch_debian_source.sh cjson ${PROJECT_BINARY_DIR}/_deps
                  RESULT_VARIABLE fetch_result)
  if(NOT fetch_result EQUAL 0)
    message(FATAL_ERROR "could not fetch the cjson source package (needs apt-get and dpkg-dev)")
  endif()
endif()
# Consumers include <cjson/cJSON.h>, as with the system package.
file(COPY ${ARX_CJSON_SOURCE}/cJSON.h DESTINATION ${PROJECT_BINARY_DIR}/_deps/include/cjson)
add_library(cjson STATIC ${ARX_CJSON_SOURCE}/cJSON.c)
target_include_directories(cjson PUBLIC ${PROJECT_BINARY_DIR}/_deps/include)
# Linked into arx.dll, never exported from it.
target_compile_definitions(cjson PUBLIC CJSON_HIDE_SYMBOLS)

# Windows 7 API level: WSAPoll, inet_pton, condition variables; M_PI as on POSIX.
add_compile_definitions(_WIN32_WINNT=0x0601 WINVER=0x0601 _USE_MATH_DEFINES)
# Everything statically linked: neither the DLL nor the test programs need the
# toolchain's runtime DLLs beside them.
add_link_options(-static -static-libgcc -static-libstdc++)
link_libraries(ws2_32)

# GoogleTest from Debian's googletest sources.
if(ARX_BUILD_TESTS)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${PROJECT_BINARY_DIR}/_deps/googletest EXCLUDE_FROM_ALL)
endif()

# After the targets exist (called at the end of the top-level CMakeLists.txt).
function(arx_windows_targets)
  # arx.dll, libarx.dll.a and arx.def (for an import library of another
  # toolchain: lib /def:arx.def /machine:x64 /out:arx.lib).
  set_target_properties(arx PROPERTIES PREFIX "" RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}
                        ARCHIVE_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR})
  target_link_options(arx PRIVATE -Wl,--output-def,${PROJECT_BINARY_DIR}/arx.def)
  # The static archive has its own objects, built without dllexport.
  add_library(arx_static_objects OBJECT ${ARX_SOURCES})
  target_include_directories(arx_static_objects PUBLIC
    ${PROJECT_SOURCE_DIR}/include ${PROJECT_SOURCE_DIR} ${PROJECT_BINARY_DIR}/generated)
  target_compile_definitions(arx_static_objects PUBLIC ARX_STATIC)
  target_compile_options(arx_static_objects PRIVATE -Wall -Wextra)
  target_link_libraries(arx_static_objects PUBLIC cjson Threads::Threads)
  set_property(TARGET arx_static PROPERTY SOURCES $<TARGET_OBJECTS:arx_static_objects>)
  target_compile_definitions(arx_static PUBLIC ARX_STATIC)
endfunction()
