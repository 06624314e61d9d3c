# TrayShell and TrayMainWindow (platform/tray_shell.h, platform/tray_window.h).
# Qt: QSystemTrayIcon and a QWidget; tests: a recording shell and a fake window.
incubator_library(tray_doubles SOURCES doubles/recording_tray_shell.cpp)

if(INCUBATOR_WITH_QT)
    incubator_library(qt_tray
        SOURCES qt/qt_tray_shell.cpp qt/qt_tray_main_window.cpp qt/qt_tray_menu.cpp
        DEPS Qt6::Widgets)
endif()
