# What `cmake --install` puts where; the packages (cmake/packages.cmake) hold
# the same. The converter sends the F34.DAT and F38.DAT of its own folder and
# starts the xferlnk of the working folder, else the one beside itself; so the
# two shop programs and the two prepared files always share one folder.
set(SCALELINK_PACKAGE_NAME scalelink)
set(example_files ${PROJECT_SOURCE_DIR}/examples)
set(prepared_files ${example_files}/F34.DAT ${example_files}/F38.DAT)

# Copies a text file with its lines ended by CR LF, for the Windows shop.
function(scalelink_crlf_copy source target)
  file(READ ${source} text)
  string(REPLACE "\r\n" "\n" text "${text}")
  string(REPLACE "\n" "\r\n" text "${text}")
  file(WRITE ${target} "${text}")
  set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
endfunction()

# Compresses a file as Debian wants its manual pages and changelogs:
# gzip -9n, without the name and time that would make each build differ.
function(scalelink_gzip_copy source target)
  get_filename_component(folder ${target} DIRECTORY)
  file(MAKE_DIRECTORY ${folder})
  execute_process(COMMAND gzip -9nc ${source} OUTPUT_FILE ${target} RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "gzip could not compress ${source}")
  endif()
  set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
endfunction()

if(WIN32)
  # The Windows shop folder: programs, settings, prepared files, the README
  # and the morning batch side by side; the folder is also the working folder.
  set(windows_files ${CMAKE_BINARY_DIR}/packaging)
  scalelink_crlf_copy(${PROJECT_SOURCE_DIR}/README.md ${windows_files}/README.txt)
  scalelink_crlf_copy(${PROJECT_SOURCE_DIR}/packaging/load-all-scales.bat ${windows_files}/load-all-scales.bat)
  scalelink_crlf_copy(${example_files}/velkocon.ini ${windows_files}/velkocon.ini)
  install(TARGETS VelkoCon xferlnk RUNTIME DESTINATION .)
  install(FILES ${windows_files}/velkocon.ini ${prepared_files} ${windows_files}/README.txt
                ${windows_files}/load-all-scales.bat
          DESTINATION .)
else()
  # The shop programs and the prepared files in their own folder
  # (libexec/scalelink), named in bin/ by symbolic links: the converter finds
  # its folder through the link. The emulator in bin/. The README and the
  # examples to start a shop folder from in share/doc/scalelink.
  set(program_folder ${CMAKE_INSTALL_LIBEXECDIR}/${SCALELINK_PACKAGE_NAME})
  install(TARGETS VelkoCon xferlnk RUNTIME DESTINATION ${program_folder})
  install(FILES ${prepared_files} DESTINATION ${program_folder})
  install(TARGETS scalesim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  file(RELATIVE_PATH link_target /${CMAKE_INSTALL_BINDIR} /${program_folder})
  file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/packaging/links)
  foreach(program VelkoCon xferlnk)
    file(CREATE_LINK ${link_target}/${program} ${CMAKE_BINARY_DIR}/packaging/links/${program} SYMBOLIC)
    install(FILES ${CMAKE_BINARY_DIR}/packaging/links/${program} DESTINATION ${CMAKE_INSTALL_BINDIR})
  endforeach()
  # The Debian package's copyright file and changelog (packaging/debian),
  # and the manual pages of the three programs (packaging/man).
  set(debian_files ${PROJECT_SOURCE_DIR}/packaging/debian)
  scalelink_gzip_copy(${debian_files}/changelog ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
  install(FILES ${PROJECT_SOURCE_DIR}/README.md ${example_files}/velkocon.ini ${prepared_files}
                ${example_files}/VelkoCon.txt ${debian_files}/copyright
                ${CMAKE_BINARY_DIR}/packaging/changelog.gz
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${SCALELINK_PACKAGE_NAME})
  foreach(program VelkoCon xferlnk scalesim)
    scalelink_gzip_copy(${PROJECT_SOURCE_DIR}/packaging/man/${program}.1
                        ${CMAKE_BINARY_DIR}/packaging/man/${program}.1.gz)
    install(FILES ${CMAKE_BINARY_DIR}/packaging/man/${program}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  endforeach()
endif()
