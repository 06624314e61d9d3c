# End to end: the programs as instances (one copy per statistics folder, the configuration
# file's checks, the window's end with its question open). The window program runs with a
# probe preloaded that plays the person at it.
if(NOT BUILD_TESTING)
    return()
endif()
incubator_e2e_program(instances_e2e_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/e2e/tests/instances_e2e_test.cpp
            ${PROJECT_SOURCE_DIR}/testing/temp_folder.cpp
    DEPS platform_ini
    PROGRAMS incubator-monitord)
if(INCUBATOR_WITH_QT)
    target_compile_definitions(instances_e2e_tests PRIVATE
        INCUBATOR_MONITOR_PATH="$<TARGET_FILE:incubator-monitor>"
        INCUBATOR_WINDOW_PROBE_PATH="$<TARGET_FILE:incubator_window_probe>")
    add_dependencies(instances_e2e_tests incubator-monitor incubator_window_probe)
endif()
foreach(group IN ITEMS WindowEnding Instances ConfigurationFile)
    add_test(NAME instances_e2e_${group}
        COMMAND instances_e2e_tests --gtest_filter=${group}/*:${group}.*:*/${group}.*)
    set_tests_properties(instances_e2e_${group} PROPERTIES TIMEOUT 240)
endforeach()
