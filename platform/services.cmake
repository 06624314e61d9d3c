# Desktop services: sound, autorun, clipboard, dialogs, desktop notices, window alert and web
# links (platform/sound.h, autorun.h, clipboard.h, dialogs.h, desktop_notifier.h,
# window_alert.h, url_opener.h). Sound is libcanberra on a thread of its own and autorun an
# XDG autostart entry, both Qt-free; the rest is Qt. Every service has a test double.
find_package(PkgConfig REQUIRED)
pkg_check_modules(CANBERRA REQUIRED IMPORTED_TARGET libcanberra)

incubator_library(platform_services_posix
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/posix/executable_path.cpp
            ${CMAKE_CURRENT_LIST_DIR}/posix/freed_memory.cpp
            ${CMAKE_CURRENT_LIST_DIR}/posix/desktop_entry.cpp
            ${CMAKE_CURRENT_LIST_DIR}/posix/xdg_autorun.cpp
            ${CMAKE_CURRENT_LIST_DIR}/posix/sound_choice.cpp
            ${CMAKE_CURRENT_LIST_DIR}/posix/async_sound.cpp
    DEPS Threads::Threads)

incubator_library(sound_canberra
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/posix/canberra_sound.cpp
    DEPS platform_services_posix PkgConfig::CANBERRA)

incubator_library(platform_services_doubles
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/doubles/scripted_dialogs.cpp)

incubator_test(platform_services_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/posix/tests/desktop_entry_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/posix/tests/xdg_autorun_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/posix/tests/sound_choice_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/posix/tests/async_sound_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/posix/tests/canberra_sound_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/doubles/tests/scripted_dialogs_test.cpp
    DEPS sound_canberra platform_services_doubles)

if(INCUBATOR_WITH_QT)
    find_package(Qt6 REQUIRED COMPONENTS DBus)

    incubator_library(platform_services_qt
        SOURCES ${CMAKE_CURRENT_LIST_DIR}/qt/qt_clipboard.cpp
                ${CMAKE_CURRENT_LIST_DIR}/qt/qt_dialogs.cpp
                ${CMAKE_CURRENT_LIST_DIR}/qt/qt_desktop_notifier.cpp
                ${CMAKE_CURRENT_LIST_DIR}/qt/qt_window_alert.cpp
                ${CMAKE_CURRENT_LIST_DIR}/qt/qt_url_opener.cpp
        DEPS Qt6::Widgets Qt6::DBus)

    # The notifier test runs a private message bus.
    incubator_test(platform_services_qt_tests QT
        SOURCES ${CMAKE_CURRENT_LIST_DIR}/qt/tests/qt_dialogs_test.cpp
                ${CMAKE_CURRENT_LIST_DIR}/qt/tests/qt_desktop_notifier_test.cpp
                ${CMAKE_CURRENT_LIST_DIR}/qt/tests/qt_small_services_test.cpp
        DEPS platform_services_qt Qt6::Test)
    if(BUILD_TESTING)
        set_target_properties(platform_services_qt_tests PROPERTIES AUTOMOC ON)
    endif()
endif()
