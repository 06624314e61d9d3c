# End to end: the real programs on a simulator's pseudo-terminal, in the rig of testing/.
if(NOT BUILD_TESTING)
    return()
endif()
set(e2e_dir ${CMAKE_CURRENT_LIST_DIR}/e2e)

if(INCUBATOR_WITH_QT)
    # One program, two CTest tests that can run side by side.
    incubator_e2e_program(monitor_e2e_tests
        SOURCES ${e2e_dir}/tests/monitor_e2e_test.cpp
                ${PROJECT_SOURCE_DIR}/testing/temp_folder.cpp
        DEPS humidity platform_ini statistics
        PROGRAMS incubator-monitor incubator-e2e-check)
    foreach(group IN ITEMS Signals Ending EightAndNineBytes)
        add_test(NAME monitor_e2e_${group}
            COMMAND monitor_e2e_tests --gtest_filter=${group}/*:${group}.*)
        set_tests_properties(monitor_e2e_${group} PROPERTIES
            TIMEOUT 180 ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
    endforeach()

    # The window program publishing to a broker of the test's own.
    incubator_e2e_program(monitor_mqtt_tests
        SOURCES ${e2e_dir}/tests/monitor_mqtt_test.cpp
                ${PROJECT_SOURCE_DIR}/testing/mqtt_states.cpp
        DEPS mqtt_test_support
        PROGRAMS incubator-monitor)
    target_compile_definitions(monitor_mqtt_tests PRIVATE INCUBATOR_VERSION="${PROJECT_VERSION}")
    add_test(NAME monitor_e2e_Mqtt COMMAND monitor_mqtt_tests)
    set_tests_properties(monitor_e2e_Mqtt PROPERTIES TIMEOUT 120)

    # Lost bytes: one CTest test per run, so that they can run side by side.
    foreach(run IN ITEMS At1PerSecondEightBytes At1PerSecondNineBytes At4PerSecondEightBytes
                         At4PerSecondNineBytes At10PerSecondEightBytes At10PerSecondNineBytes
                         At10PerSecondEightBytesSplit At10PerSecondNineBytesSplit)
        add_test(NAME monitor_e2e_DroppedBytes_${run}
            COMMAND monitor_e2e_tests --gtest_filter=DroppedBytes/*/${run})
        set_tests_properties(monitor_e2e_DroppedBytes_${run} PROPERTIES
            TIMEOUT 120 ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
        # At 10 packets a second the pause between packets is some 80 ms: a machine busy with
        # other tests can delay the event thread past it and hide the silence that realigns.
        if(run MATCHES "^At10")
            set_tests_properties(monitor_e2e_DroppedBytes_${run} PROPERTIES RUN_SERIAL TRUE)
        endif()
    endforeach()
endif()

# SIGKILL at random moments, restarted each time (INCUBATOR_KILLS=100 for the long run): the
# service always, the window program when it is built.
incubator_e2e_program(monitor_kill_tests
    SOURCES ${e2e_dir}/tests/monitor_kill_test.cpp
            ${PROJECT_SOURCE_DIR}/testing/temp_folder.cpp
    PROGRAMS incubator-monitord)
add_test(NAME service_e2e_Kills COMMAND monitor_kill_tests --gtest_filter=*/Service)
set_tests_properties(service_e2e_Kills PROPERTIES TIMEOUT 240)
if(INCUBATOR_WITH_QT)
    target_compile_definitions(monitor_kill_tests PRIVATE
        INCUBATOR_MONITOR_PATH="$<TARGET_FILE:incubator-monitor>")
    add_dependencies(monitor_kill_tests incubator-monitor)
    add_test(NAME monitor_e2e_Kills COMMAND monitor_kill_tests --gtest_filter=*/Window)
    set_tests_properties(monitor_e2e_Kills PROPERTIES TIMEOUT 240)
endif()
