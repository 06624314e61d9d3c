# Installing the program for the desktop: `cmake --install <build> --prefix <dir>` puts the
# program in bin/, its menu entry and icon where the desktop looks for them, and the
# documents the about window links to in share/doc/incubator-monitor/.
if(INCUBATOR_WITH_QT)
    set(incubator_docs share/doc/incubator-monitor)
    install(TARGETS incubator-monitor RUNTIME DESTINATION bin)
    install(FILES ${CMAKE_CURRENT_LIST_DIR}/qt/resources/incubator-monitor.desktop
            DESTINATION share/applications)
    install(FILES ${CMAKE_CURRENT_LIST_DIR}/qt/resources/incubator-monitor.svg
            DESTINATION share/icons/hicolor/scalable/apps)
    install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${incubator_docs})
    # The components' interfaces, one folder each.
    foreach(component chart serial tray)
        install(DIRECTORY ${PROJECT_SOURCE_DIR}/${component}/
                DESTINATION ${incubator_docs}/${component}
                FILES_MATCHING PATTERN "*.h" PATTERN "tests" EXCLUDE)
    endforeach()

endif()

# The licence goes with either program.
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION share/doc/incubator-monitor)

# Installs into a temporary prefix and checks the result (the service and its unit always, the
# window program when it is built); skipped (77) only for the entry's validation when
# desktop-file-validate is missing.
if(BUILD_TESTING)
    add_test(NAME install_layout
        COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/tests/install_test.sh ${CMAKE_COMMAND}
                ${PROJECT_BINARY_DIR} $<IF:$<BOOL:${INCUBATOR_WITH_QT}>,with-window,service-only>)
    set_tests_properties(install_layout PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 120)
endif()
