#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <limits>
#include <string>
#include <system_error>

#include "document/file_io.h"

namespace lumaset {

namespace {

int fd(std::intptr_t handle) { return int(handle); }

}  // namespace

FileSource::~FileSource() { close(); }

OpenResult FileSource::open(const std::filesystem::path& path) {
    close();
    const int f = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (f < 0) return (errno == ENOENT || errno == ENOTDIR) ? OpenResult::NotFound : OpenResult::Failed;
    struct stat st {};
    // A folder opens here but not on Windows; refuse it the same way.
    if (::fstat(f, &st) != 0 || S_ISDIR(st.st_mode)) {
        ::close(f);
        return OpenResult::Failed;
    }
    ::posix_fadvise(f, 0, 0, POSIX_FADV_SEQUENTIAL);
    handle_ = f;
    return OpenResult::Opened;
}

void FileSource::close() {
    if (handle_ >= 0) ::close(fd(handle_));
    handle_ = -1;
}

std::int64_t FileSource::read(void* buffer, std::size_t size) {
    if (handle_ < 0) return -1;
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::read(fd(handle_), static_cast<char*>(buffer) + done, size - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return -1;
        }
        if (n == 0) break;
        done += std::size_t(n);
    }
    return std::int64_t(done);
}

bool FileSource::skip(std::uint64_t count) {
    if (handle_ < 0 || count > std::uint64_t(std::numeric_limits<off_t>::max())) return false;
    return ::lseek(fd(handle_), off_t(count), SEEK_CUR) >= 0;
}

SafeFileWriter::~SafeFileWriter() { abandon(); }

bool SafeFileWriter::create(const std::filesystem::path& target) {
    abandon();
    std::error_code ec;
    target_ = target;
    // Replace what a link points at, not the link.
    if (std::filesystem::is_symlink(target, ec)) {
        const auto resolved = std::filesystem::canonical(target, ec);
        if (!ec) target_ = resolved;
    }
    if (injectedFailure(&FileFaults::failCreateAt, &FileFaults::creates)) return false;
    // A folder in the file's place can never be replaced: say so at once.
    if (std::filesystem::is_directory(target_, ec)) return false;

    const std::string stem = target_.filename().string() + ".lumaset-" + std::to_string(::getpid()) + "-";
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::filesystem::path candidate = target_;
        candidate.replace_filename(stem + std::to_string(attempt) + ".tmp");
        const int f = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (f >= 0) {
            struct stat st {};
            // Keep the permissions the old file had.
            if (::stat(target_.c_str(), &st) == 0 && S_ISREG(st.st_mode)) ::fchmod(f, st.st_mode & 07777);
            handle_ = f;
            temporary_ = candidate;
            return true;
        }
        if (errno != EEXIST) return false;
    }
    return false;
}

bool SafeFileWriter::write(const void* data, std::size_t size) {
    if (handle_ < 0) return false;
    if (injectedFailure(&FileFaults::failWriteAt, &FileFaults::writes)) return false;
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd(handle_), static_cast<const char*>(data) + done, size - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += std::size_t(n);
    }
    return true;
}

bool SafeFileWriter::commit() {
    if (handle_ < 0) return false;
    const bool flushed = !injectedFailure(&FileFaults::failFlushAt, &FileFaults::flushes) &&
                         ::fsync(fd(handle_)) == 0;
    const bool closed = ::close(fd(handle_)) == 0;
    handle_ = -1;
    if (!flushed || !closed || injectedFailure(&FileFaults::failReplaceAt, &FileFaults::replaces) ||
        ::rename(temporary_.c_str(), target_.c_str()) != 0) {
        abandon();
        return false;
    }
    temporary_.clear();
    // Make the rename itself durable; failing here loses nothing.
    std::filesystem::path folder = target_.parent_path();
    if (folder.empty()) folder = ".";
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

void SafeFileWriter::abandon() {
    if (handle_ >= 0) ::close(fd(handle_));
    handle_ = -1;
    if (!temporary_.empty()) ::unlink(temporary_.c_str());
    temporary_.clear();
}

}  // namespace lumaset
