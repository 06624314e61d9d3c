# One running copy per instance: the folder lock (POSIX, both programs) and the window
# program's channel to its running copy (Qt's local sockets).
incubator_library(platform_folder_lock
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/posix/folder_lock.cpp)

if(INCUBATOR_WITH_QT)
    find_package(Qt6 REQUIRED COMPONENTS Network)
    incubator_library(instance_channel_qt
        SOURCES ${CMAKE_CURRENT_LIST_DIR}/qt/instance_channel.cpp
        DEPS Qt6::Network)
endif()
