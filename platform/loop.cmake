# The poll loop of the program without a window system (timers, posted steps, watched
# descriptors, termination signals) and the runner of external commands on it; Qt-free.
incubator_library(platform_loop
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/posix/loop_timers.cpp
            ${CMAKE_CURRENT_LIST_DIR}/posix/poll_loop.cpp
            ${CMAKE_CURRENT_LIST_DIR}/posix/termination_watch.cpp
    DEPS serial_platform)

incubator_library(platform_commands
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/posix/child_process.cpp
            ${CMAKE_CURRENT_LIST_DIR}/posix/command_runner.cpp
    DEPS platform_loop common)

incubator_test(platform_loop_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/posix/tests/poll_loop_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/posix/tests/loop_timer_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/posix/tests/termination_watch_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/posix/tests/command_runner_test.cpp
    DEPS platform_commands)
