# The main window: its Qt-free logic, the window itself, the program and their tests.
incubator_library(main_window_logic
    SOURCES alarm_supervision.cpp chart_view.cpp edit_operations.cpp limit_edits.cpp
            warning_router.cpp window_placement.cpp
    DEPS telemetry engine_rules chart tray common)

incubator_test(main_window_logic_tests
    SOURCES tests/alarm_supervision_test.cpp tests/chart_view_test.cpp
            tests/limit_edits_test.cpp tests/warning_router_test.cpp
            tests/window_placement_test.cpp
    DEPS main_window_logic tray_doubles timer_doubles)

if(INCUBATOR_WITH_QT)
    add_library(main_window_qt STATIC
        qt/form1.cpp qt/form1_alarms.cpp qt/form1_chart.cpp qt/form1_edit.cpp
        qt/form1_events.cpp qt/form1_receive.cpp qt/form1_config.cpp qt/form1_files.cpp qt/form1_menus.cpp
        qt/display_memo.cpp qt/form_hint.cpp qt/fit_label.cpp qt/control_sizes.cpp
        qt/screen_placement.cpp
        qt/form1.ui qt/form_hint.ui qt/resources.qrc)
    set_target_properties(main_window_qt PROPERTIES AUTOUIC ON AUTORCC ON)
    # The forms' generated headers (ui_form1.h) for the tests and benchmarks that drive them.
    target_include_directories(main_window_qt PUBLIC ${PROJECT_SOURCE_DIR}
        ${CMAKE_CURRENT_BINARY_DIR}/main_window_qt_autogen/include)
    target_link_libraries(main_window_qt PUBLIC
        engine main_window_logic configuration statistics port_open_failure analysis_qt settings_about_qt
        port_reopener platform_services_posix serial serial_qt chart_qt qt_tray
        platform_ini Qt6::Widgets)
    incubator_warnings(main_window_qt)

endif()

if(INCUBATOR_WITH_QT)
    add_executable(incubator-monitor main.cpp)
    target_link_libraries(incubator-monitor PRIVATE
        main_window_qt serial_posix ui_thread_qt qt_timer sound_canberra platform_services_posix
        platform_services_qt termination_qt mqtt_feed config instance_channel_qt)
    target_compile_definitions(incubator-monitor PRIVATE INCUBATOR_VERSION="${PROJECT_VERSION}")
    incubator_warnings(incubator-monitor)

    incubator_test(main_window_tests QT
        SOURCES qt/tests/form1_receive_test.cpp qt/tests/form1_alarms_test.cpp
                qt/tests/form1_edits_test.cpp qt/tests/form1_config_test.cpp
                qt/tests/form1_statistics_test.cpp qt/tests/form1_menus_test.cpp
                qt/tests/form1_reconnect_test.cpp qt/tests/display_memo_test.cpp
                qt/tests/form1_journal_test.cpp
        DEPS main_window_qt serial_doubles tray_doubles timer_doubles platform_services_doubles
             Qt6::Test)
    # The window is held to its screen: a desktop screen, where the default window fits.
    if(BUILD_TESTING)
        set_tests_properties(main_window_tests PROPERTIES ENVIRONMENT
            "QT_QPA_PLATFORM=offscreen:configfile=${CMAKE_CURRENT_SOURCE_DIR}/qt/tests/screens/screen-1920x1080.json")
    endif()

    # The window's layout and placement, on a screen of the size the program was tried on.
    incubator_test(main_window_layout_tests QT
        SOURCES qt/tests/form1_layout_test.cpp
        DEPS main_window_qt serial_doubles tray_doubles timer_doubles platform_services_doubles
             Qt6::Test)
    if(BUILD_TESTING)
        set_tests_properties(main_window_layout_tests PROPERTIES ENVIRONMENT
            "QT_QPA_PLATFORM=offscreen:configfile=${CMAKE_CURRENT_SOURCE_DIR}/qt/tests/screens/screen-1280x800.json")
    endif()
endif()
