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

# Framing and the receive reset in both programs: a packet that lost its first bytes among
# identical ones, such packets from the simulator at 4 and 10 a second, and no packet lost to
# the receive reset at rates around 2 a second.
incubator_e2e_program(framing_e2e_tests
    SOURCES ${e2e_dir}/tests/framing_e2e_test.cpp
            ${PROJECT_SOURCE_DIR}/testing/temp_folder.cpp
    DEPS sim_line engine_rules
    PROGRAMS incubator-monitord incubator-e2e-check)
if(INCUBATOR_WITH_QT)
    target_compile_definitions(framing_e2e_tests PRIVATE
        INCUBATOR_MONITOR_PATH="$<TARGET_FILE:incubator-monitor>")
    add_dependencies(framing_e2e_tests incubator-monitor)
    set(framing_programs Window Service)
else()
    set(framing_programs Service)
endif()
foreach(program IN LISTS framing_programs)
    if(program STREQUAL "Window")
        set(prefix monitor_e2e)
    else()
        set(prefix service_e2e)
    endif()
    add_test(NAME ${prefix}_HeadLost
        COMMAND framing_e2e_tests --gtest_filter=HeadLost/HeadLost.*/${program})
    set_tests_properties(${prefix}_HeadLost PROPERTIES TIMEOUT 60)
    foreach(run IN ITEMS At4PerSecondEightBytes At4PerSecondNineBytes At10PerSecondEightBytes
                         At10PerSecondNineBytes)
        add_test(NAME ${prefix}_HeadLostRuns_${run}
            COMMAND framing_e2e_tests --gtest_filter=HeadLostRuns/*/${run}${program})
        set_tests_properties(${prefix}_HeadLostRuns_${run} PROPERTIES TIMEOUT 120)
        # At 10 a second a silence between packets is some 90 ms: keep other tests off the
        # machine meanwhile, as for the lost bytes.
        if(run MATCHES "^At10")
            set_tests_properties(${prefix}_HeadLostRuns_${run} PROPERTIES RUN_SERIAL TRUE)
        endif()
    endforeach()
endforeach()
# The receive reset: the service at each rate, the window program at 2 a second.
foreach(run IN ITEMS At0_5PerSecond At1PerSecond At1_9PerSecond At2PerSecond At2_1PerSecond
                     At4PerSecond)
    add_test(NAME service_e2e_ReceiveReset_${run}
        COMMAND framing_e2e_tests --gtest_filter=ReceiveReset/*/${run}Service)
    set_tests_properties(service_e2e_ReceiveReset_${run} PROPERTIES TIMEOUT 120)
endforeach()
if(INCUBATOR_WITH_QT)
    add_test(NAME monitor_e2e_ReceiveReset_At2PerSecond
        COMMAND framing_e2e_tests --gtest_filter=ReceiveReset/*/At2PerSecondWindow)
    set_tests_properties(monitor_e2e_ReceiveReset_At2PerSecond PROPERTIES TIMEOUT 120)
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
