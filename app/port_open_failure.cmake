# The warning text for a port that cannot be opened (Qt-free).
incubator_library(port_open_failure
    SOURCES port_open_failure.cpp
    DEPS serial serial_posix)

incubator_test(port_open_failure_tests
    SOURCES tests/port_open_failure_test.cpp
    DEPS port_open_failure serial_doubles)
