# Speed and memory benchmarks: the targets. Included from bench/CMakeLists.txt,
# or from bench/toplevel.cmake while the top level does not add bench/ itself,
# so every path is spelled from this file's folder.
set_property(GLOBAL PROPERTY QZT_BENCH_ADDED TRUE)
find_package(benchmark REQUIRED)
set(QZT_BENCH_DIR ${CMAKE_CURRENT_LIST_DIR})

# Qt-free helpers: capture inputs, statistics, /proc readings, the probe's
# report line, the results table, child processes and a memory-only URC.
add_library(qzt_bench_core STATIC
            ${QZT_BENCH_DIR}/core/capture_inputs.cpp ${QZT_BENCH_DIR}/core/capture_inputs.h
            ${QZT_BENCH_DIR}/core/stats.cpp ${QZT_BENCH_DIR}/core/stats.h
            ${QZT_BENCH_DIR}/core/proc_stats.cpp ${QZT_BENCH_DIR}/core/proc_stats.h
            ${QZT_BENCH_DIR}/core/probe_report.cpp ${QZT_BENCH_DIR}/core/probe_report.h
            ${QZT_BENCH_DIR}/core/report.cpp ${QZT_BENCH_DIR}/core/report.h
            ${QZT_BENCH_DIR}/core/child.cpp ${QZT_BENCH_DIR}/core/child.h
            ${QZT_BENCH_DIR}/core/memory_urc.cpp ${QZT_BENCH_DIR}/core/memory_urc.h)
target_include_directories(qzt_bench_core PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(qzt_bench_core PUBLIC qzt_irform qzt_urcmem qzt_device_core)
set_target_properties(qzt_bench_core PROPERTIES AUTOMOC OFF)

# The show handling's picture loading, shared by the micro benchmarks and the
# start-up benchmark.
add_library(qzt_bench_pictures STATIC ${QZT_BENCH_DIR}/pictures/picture_loading.cpp ${QZT_BENCH_DIR}/pictures/picture_loading.h)
target_include_directories(qzt_bench_pictures PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(qzt_bench_pictures PUBLIC qzt_reslib qzt_imaging Qt6::Gui)

# Google Benchmark binary for the hot pure code.
add_executable(qzt_bench_micro
               ${QZT_BENCH_DIR}/micro/spread.h ${QZT_BENCH_DIR}/micro/capture_bench.cpp ${QZT_BENCH_DIR}/micro/convert_bench.cpp
               ${QZT_BENCH_DIR}/micro/urc_read_bench.cpp
               ${QZT_BENCH_DIR}/micro/pictures_bench.cpp)
target_link_libraries(qzt_bench_micro PRIVATE qzt_bench_core qzt_bench_pictures
                      qzt_learning_core qzt_urc_reading qzt_urcsim_core qzt_urcmem qzt_rororuru
                      benchmark::benchmark_main)
# The resource libraries are read from the program's folder.
add_dependencies(qzt_bench_micro qzt_res_one1004 qzt_res_sne1004 qzt_res_fne1004
                 qzt_res_bne1004 qzt_res_dne1004)

# Preloaded into the program under test: reports the main window's first paint.
add_library(qzt_paint_probe MODULE ${QZT_BENCH_DIR}/probe/paint_probe.cpp)
target_link_libraries(qzt_paint_probe PRIVATE qzt_bench_core Qt6::Widgets)
set_target_properties(qzt_paint_probe PROPERTIES PREFIX "lib" AUTOMOC OFF)

# The yardstick: a bare frameless window of the main window's size.
add_executable(qzt_bare_window ${QZT_BENCH_DIR}/bare/bare_window.cpp)
target_link_libraries(qzt_bare_window PRIVATE Qt6::Widgets)
set_target_properties(qzt_bare_window PROPERTIES AUTOMOC OFF)

if(QZT_BUILD_TESTS)
  include(${QZT_BENCH_DIR}/tests/tests.cmake)
endif()

# The whole-process benchmarks: start-up against the bare window, and the
# workers' CPU cost on a real (Xvfb) window.
add_executable(qzt_bench_process
               ${QZT_BENCH_DIR}/process/session.cpp ${QZT_BENCH_DIR}/process/session.h
               ${QZT_BENCH_DIR}/process/startup_bench.cpp ${QZT_BENCH_DIR}/process/startup_bench.h
               ${QZT_BENCH_DIR}/process/workers_bench.cpp ${QZT_BENCH_DIR}/process/workers_bench.h
               ${QZT_BENCH_DIR}/process/main.cpp)
target_link_libraries(qzt_bench_process PRIVATE qzt_bench_core qzt_bench_pictures qzt_urc_reading
                      qzt_device_linked qzt_keypanel_core)
set_target_properties(qzt_bench_process PROPERTIES AUTOMOC OFF)
# It starts these, and reads the resource libraries itself.
add_dependencies(qzt_bench_process qzt617 qzt_bare_window qzt_paint_probe urc-sim)

# Recognition and storage figures of the protocol forms (a report, not timed).
add_executable(qzt_bench_forms ${QZT_BENCH_DIR}/forms/forms_report.cpp)
target_link_libraries(qzt_bench_forms PRIVATE qzt_learning_core qzt_irform qzt_urcmem qzt_rororuru)
set_target_properties(qzt_bench_forms PROPERTIES AUTOMOC OFF)

# The benchmark programs themselves are built by bench/run (release build),
# not with everything else: the test command needs only their helpers' tests.
set_target_properties(qzt_bench_micro qzt_bench_process qzt_bench_forms PROPERTIES EXCLUDE_FROM_ALL TRUE)
