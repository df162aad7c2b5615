# The benchmark suite: built with everything else, never registered with CTest (timings have no
# place in a pass/fail run). ./bench.sh builds it in Release and runs it.
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
