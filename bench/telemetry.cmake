incubator_bench(telemetry_bench SOURCES telemetry_bench.cpp DEPS telemetry)
