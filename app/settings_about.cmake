# The settings dialog and the about window: their Qt-free logic, the two windows and their
# tests.
incubator_library(settings_dialog_logic
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/settings_dialog_logic.cpp
            ${CMAKE_CURRENT_LIST_DIR}/about_addresses.cpp
    DEPS configuration engine_rules)
# A program run from its build tree links the documents of the tree it was built from.
target_compile_definitions(settings_dialog_logic PRIVATE
    INCUBATOR_SOURCE_DIR="${PROJECT_SOURCE_DIR}")

incubator_test(settings_dialog_logic_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/settings_dialog_logic_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/tests/about_addresses_test.cpp
            ${PROJECT_SOURCE_DIR}/testing/temp_folder.cpp
    DEPS settings_dialog_logic timer_doubles)

if(INCUBATOR_WITH_QT)
    incubator_library(settings_about_qt
        SOURCES ${CMAKE_CURRENT_LIST_DIR}/qt/form_settings.cpp
                ${CMAKE_CURRENT_LIST_DIR}/qt/form_settings.ui
                ${CMAKE_CURRENT_LIST_DIR}/qt/about_form.cpp
                ${CMAKE_CURRENT_LIST_DIR}/qt/about_form.ui
        DEPS settings_dialog_logic Qt6::Widgets)
    set_target_properties(settings_about_qt PROPERTIES AUTOUIC ON)
    # The forms' generated headers for the tests that drive them.
    target_include_directories(settings_about_qt PUBLIC
        ${CMAKE_CURRENT_BINARY_DIR}/settings_about_qt_autogen/include)

    incubator_test(settings_about_tests QT
        SOURCES ${CMAKE_CURRENT_LIST_DIR}/qt/tests/form_settings_test.cpp
                ${CMAKE_CURRENT_LIST_DIR}/qt/tests/about_form_test.cpp
                ${PROJECT_SOURCE_DIR}/testing/temp_folder.cpp
        DEPS settings_about_qt platform_services_posix platform_services_doubles timer_doubles
             Qt6::Test)
endif()
