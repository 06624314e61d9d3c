#pragma once
// Whole-file reading, and replacing a file's content at once so that a crash or a power
// cut leaves either the old content or the new one.

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

struct FileBytes {
    int error = 0;  // 0, or the errno of the failure (ENOENT: no such file)
    std::string bytes;
};

// A plain file's bytes: anything else in its place is EINVAL (EISDIR for a folder), and a file
// of more than `max_bytes` is EFBIG, refused before it is read.
FileBytes ReadWholeFile(const std::string& path, std::size_t max_bytes);

// Writes `bytes` to a new, uniquely named temporary file in the file's folder (O_EXCL),
// gives it the old file's mode (and owner, where allowed), fsyncs it, renames it over the
// file and fsyncs the folder. A symbolic link is followed: its target is replaced. Returns
// 0, or the errno of the first step that failed; up to the rename the temporary file is then
// removed and the old file untouched. A folder sync that fails after the rename is reported
// as well (the new content is in place but not known to be on disk). A missing folder is a
// failure (ENOENT), never created here.
//
// Temporary files are hidden: "." + file name + "." + pid + "." + random + ".tmp". A writer
// killed halfway leaves one behind; the next replacement of the same file removes those of
// processes that no longer run. Readers never look at them.
int ReplaceFileContent(const std::string& path, std::string_view bytes);

}  // namespace platform
