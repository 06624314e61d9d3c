# Statistics files: the autosave to the daily log, saving and opening statistics files, and
# the history refill from an opened file.
set(statistics_dir ${CMAKE_CURRENT_LIST_DIR}/statistics)

incubator_library(statistics
    SOURCES ${statistics_dir}/autosaver.cpp ${statistics_dir}/daily_file_name.cpp
            ${statistics_dir}/file_error_text.cpp ${statistics_dir}/file_system.cpp
            ${statistics_dir}/history_refill.cpp ${statistics_dir}/journal_records.cpp
            ${statistics_dir}/journal_recovery.cpp ${statistics_dir}/line_journal.cpp
            ${statistics_dir}/posix_file_system.cpp
            ${statistics_dir}/statistics_file.cpp ${statistics_dir}/unsaved_lines.cpp
    DEPS telemetry common)

incubator_test(statistics_tests
    SOURCES ${statistics_dir}/tests/faulty_file_system.cpp
            ${statistics_dir}/tests/crash_file_system.cpp
            ${statistics_dir}/tests/journal_crash_test.cpp
            ${statistics_dir}/tests/line_journal_test.cpp
            ${statistics_dir}/tests/autosaver_test.cpp
            ${statistics_dir}/tests/statistics_file_test.cpp
            ${statistics_dir}/tests/history_refill_test.cpp
    DEPS statistics timer_doubles)
