# Unit tests of the benchmarks' helpers (included from bench/targets.cmake).
set(_qzt_bench_tests ${CMAKE_CURRENT_LIST_DIR})
add_executable(bench_core_tests
               ${_qzt_bench_tests}/stats_test.cpp ${_qzt_bench_tests}/capture_inputs_test.cpp
               ${_qzt_bench_tests}/proc_stats_test.cpp ${_qzt_bench_tests}/probe_report_test.cpp
               ${_qzt_bench_tests}/report_test.cpp)
target_link_libraries(bench_core_tests PRIVATE qzt_bench_core qzt_learning_core
                      GTest::gtest_main)
set_target_properties(bench_core_tests PROPERTIES AUTOMOC OFF)
gtest_discover_tests(bench_core_tests DISCOVERY_MODE PRE_TEST PROPERTIES LABELS unit)
