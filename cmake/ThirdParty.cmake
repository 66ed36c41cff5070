# Dependencies, installed and called, never copied into the tree:
# - jsoncpp and minizip compiled from Debian's source packages, which
#   scripts/bootstrap fetched into .cache/debsrc;
# - zlib for MinGW from libz-mingw-w64-dev;
# - GoogleTest from Debian's googletest sources in /usr/src/googletest.
set(ORVANE_DEBSRC_DIR ${CMAKE_SOURCE_DIR}/.cache/debsrc CACHE PATH "Debian source packages")
set(_deps ${CMAKE_BINARY_DIR}/_deps)

# Unpacks a Debian source package (with Debian's patches) once per build tree,
# then applies our own patches from cmake/patches, each with a header that
# says why (patch(1) comes with dpkg-dev).
function(orvane_unpack_debsrc name out_var)
  file(GLOB _dsc ${ORVANE_DEBSRC_DIR}/${name}_*.dsc)
  if(NOT _dsc)
    message(FATAL_ERROR "No Debian source of ${name} in ${ORVANE_DEBSRC_DIR}: run scripts/bootstrap")
  endif()
  list(GET _dsc 0 _dsc)
  set(_dir ${_deps}/${name})
  set(_stale FALSE)
  foreach(_input ${_dsc} ${ARGN})
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${_input})
    if(NOT EXISTS ${_dir}/.unpacked OR ${_input} IS_NEWER_THAN ${_dir}/.unpacked)
      set(_stale TRUE)
    endif()
  endforeach()
  if(_stale)
    file(REMOVE_RECURSE ${_dir})
    file(MAKE_DIRECTORY ${_deps})
    execute_process(COMMAND dpkg-source --no-check -x ${_dsc} ${_dir}
                    OUTPUT_QUIET RESULT_VARIABLE _rc)
    if(NOT _rc EQUAL 0)
      message(FATAL_ERROR "dpkg-source failed for ${_dsc}")
    endif()
    foreach(_patch ${ARGN})
      execute_process(COMMAND patch -p1 --forward --batch -i ${_patch}
                      WORKING_DIRECTORY ${_dir} OUTPUT_QUIET RESULT_VARIABLE _rc)
      if(NOT _rc EQUAL 0)
        message(FATAL_ERROR "${_patch} does not apply to ${_dsc}")
      endif()
    endforeach()
    file(TOUCH ${_dir}/.unpacked)
  endif()
  set(${out_var} ${_dir} PARENT_SCOPE)
endfunction()

orvane_unpack_debsrc(libjsoncpp _jsoncpp
  ${CMAKE_SOURCE_DIR}/cmake/patches/jsoncpp-without-iostreams.patch)
add_library(jsoncpp_static STATIC
  ${_jsoncpp}/src/lib_json/json_reader.cpp
  ${_jsoncpp}/src/lib_json/json_value.cpp
  ${_jsoncpp}/src/lib_json/json_writer.cpp)
target_include_directories(jsoncpp_static SYSTEM PUBLIC ${_jsoncpp}/include)
# no stream interfaces: they would bring libstdc++'s locales into every
# program (see the patch). A test prints a Value with toStyledString(); it
# has no operator<<, so gtest's EXPECT_EQ on two Values does not link.
target_compile_definitions(jsoncpp_static PRIVATE JSONCPP_WITHOUT_IOSTREAMS=1)
target_link_libraries(jsoncpp_static PRIVATE orvane_options)
target_compile_options(jsoncpp_static PRIVATE -w)

if(WIN32)
  find_library(ORVANE_ZLIB_ARCHIVE NAMES libz.a REQUIRED)
  find_path(ORVANE_ZLIB_INCLUDE zlib.h REQUIRED)
  add_library(zlib_static STATIC IMPORTED GLOBAL)
  set_target_properties(zlib_static PROPERTIES
    IMPORTED_LOCATION ${ORVANE_ZLIB_ARCHIVE}
    INTERFACE_INCLUDE_DIRECTORIES ${ORVANE_ZLIB_INCLUDE})

  orvane_unpack_debsrc(zlib _zlib)
  set(_mz ${_zlib}/contrib/minizip)
  add_library(minizip_static STATIC ${_mz}/unzip.c ${_mz}/ioapi.c ${_mz}/iowin32.c ${_mz}/zip.c)
  target_include_directories(minizip_static SYSTEM PUBLIC ${_zlib}/contrib)
  target_link_libraries(minizip_static PUBLIC zlib_static PRIVATE orvane_options)
  target_compile_options(minizip_static PRIVATE -w)
endif()

if(ORVANE_BUILD_TESTS)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${_deps}/googletest EXCLUDE_FROM_ALL SYSTEM)
  foreach(_t gtest gtest_main gmock gmock_main)
    target_link_libraries(${_t} PUBLIC orvane_options)
  endforeach()
endif()
