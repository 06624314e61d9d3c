#include "common/system_error_text.h"

#include <cerrno>
#include <system_error>

namespace text {

std::string SystemErrorText(int error) {
    switch (error) {
        case ENOENT:
            return "нет такого файла или папки";
        case EACCES:
        case EPERM:
            return "нет прав доступа";
        case EROFS:
            return "файловая система доступна только для чтения";
        case ENOSPC:
            return "нет места на диске";
        case EDQUOT:
            return "превышена дисковая квота";
        case EBUSY:
        case ETXTBSY:
            return "устройство или файл заняты";
        case ENODEV:
            return "нет такого устройства";
        case ENXIO:
            return "устройство не отвечает или отключено";
        case ETIMEDOUT:
            return "время ожидания истекло";
        case ECONNREFUSED:
            return "в соединении отказано";
        case ECONNRESET:
        case EPIPE:
            return "соединение разорвано";
        case EHOSTUNREACH:
            return "узел недоступен";
        case ENETUNREACH:
            return "сеть недоступна";
        case ENOTDIR:
            return "часть пути не является папкой";
        case EISDIR:
            return "это папка, а не файл";
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
        case ENOMEM:
            return "не хватает памяти";
        default:
            return std::system_category().message(error);
    }
}

}  // namespace text
