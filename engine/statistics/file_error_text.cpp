#include "engine/statistics/file_error_text.h"

#include <cerrno>

#include "common/system_error_text.h"
#include "engine/statistics/file_system.h"

namespace statistics {

std::string ReasonInWords(int error) {
    switch (error) {
        case kNotRegularFile:
        case ENXIO:  // a FIFO nobody reads, opened without waiting
            return "это не обычный файл, а канал, устройство или сокет";
        case EBUSY:
        case ETXTBSY:
            return "файл занят";
        default:
            return text::SystemErrorText(error);
    }
}

}  // namespace statistics
