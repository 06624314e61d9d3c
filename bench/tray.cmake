incubator_bench(tray_bench SOURCES tray_bench.cpp DEPS tray timer_doubles)
