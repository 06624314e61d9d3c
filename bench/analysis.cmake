# Analysis reports over a full display: the report alone, and with Qt one analysis as the user
# sees it (the display's lines read out of its document, the report, the window's memo filled).
incubator_bench(analysis_bench SOURCES analysis_bench.cpp DEPS analysis_report)
if(INCUBATOR_WITH_QT)
    target_link_libraries(analysis_bench PRIVATE analysis_qt platform_services_doubles Qt6::Widgets)
    target_compile_definitions(analysis_bench PRIVATE ANALYSIS_BENCH_WITH_QT)
endif()
