# One running copy per instance: the folder lock (POSIX, both programs).
incubator_library(platform_folder_lock
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/posix/folder_lock.cpp)
