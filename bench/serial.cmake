# Serial layer: receive latency through the Qt UI thread, idle cost of an open port, and the
# time ClosePort takes while data flows.
if(INCUBATOR_WITH_QT)
    incubator_bench(serial_bench SOURCES serial_bench.cpp
        DEPS serial serial_posix ui_thread_qt Qt6::Core)
endif()
