# The whole programs on incubator-sim's pseudo-terminal: CPU time per packet and resident
# memory (process_bench), system calls and wake-ups per packet (process_counts_bench), read
# from /proc and the kernel's counters. A program is measured when its target exists here
# (bench/ is added after the programs' folders); the others are reported as skipped.
incubator_library(process_run SOURCES process_run.cpp
    DEPS mqtt_test_support statistics benchmark::benchmark)
target_compile_definitions(process_run PRIVATE
    INCUBATOR_SIM_PATH="$<TARGET_FILE:incubator-sim>")
add_dependencies(process_run incubator-sim)
if(TARGET incubator-monitor)
    target_compile_definitions(process_run PRIVATE
        INCUBATOR_MONITOR_PATH="$<TARGET_FILE:incubator-monitor>")
    add_dependencies(process_run incubator-monitor)
endif()
if(TARGET incubator-monitord)
    target_compile_definitions(process_run PRIVATE
        INCUBATOR_MONITORD_PATH="$<TARGET_FILE:incubator-monitord>")
    add_dependencies(process_run incubator-monitord)
endif()
incubator_bench(process_bench SOURCES process_bench.cpp DEPS process_run)
incubator_bench(process_counts_bench SOURCES process_counts_bench.cpp DEPS process_run)
