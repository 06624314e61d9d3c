# The main window: the whole cost of one received packet on the GUI thread.
if(INCUBATOR_WITH_QT)
    incubator_bench(main_window_bench SOURCES main_window_bench.cpp
        DEPS main_window_qt serial_doubles tray_doubles timer_doubles platform_services_doubles
             Qt6::Widgets)
endif()
