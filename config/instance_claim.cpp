#include "config/instance_claim.h"

#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <filesystem>

#include "common/system_error_text.h"
#include "common/text_format.h"

namespace config {

namespace {

namespace fs = std::filesystem;

struct Holder {
    std::string configuration;
    std::string pid;
};

// What the lock file holds: the configuration file's path, then the process id, a line each.
std::string HolderText(const std::string& configuration_file) {
    return configuration_file + "\n" + text::FormatInt(::getpid()) + "\n";
}

Holder ParseHolder(const std::string& text) {
    Holder holder;
    const std::size_t end = text.find('\n');
    holder.configuration = text.substr(0, end);
    if (end != std::string::npos) {
        const std::size_t pid_end = text.find('\n', end + 1);
        holder.pid =
            text.substr(end + 1, pid_end == std::string::npos ? pid_end : pid_end - end - 1);
    }
    return holder;
}

bool SameFile(const std::string& a, const std::string& b) {
    std::error_code error;
    if (fs::equivalent(a, b, error)) return true;
    return fs::path(a).lexically_normal() == fs::path(b).lexically_normal();
}

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

// FNV-1a: stable from one build to the next, so two builds of the program find each other.
std::uint64_t Fnv1a(const std::string& text) {
    std::uint64_t hash = 14695981039346656037ull;
    for (const unsigned char c : text) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    return hash;
}

std::string Hex(std::uint64_t value) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text(16, '0');
    for (int i = 15; i >= 0; --i, value >>= 4)
        text[static_cast<std::size_t>(i)] = kDigits[value & 15];
    return text;
}

std::string CanonicalFolder(const std::string& folder) {
    std::error_code error;
    const fs::path canonical = fs::weakly_canonical(folder, error);
    return (error ? fs::path(folder).lexically_normal() : canonical).string();
}

}  // namespace

std::string StatisticsFolderLockFile(const std::string& log_folder) {
    fs::path folder = fs::path(log_folder).lexically_normal();
    if (!folder.has_filename()) folder = folder.parent_path();  // "log/" as "log"
    const std::string name = folder.filename().string();
    return (folder.parent_path() /
            ("." + (name.empty() ? std::string("statistics") : name) + ".lock"))
        .string();
}

StatisticsFolderClaim ClaimStatisticsFolder(const std::string& log_folder,
                                            const std::string& configuration_file) {
    StatisticsFolderClaim claim;
    const std::string lock_file = StatisticsFolderLockFile(log_folder);
    int error = MakeFolders(fs::path(lock_file).parent_path().string());
    if (error == 0) {
        platform::FolderLockAttempt attempt =
            platform::TryLockFile(lock_file, HolderText(configuration_file));
        if (attempt.lock.Held()) {
            claim.outcome = StatisticsFolderClaim::Outcome::Taken;
            claim.lock = std::move(attempt.lock);
            return claim;
        }
        if (attempt.error == EWOULDBLOCK) {
            const Holder holder = ParseHolder(attempt.holder);
            const bool same =
                !holder.configuration.empty() && SameFile(holder.configuration, configuration_file);
            claim.outcome = same ? StatisticsFolderClaim::Outcome::HeldBySame
                                 : StatisticsFolderClaim::Outcome::HeldByAnother;
            const std::string whose =
                holder.configuration.empty()
                    ? std::string("другая запущенная копия программы")
                    : "запущенная копия программы с файлом настроек " +
                          Quoted(holder.configuration) +
                          (holder.pid.empty() ? std::string() : " (процесс " + holder.pid + ")");
            claim.text = "Папку статистики " + Quoted(log_folder) + " уже ведёт " + whose +
                         "; вторая копия не запускается, чтобы строки двух копий не "
                         "смешивались в одном файле.";
            if (!same)
                claim.text +=
                    " Задайте каждому файлу настроек свою папку ([LogFile] Dir) или "
                    "разнесите файлы настроек по разным папкам.";
            return claim;
        }
        error = attempt.error;
    }
    claim.text = "Не удалось занять папку статистики " + Quoted(log_folder) + " (файл " +
                 Quoted(lock_file) + "): " + text::SystemErrorText(error) +
                 ". Программа работает, но вторая копия с той же папкой не будет остановлена.";
    return claim;
}

std::string InstanceSocketName(const std::string& log_folder,
                               const EnvironmentLookup& environment) {
    const std::string tag = Hex(Fnv1a(CanonicalFolder(log_folder)));
    if (const auto runtime = environment("XDG_RUNTIME_DIR");
        runtime && fs::path(*runtime).is_absolute())
        return (fs::path(*runtime) / ("incubator-monitor-" + tag + ".socket")).string();
    return "incubator-monitor-" + text::FormatInt(::getuid()) + "-" + tag;
}

}  // namespace config
