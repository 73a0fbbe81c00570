# The Windows setup program and the portable archive (make windows-installer), from the 32-bit build
# that includes this: its stations, the 64-bit build's (built before, in QUILLON_WINDOWS64_BUILD) and
# the sounds, laid out in installer/quillon-VERSION-windows, then made into
# installer/quillon-setup-VERSION.exe by NSIS (packaging/quillon.nsi.in) and packed into
# installer/quillon-VERSION-windows.zip. The folder's layout is the installation's.
set(QUILLON_WINDOWS64_BUILD "${PROJECT_SOURCE_DIR}/build/windows64" CACHE PATH
  "The 64-bit Windows build whose station the setup program carries beside this one")
find_program(QUILLON_MAKENSIS makensis)
find_program(QUILLON_ZIP zip)

set(installer_dir ${CMAKE_BINARY_DIR}/installer)
set(stage_name quillon-${PROJECT_VERSION}-windows)
set(stage ${installer_dir}/${stage_name})
set(setup ${installer_dir}/quillon-setup-${PROJECT_VERSION}.exe)
set(archive ${installer_dir}/${stage_name}.zip)
configure_file(${PROJECT_SOURCE_DIR}/packaging/quillon.nsi.in ${installer_dir}/quillon.nsi @ONLY)

set(station64 ${QUILLON_WINDOWS64_BUILD}/front)
add_custom_target(windows-installer
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${stage} ${setup} ${archive}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${stage}/64-bit
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:quillon> $<TARGET_FILE:quillon-cli>
          ${PROJECT_SOURCE_DIR}/res/FinishVoice.wav ${PROJECT_SOURCE_DIR}/res/ErrorVoice.wav ${stage}
  COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/packaging/copyright ${stage}/copyright.txt
  COMMAND ${CMAKE_COMMAND} -E copy ${station64}/win32/quillon.exe ${station64}/console/quillon-cli.exe
          ${stage}/64-bit
  COMMAND ${QUILLON_MAKENSIS} -V2 -DSTAGE=${stage} -DOUTFILE=${setup}
          -DICON=${PROJECT_SOURCE_DIR}/res/icons/quillon.ico ${installer_dir}/quillon.nsi
  COMMAND ${QUILLON_ZIP} -q -r -X ${archive} ${stage_name}
  WORKING_DIRECTORY ${installer_dir}
  DEPENDS quillon quillon-cli
  COMMENT "Making ${setup} and ${archive}"
  VERBATIM)
