# The serial device and the UI thread: interfaces, the POSIX device, the Qt UI thread and
# their doubles.
incubator_library(serial_platform
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/ui_handover.cpp
    DEPS Threads::Threads)

incubator_library(serial_doubles
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/doubles/fake_serial_device.cpp
            ${CMAKE_CURRENT_LIST_DIR}/doubles/queued_ui_thread.cpp
    DEPS serial_platform)

# How a read proceeds under the read time-outs; the devices use it.
incubator_library(serial_read_timing
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/serial_read_timing.cpp)

incubator_library(serial_posix
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/posix/dcb_termios.cpp
            ${CMAKE_CURRENT_LIST_DIR}/posix/port_path.cpp
            ${CMAKE_CURRENT_LIST_DIR}/posix/posix_serial_device.cpp
            ${CMAKE_CURRENT_LIST_DIR}/posix/posix_event_waiter.cpp
            ${CMAKE_CURRENT_LIST_DIR}/posix/pty_pair.cpp
            ${CMAKE_CURRENT_LIST_DIR}/posix/raw_line.cpp
            ${CMAKE_CURRENT_LIST_DIR}/posix/serial_port_list.cpp
    DEPS serial_platform serial_read_timing)

incubator_test(serial_platform_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/ui_handover_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/tests/serial_read_timing_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/posix/tests/dcb_termios_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/posix/tests/port_path_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/posix/tests/posix_serial_device_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/posix/tests/serial_port_list_test.cpp
    DEPS serial_posix serial_doubles)

if(INCUBATOR_WITH_QT)
    add_library(ui_thread_qt STATIC ${CMAKE_CURRENT_LIST_DIR}/qt/qt_ui_thread.cpp)
    target_include_directories(ui_thread_qt PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(ui_thread_qt PUBLIC serial_platform Qt6::Core)
    incubator_warnings(ui_thread_qt)

    incubator_test(ui_thread_qt_tests QT
        SOURCES ${CMAKE_CURRENT_LIST_DIR}/qt/tests/qt_ui_thread_test.cpp
        DEPS ui_thread_qt)
endif()
