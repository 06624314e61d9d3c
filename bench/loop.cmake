# The poll loop of the program without a window system: posted steps, hand-overs from
# another thread, timer ticks and descriptor events.
incubator_bench(loop_bench SOURCES loop_bench.cpp DEPS platform_loop)
