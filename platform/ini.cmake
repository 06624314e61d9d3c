# The INI file: sectioned key=value files replaced atomically on every write.
incubator_library(platform_ini
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/atomic_file.cpp
            ${CMAKE_CURRENT_LIST_DIR}/ini_document.cpp
            ${CMAKE_CURRENT_LIST_DIR}/ini_file.cpp
            ${CMAKE_CURRENT_LIST_DIR}/posix/link_target.cpp
    DEPS common)

if(BUILD_TESTING)
    # Test-only: rewrites keys of a file in a loop until it is killed.
    add_executable(ini_crash_writer ${CMAKE_CURRENT_LIST_DIR}/tests/ini_crash_writer.cpp
                                    ${CMAKE_CURRENT_LIST_DIR}/tests/ini_crash_layout.cpp)
    target_include_directories(ini_crash_writer PRIVATE ${PROJECT_SOURCE_DIR})
    target_link_libraries(ini_crash_writer PRIVATE platform_ini)
    incubator_warnings(ini_crash_writer)

    incubator_test(ini_tests
        SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/ini_document_test.cpp
                ${CMAKE_CURRENT_LIST_DIR}/tests/ini_file_test.cpp
                ${CMAKE_CURRENT_LIST_DIR}/tests/ini_crash_test.cpp
                ${CMAKE_CURRENT_LIST_DIR}/tests/ini_crash_layout.cpp
                ${PROJECT_SOURCE_DIR}/testing/temp_folder.cpp
        DEPS platform_ini)
    add_dependencies(ini_tests ini_crash_writer)
    target_compile_definitions(ini_tests PRIVATE
        INI_CRASH_WRITER="$<TARGET_FILE:ini_crash_writer>")
endif()
