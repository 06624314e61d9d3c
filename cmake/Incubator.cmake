# Shared build helpers for our own targets.

# Warnings on our code only. The project's scripts and CI make them fail the build; a user's
# own build (another compiler, another optimisation level) only shows them.
option(INCUBATOR_WERROR "Turn the warnings of our targets into errors" OFF)

function(incubator_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra)
    if(INCUBATOR_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()

# A Qt-free static library of ours: incubator_library(name SOURCES ... DEPS ...)
function(incubator_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
    incubator_warnings(${name})
endfunction()

# A GoogleTest program registered with CTest as one test:
# incubator_test(name SOURCES ... DEPS ... [QT]); QT tests run on the offscreen platform.
# Nothing without BUILD_TESTING.
function(incubator_test name)
    if(NOT BUILD_TESTING)
        return()
    endif()
    cmake_parse_arguments(ARG "QT" "TIMEOUT" "SOURCES;DEPS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock GTest::gtest_main)
    incubator_warnings(${name})
    add_test(NAME ${name} COMMAND ${name})
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 300)
    endif()
    set_tests_properties(${name} PROPERTIES TIMEOUT ${ARG_TIMEOUT})
    if(ARG_QT)
        set_tests_properties(${name} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
    endif()
endfunction()
