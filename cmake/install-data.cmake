# What a Linux install puts beside the programs: their manual pages, quillon-cli's bash completion and
# the finish and error sounds.

# Manual pages go in gzipped with -9n (no file name or time in the gzip header), as Debian policy asks:
# the same sources give the same bytes, whenever they are built.
function(quillon_gzip source output)
  add_custom_command(OUTPUT ${output}
    COMMAND gzip -9n -c ${source} > ${output}
    DEPENDS ${source})
endfunction()

# The manual pages and the completion are made at build time from their templates (docs/man/*.1.in,
# res/bash-completion/quillon-cli.in) and the programs' own help items, by quillon-option-pages: the
# options they list are the ones --help prints.
set(quillon_man_programs quillon-cli)
if(TARGET quillon)
  list(APPEND quillon_man_programs quillon)
endif()
if(TARGET quillon-devsim)
  list(APPEND quillon_man_programs quillon-devsim)
endif()
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/man ${CMAKE_BINARY_DIR}/bash-completion)
set(quillon_man_pages)
foreach(program IN LISTS quillon_man_programs)
  set(source ${PROJECT_SOURCE_DIR}/docs/man/${program}.1.in)
  set(roff ${CMAKE_BINARY_DIR}/man/${program}.1)
  add_custom_command(OUTPUT ${roff}
    COMMAND quillon-option-pages man ${program} ${source} ${roff}
    DEPENDS quillon-option-pages ${source}
    VERBATIM)
  quillon_gzip(${roff} ${roff}.gz)
  list(APPEND quillon_man_pages ${roff}.gz)
endforeach()
set(quillon_completion_template ${PROJECT_SOURCE_DIR}/res/bash-completion/quillon-cli.in)
set(quillon_completion ${CMAKE_BINARY_DIR}/bash-completion/quillon-cli)
add_custom_command(OUTPUT ${quillon_completion}
  COMMAND quillon-option-pages completion ${quillon_completion_template} ${quillon_completion}
  DEPENDS quillon-option-pages ${quillon_completion_template}
  VERBATIM)
add_custom_target(quillon-man-pages ALL DEPENDS ${quillon_man_pages} ${quillon_completion})
install(FILES ${quillon_man_pages} DESTINATION share/man/man1)
install(FILES ${quillon_completion} DESTINATION share/bash-completion/completions)

# The programs play the sounds from their working directory, beside the font packages: these copies
# are for the operator to put there.
install(FILES ${PROJECT_SOURCE_DIR}/res/FinishVoice.wav ${PROJECT_SOURCE_DIR}/res/ErrorVoice.wav
        DESTINATION share/quillon)

# The CH340 adapters' udev rule: ModemManager leaves them alone, and the user at the desk may open them.
# udev reads /usr/lib/udev/rules.d, which the Debian package's /usr prefix gives; another prefix puts the
# rule where udev does not look, for an administrator to copy.
install(FILES ${PROJECT_SOURCE_DIR}/res/udev/60-quillon.rules DESTINATION lib/udev/rules.d)
