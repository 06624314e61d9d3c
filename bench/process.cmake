# The whole programs on incubator-sim's pseudo-terminal: CPU time per packet and resident
# memory, read from /proc. A program is measured when its target exists here (bench/ is added
# after the programs' folders); the others are reported as skipped.
incubator_bench(process_bench SOURCES process_bench.cpp DEPS mqtt_test_support statistics)
target_compile_definitions(process_bench PRIVATE
    INCUBATOR_SIM_PATH="$<TARGET_FILE:incubator-sim>")
add_dependencies(process_bench incubator-sim)
if(TARGET incubator-monitor)
    target_compile_definitions(process_bench PRIVATE
        INCUBATOR_MONITOR_PATH="$<TARGET_FILE:incubator-monitor>")
    add_dependencies(process_bench incubator-monitor)
endif()
if(TARGET incubator-monitord)
    target_compile_definitions(process_bench PRIVATE
        INCUBATOR_MONITORD_PATH="$<TARGET_FILE:incubator-monitord>")
    add_dependencies(process_bench incubator-monitord)
endif()
