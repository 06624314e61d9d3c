# Timer: window-system timers (platform/timer.h). Qt: QTimer; tests: a virtual clock.
incubator_library(timer_doubles SOURCES doubles/virtual_clock.cpp)

incubator_test(virtual_clock_tests
    SOURCES doubles/tests/virtual_clock_test.cpp
    DEPS timer_doubles)

if(INCUBATOR_WITH_QT)
    incubator_library(qt_timer SOURCES qt/qt_timer.cpp DEPS Qt6::Core)

    incubator_test(qt_timer_tests QT
        SOURCES qt/tests/qt_timer_test.cpp
        DEPS qt_timer Qt6::Widgets Qt6::Test)
endif()
