#include "engine/statistics/file_error_text.h"

#include <cerrno>
#include <system_error>

#include "engine/statistics/file_system.h"

namespace statistics {

std::string ReasonInWords(int error) {
    switch (error) {
        case ENOSPC:
            return "нет места на диске";
        case EDQUOT:
            return "превышена дисковая квота";
        case EACCES:
        case EPERM:
            return "нет прав доступа";
        case EROFS:
            return "файловая система доступна только для чтения";
        case ENOENT:
            return "нет такого файла или папки";
        case ENOTDIR:
            return "часть пути не является папкой";
        case EISDIR:
            return "это папка, а не файл";
        case kNotRegularFile:
        case ENXIO:
            return "это не обычный файл, а канал, устройство или сокет";
        case ELOOP:
            return "на месте файла символическая ссылка";
        case EIO:
            return "ошибка ввода-вывода";
        case ENAMETOOLONG:
            return "слишком длинное имя";
        case EMFILE:
        case ENFILE:
            return "открыто слишком много файлов";
        case EFBIG:
            return "файл слишком велик";
        case EBUSY:
        case ETXTBSY:
            return "файл занят";
        default:
            return std::system_category().message(error);
    }
}

}  // namespace statistics
