# The Windows version resource of a program (VERSIONINFO): file and product
# version from the project's version, the product name, a description and the
# original file name, compiled by the MinGW-w64 windres. Included by the
# CMakeLists.txt of a program, for the Windows build only.
enable_language(RC)

# scalelink_version_resource(TARGET DESCRIPTION)
function(scalelink_version_resource target description)
  set(resource_program ${target})
  set(resource_description "${description}")
  set(resource ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/version.rc.in ${resource} @ONLY)
  target_sources(${target} PRIVATE ${resource})
endfunction()
