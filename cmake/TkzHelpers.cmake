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

# tkz_add_library(NAME EXPORT_HEADER PATH DIRS... [LINK ...]) builds a shared
# library from every .cpp file in the listed folders (relative to the source
# root). Symbols are hidden unless a declaration carries the library's export
# macro, TKZ_<NAME>_EXPORT, from the generated header PATH (included as
# "PATH", installed beside the library's own headers).
include(GenerateExportHeader)
function(tkz_add_library name)
  cmake_parse_arguments(ARG "" "EXPORT_HEADER" "DIRS;LINK" ${ARGN})
  set(sources)
  foreach(dir IN LISTS ARG_DIRS)
    file(GLOB dir_sources CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/${dir}/*.cpp")
    list(APPEND sources ${dir_sources})
  endforeach()
  add_library(${name} SHARED ${sources})
  add_library(tkz::${name} ALIAS ${name})
  target_include_directories(${name} PUBLIC
    $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}>
    $<BUILD_INTERFACE:${PROJECT_BINARY_DIR}/include>
    $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}/tkz>)
  target_compile_features(${name} PUBLIC cxx_std_20)
  target_link_libraries(${name} PRIVATE $<BUILD_INTERFACE:tkz_options> PUBLIC ${ARG_LINK})
  set_target_properties(${name} PROPERTIES
    VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR}
    OUTPUT_NAME tkz_${name} EXPORT_NAME ${name}
    CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON
    # Installed libraries find their siblings in their own folder.
    INSTALL_RPATH "$ORIGIN")
  string(TOUPPER ${name} upper)
  generate_export_header(${name} BASE_NAME tkz_${name}
    EXPORT_MACRO_NAME TKZ_${upper}_EXPORT
    EXPORT_FILE_NAME ${PROJECT_BINARY_DIR}/include/${ARG_EXPORT_HEADER})
  get_filename_component(dir ${ARG_EXPORT_HEADER} DIRECTORY)
  install(FILES ${PROJECT_BINARY_DIR}/include/${ARG_EXPORT_HEADER}
    DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/tkz/${dir})
endfunction()
