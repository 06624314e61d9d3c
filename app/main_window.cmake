# The main window: its Qt-free logic, the window itself, the program and their tests.
incubator_library(main_window_logic
    SOURCES alarm_supervision.cpp chart_view.cpp edit_operations.cpp limit_edits.cpp
            warning_router.cpp
    DEPS telemetry chart tray common)

incubator_test(main_window_logic_tests
    SOURCES tests/alarm_supervision_test.cpp tests/chart_view_test.cpp
            tests/limit_edits_test.cpp
    DEPS main_window_logic)

if(INCUBATOR_WITH_QT)
    add_library(main_window_qt STATIC
        qt/form1.cpp qt/form1_alarms.cpp qt/form1_chart.cpp qt/form1_edit.cpp
        qt/form1_events.cpp qt/form1_receive.cpp qt/display_memo.cpp qt/form_hint.cpp
        qt/form1.ui qt/form_hint.ui qt/resources.qrc)
    set_target_properties(main_window_qt PROPERTIES AUTOUIC ON AUTORCC ON)
    target_include_directories(main_window_qt PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(main_window_qt PUBLIC
        main_window_logic serial serial_qt chart_qt qt_tray platform_ini Qt6::Widgets)
    incubator_warnings(main_window_qt)

endif()
