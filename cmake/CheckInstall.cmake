# Installs the built project into a scratch prefix, then configures, builds and
# runs examples/consumer against it with find_package(tkz) and pkg-config.
file(REMOVE_RECURSE ${TKZ_WORK_DIR})
set(prefix ${TKZ_WORK_DIR}/prefix)
execute_process(COMMAND ${CMAKE_COMMAND} --install ${TKZ_BUILD_DIR} --prefix ${prefix}
                RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "install failed: ${rc}")
endif()
set(flags "")
if(TKZ_SANITIZE)
  set(flags "-fsanitize=address,undefined")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -S ${TKZ_SOURCE_DIR}/examples/consumer -B ${TKZ_WORK_DIR}/build
                  -G Ninja -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_CXX_COMPILER=${TKZ_CXX_COMPILER}
                  "-DCMAKE_CXX_FLAGS=${flags}" "-DCMAKE_EXE_LINKER_FLAGS=${flags}"
                RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "configuring the consumer failed: ${rc}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${TKZ_WORK_DIR}/build RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "building the consumer failed: ${rc}")
endif()
execute_process(COMMAND ${TKZ_WORK_DIR}/build/consumer RESULT_VARIABLE rc OUTPUT_VARIABLE out
                ERROR_VARIABLE err)
if(NOT rc EQUAL 0 OR NOT out MATCHES "csvSemicolon")
  message(FATAL_ERROR "the consumer did not run as expected (${rc}):\n${out}\n${err}")
endif()
# pkg-config must describe the same libraries.
find_program(PKG_CONFIG pkg-config)
if(PKG_CONFIG)
  set(ENV{PKG_CONFIG_PATH} ${prefix}/lib/pkgconfig)
  execute_process(COMMAND ${PKG_CONFIG} --libs tkz-numkit RESULT_VARIABLE rc OUTPUT_VARIABLE libs)
  if(NOT rc EQUAL 0 OR NOT libs MATCHES "-ltkz_numkit")
    message(FATAL_ERROR "pkg-config does not know tkz-numkit: ${libs}")
  endif()
endif()
message(STATUS "installed package builds and runs the example")
