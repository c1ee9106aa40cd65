# The lines that switch the benchmarks on from the top-level CMakeLists.txt
# (after the other add_subdirectory calls, since bench/ links their targets):
#
#   find_package(benchmark QUIET)
#   option(QZT_BUILD_BENCHMARKS "Build the benchmarks (bench/)" ${benchmark_FOUND})
#   if(QZT_BUILD_BENCHMARKS)
#     add_subdirectory(bench)
#   endif()
#
# Until the top level carries them, a build can attach bench/ from outside:
#   cmake ... -DCMAKE_PROJECT_qzt617_INCLUDE=<source>/bench/toplevel.cmake
# This file then defers the same to the end of the top-level file, where CMake
# allows no new subdirectory: it includes bench/targets.cmake there instead.
get_property(_qzt_bench_seen GLOBAL PROPERTY QZT_BENCH_ATTACH_SEEN)
if(NOT _qzt_bench_seen)
  set_property(GLOBAL PROPERTY QZT_BENCH_ATTACH_SEEN TRUE)
  function(qzt_attach_bench)
    get_property(added GLOBAL PROPERTY QZT_BENCH_ADDED)
    if(added)
      return() # the top level added bench/ itself
    endif()
    find_package(benchmark QUIET)
    option(QZT_BUILD_BENCHMARKS "Build the benchmarks (bench/)" ${benchmark_FOUND})
    if(QZT_BUILD_BENCHMARKS)
      include(${CMAKE_CURRENT_FUNCTION_LIST_DIR}/targets.cmake)
    endif()
  endfunction()
  cmake_language(DEFER CALL qzt_attach_bench)
endif()
