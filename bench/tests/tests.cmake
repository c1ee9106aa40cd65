# Unit tests of the benchmarks' helpers (included from bench/targets.cmake).
set(_qzt_bench_tests ${CMAKE_CURRENT_LIST_DIR})
add_executable(bench_core_tests
               ${_qzt_bench_tests}/stats_test.cpp ${_qzt_bench_tests}/capture_inputs_test.cpp
               ${_qzt_bench_tests}/proc_stats_test.cpp ${_qzt_bench_tests}/probe_report_test.cpp
               ${_qzt_bench_tests}/report_test.cpp ${_qzt_bench_tests}/child_test.cpp
               ${_qzt_bench_tests}/memory_urc_test.cpp)
target_link_libraries(bench_core_tests PRIVATE qzt_bench_core qzt_learning_core qzt_urc_reading
                      qzt_urcsim_core GTest::gtest_main)
set_target_properties(bench_core_tests PROPERTIES AUTOMOC OFF)
gtest_discover_tests(bench_core_tests DISCOVERY_MODE PRE_TEST PROPERTIES LABELS bench)

# The paint probe, preloaded into the bare window offscreen.
add_executable(bench_probe_tests ${_qzt_bench_tests}/paint_probe_test.cpp)
target_link_libraries(bench_probe_tests PRIVATE qzt_bench_core GTest::gtest_main)
set_target_properties(bench_probe_tests PROPERTIES AUTOMOC OFF)
add_dependencies(bench_probe_tests qzt_paint_probe qzt_bare_window)
gtest_discover_tests(bench_probe_tests DISCOVERY_MODE PRE_TEST
                     PROPERTIES LABELS bench ENVIRONMENT QT_QPA_PLATFORM=offscreen)

# The picture loading against the built resource libraries.
add_executable(bench_pictures_tests ${_qzt_bench_tests}/picture_loading_test.cpp)
target_link_libraries(bench_pictures_tests PRIVATE qzt_bench_pictures qzt_bench_core
                      GTest::gtest_main)
set_target_properties(bench_pictures_tests PROPERTIES AUTOMOC OFF)
add_dependencies(bench_pictures_tests qzt_res_one1004 qzt_res_sne1004 qzt_res_fne1004
                 qzt_res_bne1004 qzt_res_dne1004)
gtest_discover_tests(bench_pictures_tests DISCOVERY_MODE PRE_TEST PROPERTIES LABELS bench)
