# The configuration file: its keys, readers and writers, and where it and the logs live.
incubator_library(configuration
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/configuration.cpp ${CMAKE_CURRENT_LIST_DIR}/app_paths.cpp
    DEPS platform_ini common telemetry)

incubator_test(configuration_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/configuration_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/tests/configuration_writers_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/tests/app_paths_test.cpp
            ${PROJECT_SOURCE_DIR}/testing/temp_folder.cpp
    DEPS configuration)

# Each instance's folders when the configuration file is named (--config FILE); its name
# follows MQTT's rule.
incubator_library(instance_paths
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/instance_paths.cpp
    DEPS configuration mqtt)

incubator_test(instance_paths_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/instance_paths_test.cpp
            ${PROJECT_SOURCE_DIR}/testing/temp_folder.cpp
    DEPS instance_paths)
