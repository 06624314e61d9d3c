# incubator-screenshots: the pictures of the windows in docs/ (offscreen, test doubles).
if(INCUBATOR_WITH_QT)
    add_executable(incubator-screenshots screenshots.cpp ${PROJECT_SOURCE_DIR}/tools/controller_model.cpp)
    target_link_libraries(incubator-screenshots PRIVATE
        main_window_qt serial_doubles tray_doubles timer_doubles platform_services_doubles)
    incubator_warnings(incubator-screenshots)
endif()
