# The benchmark suite: built with everything else; ./bench.sh builds it in Release and runs it.
# Its timings have no place in a pass/fail run, but whether the window's benchmarks still run
# does: a benchmark that can no longer set up its case (say, open the junction report) skips
# with an error, so CTest runs them briefly and fails on one.
find_package(benchmark REQUIRED)

add_executable(timespace_bench
  bench/AllocationCounter.cpp bench/AllocationCounter.h
  bench/Scenarios.cpp bench/Scenarios.h
  bench/ModelBenchmarks.cpp
  bench/OptimiserBenchmarks.cpp
  bench/WindowBenchmarks.cpp
  bench/main.cpp)
target_link_libraries(timespace_bench PRIVATE timespace_app benchmark::benchmark)
target_include_directories(timespace_bench PRIVATE ${CMAKE_SOURCE_DIR})
timespace_warnings(timespace_bench)

add_test(NAME bench_window_runs
  COMMAND timespace_bench --benchmark_min_time=0.001
          --benchmark_filter=BM_RefreshTimeSpaceDiagram|BM_Evaluate|BM_DragMove)
set_tests_properties(bench_window_runs PROPERTIES
  TIMEOUT 120
  ENVIRONMENT "QT_QPA_PLATFORM=offscreen;XDG_RUNTIME_DIR=${CMAKE_BINARY_DIR}/tests/xdg-runtime"
  FAIL_REGULAR_EXPRESSION "ERROR OCCURRED")
