# The drawing surface: interface, the QImage implementation and the recording double.
add_library(platform_canvas INTERFACE)
target_include_directories(platform_canvas INTERFACE ${PROJECT_SOURCE_DIR})

# Cutting far segments to a rectangle, for the chart and the pixel writer.
incubator_library(platform_segment_clip
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/segment_clip.cpp
    DEPS platform_canvas)

# Pixel writing for the QImage canvas; Qt-free, so it is built and tested without Qt too.
incubator_library(platform_line_raster
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/qt/line_raster.cpp
    DEPS platform_canvas platform_segment_clip)

incubator_library(platform_canvas_doubles
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/doubles/recording_canvas.cpp
    DEPS platform_canvas common)

incubator_test(platform_canvas_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/qt/tests/line_raster_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/tests/segment_clip_test.cpp
    DEPS platform_line_raster platform_segment_clip)

if(INCUBATOR_WITH_QT)
    incubator_library(platform_canvas_qt
        SOURCES ${CMAKE_CURRENT_LIST_DIR}/qt/qt_canvas.cpp
        DEPS platform_line_raster Qt6::Gui)

    incubator_test(platform_canvas_qt_tests QT
        SOURCES ${CMAKE_CURRENT_LIST_DIR}/qt/tests/qt_canvas_test.cpp
        DEPS platform_canvas_qt)
endif()
