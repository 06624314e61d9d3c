# Drawing the chart: our DrawChart through the QImage canvas, side by side with QCustomPlot
# drawing the same data into an image of the same size.
if(INCUBATOR_WITH_QT)
    find_package(Qt6 COMPONENTS PrintSupport)
    find_library(QCUSTOMPLOT_QT6_LIBRARY QCustomPlotQt6)
    if(Qt6PrintSupport_FOUND AND QCUSTOMPLOT_QT6_LIBRARY)
        incubator_bench(chart_bench
            SOURCES chart_bench.cpp
            DEPS chart platform_canvas_qt Qt6::Widgets Qt6::PrintSupport
                 ${QCUSTOMPLOT_QT6_LIBRARY})
        target_compile_definitions(chart_bench PRIVATE QCUSTOMPLOT_USE_LIBRARY)
    else()
        message(STATUS "chart_bench skipped: QCustomPlotQt6 or Qt6 PrintSupport not found")
    endif()
endif()
