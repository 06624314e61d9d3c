incubator_bench(mqtt_bench SOURCES mqtt_bench.cpp DEPS mqtt_test_support mqtt_feed)
