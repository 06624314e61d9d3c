# Cases found by the fuzz targets of fuzz/, kept as ordinary tests.
incubator_test(platform_fuzz_regression_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/ini_fuzz_regression_test.cpp
            ${PROJECT_SOURCE_DIR}/testing/temp_folder.cpp
    DEPS platform_ini)
