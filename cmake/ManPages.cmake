# Manual pages (section 1) made at build time by help2man from the programs'
# own --help and --version, so a page cannot drift from its program. Extra
# sections (description, environment, files, see also) live in a help2man
# include file next to the program's code.
#
#   qzt_add_man_page(TARGET NAME "one-line summary" [INCLUDE file.h2m])
#
# makes build/man/<program>.1.gz and lists it in the global property
# QZT_MAN_PAGES, which cmake/Install.cmake installs to share/man/man1.
find_program(HELP2MAN help2man REQUIRED)
find_program(GZIP gzip REQUIRED)

function(qzt_add_man_page target)
  cmake_parse_arguments(PARSE_ARGV 1 MAN "" "NAME;INCLUDE" "")
  if(NOT MAN_NAME)
    message(FATAL_ERROR "qzt_add_man_page(${target}): NAME is required")
  endif()
  set(page ${PROJECT_BINARY_DIR}/man/${target}.1)
  set(include_option)
  set(include_file)
  if(MAN_INCLUDE)
    get_filename_component(include_file ${MAN_INCLUDE} ABSOLUTE)
    set(include_option --include=${include_file})
  endif()
  # --no-discard-stderr: a program whose --help fails makes the build fail.
  # gzip -n keeps the page's bytes the same from build to build.
  add_custom_command(
    OUTPUT ${page}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
    COMMAND ${HELP2MAN} --no-info --no-discard-stderr --section=1 --name=${MAN_NAME}
            ${include_option} --output=${page} $<TARGET_FILE:${target}>
    COMMAND ${GZIP} -9nf ${page}
    DEPENDS ${target} ${include_file}
    COMMENT "Manual page of ${target}"
    VERBATIM)
  add_custom_target(${target}_man_page ALL DEPENDS ${page}.gz)
  set_property(GLOBAL APPEND PROPERTY QZT_MAN_PAGES ${page}.gz)
endfunction()
