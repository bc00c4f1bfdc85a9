include(CMakePackageConfigHelpers)

install(TARGETS corekit numkit mapkit molkit EXPORT tkzTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# Public headers only: a header named *_internal.h serves its neighbours'
# sources and is not part of the interface.
foreach(dir core geo chem)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/${dir}/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/tkz/${dir}
    FILES_MATCHING PATTERN "*.h" PATTERN "*_internal.h" EXCLUDE)
endforeach()
install(TARGETS tkz RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

install(EXPORT tkzTargets NAMESPACE tkz:: DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/tkz)
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/tkzConfig.cmake.in
  ${PROJECT_BINARY_DIR}/tkzConfig.cmake INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/tkz)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/tkzConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/tkzConfig.cmake ${PROJECT_BINARY_DIR}/tkzConfigVersion.cmake
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/tkz)

# pkg-config files, one per library, relocatable: the prefix is found from the
# file's own place, so a tree installed with --prefix anywhere gives working
# flags.
file(RELATIVE_PATH TKZ_PC_PREFIX_FROM_PCDIR "/prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig" "/prefix")
string(REGEX REPLACE "/$" "" TKZ_PC_PREFIX_FROM_PCDIR "${TKZ_PC_PREFIX_FROM_PCDIR}")
set(TKZ_PC_corekit_REQUIRES "")
set(TKZ_PC_numkit_REQUIRES "tkz-corekit")
set(TKZ_PC_mapkit_REQUIRES "tkz-corekit tkz-numkit")
set(TKZ_PC_molkit_REQUIRES "tkz-corekit tkz-numkit")
foreach(lib corekit numkit mapkit molkit)
  set(TKZ_PC_NAME ${lib})
  set(TKZ_PC_REQUIRES ${TKZ_PC_${lib}_REQUIRES})
  configure_file(${PROJECT_SOURCE_DIR}/cmake/tkz.pc.in ${PROJECT_BINARY_DIR}/tkz-${lib}.pc @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/tkz-${lib}.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
endforeach()
