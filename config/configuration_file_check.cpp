#include "config/configuration_file_check.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

#include "common/system_error_text.h"
#include "common/text_format.h"
#include "platform/ini_file.h"
#include "platform/posix/unique_fd.h"

namespace config {

std::string ConfigurationFileProblem(const std::string& path, bool must_exist) {
    const std::string quoted = "\"" + path + "\"";
    // Non-blocking: a pipe with no writer must not hold the start.
    const platform::UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!fd.Valid()) {
        if (errno == ENOENT && !must_exist) return {};
        return "Не удалось прочитать файл настроек " + quoted + ": " + text::SystemErrorText(errno);
    }
    struct stat st {};
    if (::fstat(fd.Get(), &st) != 0)
        return "Не удалось прочитать файл настроек " + quoted + ": " + text::SystemErrorText(errno);
    if (!S_ISREG(st.st_mode))
        return "Файл настроек " + quoted +
               " не прочитан: это не обычный файл (папка, канал или устройство).";
    if (static_cast<unsigned long long>(st.st_size) > platform::IniFile::kMaxFileBytes)
        return "Файл настроек " + quoted + " не прочитан: он больше " +
               text::FormatInt(platform::IniFile::kMaxFileBytes >> 20) +
               " МБ, а файл настроек занимает несколько килобайт.";
    return {};
}

}  // namespace config
