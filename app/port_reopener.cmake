# Reopening a started port whose device was lost or was missing at start (Qt-free).
incubator_library(port_reopener
    SOURCES port_reopener.cpp
    DEPS port_open_failure serial)

incubator_test(port_reopener_tests
    SOURCES tests/port_reopener_pty_test.cpp
    DEPS port_reopener serial_posix serial_doubles timer_doubles TIMEOUT 120)
