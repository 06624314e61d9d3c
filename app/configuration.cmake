# The window's configuration: its keys, readers and writers (what both programs read is in
# config/).
incubator_library(configuration
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/configuration.cpp
    DEPS config platform_ini common telemetry)

incubator_test(configuration_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/configuration_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/tests/configuration_writers_test.cpp
            ${PROJECT_SOURCE_DIR}/testing/temp_folder.cpp
    DEPS configuration)
