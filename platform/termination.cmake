# Ends of the program without the close box: termination signals and the session end,
# reported on the Qt GUI thread.
if(INCUBATOR_WITH_QT)
    incubator_library(termination_qt
        SOURCES ${CMAKE_CURRENT_LIST_DIR}/qt/termination_signals.cpp
        DEPS Qt6::Gui)

    incubator_test(termination_qt_tests QT
        SOURCES ${CMAKE_CURRENT_LIST_DIR}/qt/tests/termination_signals_test.cpp
        DEPS termination_qt Qt6::Widgets Qt6::Test)
endif()
