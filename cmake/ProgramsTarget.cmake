# qzt_programs: all that `all` builds except the test programs that the
# sanitizer build runs (tools/sanitize.sh builds and runs every unit, window
# and device test program under AddressSanitizer). That is the programs, their
# libraries, resources and manual pages, and what the end-to-end, install,
# virtual machine and benchmark tests use. The README's test command builds
# this target in build/, so that no test program is compiled twice.
#
# A test program is a target linking GoogleTest; the benchmarks' own tests
# (bench/) stay, since the sanitizer build leaves the benchmarks out.

function(_qzt_targets_below dir out)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(sub IN LISTS subdirs)
    _qzt_targets_below(${sub} below)
    list(APPEND targets ${below})
  endforeach()
  set(${out} ${targets} PARENT_SCOPE)
endfunction()

# Whether `target` links GoogleTest, itself or through a library of ours.
function(_qzt_links_gtest target out)
  get_target_property(libraries ${target} LINK_LIBRARIES)
  set(${out} FALSE PARENT_SCOPE)
  foreach(library IN LISTS libraries)
    if(library MATCHES "^GTest::")
      set(${out} TRUE PARENT_SCOPE)
      return()
    endif()
    if(TARGET ${library})
      get_target_property(imported ${library} IMPORTED)
      if(NOT imported)
        _qzt_links_gtest(${library} through)
        if(through)
          set(${out} TRUE PARENT_SCOPE)
          return()
        endif()
      endif()
    endif()
  endforeach()
endfunction()

function(qzt_add_programs_target)
  _qzt_targets_below(${PROJECT_SOURCE_DIR} targets)
  set(programs)
  foreach(target IN LISTS targets)
    get_target_property(type ${target} TYPE)
    get_target_property(excluded ${target} EXCLUDE_FROM_ALL)
    if(type STREQUAL "INTERFACE_LIBRARY" OR excluded)
      continue()
    endif()
    get_target_property(source_dir ${target} SOURCE_DIR)
    _qzt_links_gtest(${target} test_program)
    if(test_program AND NOT source_dir MATCHES "^${PROJECT_SOURCE_DIR}/bench(/|$)")
      continue()
    endif()
    list(APPEND programs ${target})
  endforeach()
  if(QZT_LIST_PROGRAMS)
    message(STATUS "qzt_programs: ${programs}")
  endif()
  add_custom_target(qzt_programs)
  add_dependencies(qzt_programs ${programs})
endfunction()

qzt_add_programs_target()
