# Common compile settings for every target of the project.
add_library(tkz_options INTERFACE)
target_compile_options(tkz_options INTERFACE
  $<$<CXX_COMPILER_ID:GNU,Clang>:-Wall -Wextra -Wno-unused-parameter>)
if(TKZ_SANITIZE)
  target_compile_options(tkz_options INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer
                         -fno-sanitize-recover=undefined)
  target_link_options(tkz_options INTERFACE -fsanitize=address,undefined)
endif()
if(TKZ_BUILD_FUZZ)
  target_compile_options(tkz_options INTERFACE -fsanitize=fuzzer-no-link,address,undefined
                         -fno-omit-frame-pointer)
  target_link_options(tkz_options INTERFACE -fsanitize=address,undefined)
endif()

# tkz_add_library(NAME ALIAS DIRS... ) builds a shared library from every .cpp
# file in the listed folders (relative to the source root).
function(tkz_add_library name)
  cmake_parse_arguments(ARG "" "" "DIRS;LINK" ${ARGN})
  set(sources)
  foreach(dir IN LISTS ARG_DIRS)
    file(GLOB dir_sources CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/${dir}/*.cpp")
    list(APPEND sources ${dir_sources})
  endforeach()
  add_library(${name} SHARED ${sources})
  add_library(tkz::${name} ALIAS ${name})
  target_include_directories(${name} PUBLIC
    $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}>
    $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}/tkz>)
  target_compile_features(${name} PUBLIC cxx_std_20)
  target_link_libraries(${name} PRIVATE $<BUILD_INTERFACE:tkz_options> PUBLIC ${ARG_LINK})
  set_target_properties(${name} PROPERTIES
    VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR}
    OUTPUT_NAME tkz_${name} EXPORT_NAME ${name})
endfunction()
