# What the tests and the benchmarks need beyond the programs' own libraries: GoogleTest,
# nlohmann_json (the tests read the published JSON back), the mosquitto broker (the MQTT tests
# start brokers of their own), Qt's test library, and Google Benchmark for bench/. They are
# Debian packages that scripts/setup-deps.sh installs; whatever is missing is named at once.

set(incubator_missing)
find_package(GTest)
if(NOT GTest_FOUND OR NOT TARGET GTest::gmock)
    list(APPEND incubator_missing "GoogleTest and GoogleMock (libgtest-dev, libgmock-dev)")
endif()
find_package(nlohmann_json)
if(NOT nlohmann_json_FOUND)
    list(APPEND incubator_missing "nlohmann_json (nlohmann-json3-dev)")
endif()
find_program(MOSQUITTO_BROKER mosquitto PATHS /usr/sbin /sbin)
if(NOT MOSQUITTO_BROKER)
    list(APPEND incubator_missing "the Mosquitto broker (mosquitto)")
endif()
if(INCUBATOR_WITH_QT)
    find_package(Qt6 COMPONENTS Test)
    if(NOT Qt6Test_FOUND)
        list(APPEND incubator_missing "Qt's test library (qt6-base-dev)")
    endif()
endif()
if(INCUBATOR_BENCH)
    find_package(benchmark)
    if(NOT benchmark_FOUND)
        list(APPEND incubator_missing "Google Benchmark (libbenchmark-dev)")
    endif()
endif()

if(incubator_missing)
    list(JOIN incubator_missing ", " incubator_missing)
    message(FATAL_ERROR "The tests and benchmarks need ${incubator_missing}. "
        "`bash scripts/setup-deps.sh` installs them; -DBUILD_TESTING=OFF "
        "-DINCUBATOR_BENCH=OFF builds the programs without them.")
endif()
