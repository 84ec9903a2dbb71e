// FileHandle: an open file written in pieces (append-style logs and downloads), as opposed to the
// whole-file writes of file_io.h.
#pragma once

#include <memory>
#include <string>

#include "platform/foundation/bytes.h"

namespace fnd {

class FileHandle {
public:
    struct Passkey {
    private:
        friend class FileHandle;
        Passkey() = default;
    };

    // A handle on an existing file, positioned at its start; null (logged unless the file is simply
    // missing) when it does not exist, is not a regular file or cannot be opened. Links are not followed.
    static std::shared_ptr<FileHandle> openForWriting(const std::string& path);

    FileHandle(Passkey, int fd, std::string path);
    ~FileHandle(); // closes the file if still open
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    // Moves to the end of the file and returns that offset (0 on a closed handle).
    uint64_t seekToEndOfFile();
    // Writes all of `data` at the current offset. A failed or short write (a full disk, a closed handle)
    // is logged and gives false.
    bool writeData(const Bytes& data);
    // Closes the file; later writes fail. Returns false (logged) when the close reports an error.
    bool closeFile();

private:
    int fd_;
    std::string path_;
};

} // namespace fnd
