#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <string>

#include "document/file_io.h"

namespace lumaset {

namespace {

HANDLE asHandle(std::intptr_t h) { return reinterpret_cast<HANDLE>(h); }
std::intptr_t fromHandle(HANDLE h) { return reinterpret_cast<std::intptr_t>(h); }
constexpr std::intptr_t kNoHandle = -1;  // INVALID_HANDLE_VALUE

// ReadFile and WriteFile take 32-bit sizes.
constexpr std::size_t kChunk = 1u << 30;

}  // namespace

FileSource::~FileSource() { close(); }

OpenResult FileSource::open(const std::filesystem::path& path) {
    close();
    HANDLE h = ::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        return (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) ? OpenResult::NotFound
                                                                               : OpenResult::Failed;
    }
    handle_ = fromHandle(h);
    return OpenResult::Opened;
}

void FileSource::close() {
    if (handle_ != kNoHandle) ::CloseHandle(asHandle(handle_));
    handle_ = kNoHandle;
}

std::int64_t FileSource::read(void* buffer, std::size_t size) {
    if (handle_ == kNoHandle) return -1;
    std::size_t done = 0;
    while (done < size) {
        DWORD got = 0;
        const DWORD want = DWORD(std::min(size - done, kChunk));
        if (!::ReadFile(asHandle(handle_), static_cast<char*>(buffer) + done, want, &got, nullptr)) return -1;
        if (got == 0) break;
        done += got;
    }
    return std::int64_t(done);
}

bool FileSource::skip(std::uint64_t count) {
    if (handle_ == kNoHandle || count > std::uint64_t(INT64_MAX)) return false;
    LARGE_INTEGER distance;
    distance.QuadPart = LONGLONG(count);
    return ::SetFilePointerEx(asHandle(handle_), distance, nullptr, FILE_CURRENT) != 0;
}

SafeFileWriter::~SafeFileWriter() { abandon(); }

bool SafeFileWriter::create(const std::filesystem::path& target) {
    abandon();
    target_ = target;
    if (injectedFailure(&FileFaults::failCreateAt, &FileFaults::creates)) return false;
    // A folder or a read-only file in the file's place cannot be written
    // over: say so at once, not after writing a copy beside it.
    const DWORD attributes = ::GetFileAttributesW(target_.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) != 0)
        return false;

    // The name tells which editor wrote it, start time and all, so that a
    // later editor removes it only when that one is certainly gone.
    FILETIME created{}, exited{}, kernel{}, user{};
    ::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user);
    wchar_t start[17] = {};
    std::swprintf(start, 17, L"%08lx%08lx", static_cast<unsigned long>(created.dwHighDateTime),
                  static_cast<unsigned long>(created.dwLowDateTime));
    const std::wstring stem = target_.filename().wstring() + L".lumaset-" +
                              std::to_wstring(::GetCurrentProcessId()) + L"-" + start + L"-";
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::filesystem::path candidate = target_;
        candidate.replace_filename(stem + std::to_wstring(attempt) + L".tmp");
        HANDLE h = ::CreateFileW(candidate.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            handle_ = fromHandle(h);
            temporary_ = candidate;
            return true;
        }
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return false;
    }
    return false;
}

bool SafeFileWriter::write(const void* data, std::size_t size) {
    if (handle_ == kNoHandle) return false;
    if (injectedFailure(&FileFaults::failWriteAt, &FileFaults::writes)) return false;
    std::size_t done = 0;
    while (done < size) {
        DWORD put = 0;
        const DWORD want = DWORD(std::min(size - done, kChunk));
        if (!::WriteFile(asHandle(handle_), static_cast<const char*>(data) + done, want, &put, nullptr) ||
            put == 0)
            return false;
        done += put;
    }
    return true;
}

bool SafeFileWriter::commit() {
    if (handle_ == kNoHandle) return false;
    const bool flushed = !injectedFailure(&FileFaults::failFlushAt, &FileFaults::flushes) &&
                         ::FlushFileBuffers(asHandle(handle_)) != 0;
    const bool closed = ::CloseHandle(asHandle(handle_)) != 0;
    handle_ = kNoHandle;
    if (!flushed || !closed || injectedFailure(&FileFaults::failReplaceAt, &FileFaults::replaces)) {
        abandon();
        return false;
    }
    // ReplaceFileW keeps the old file's attributes and security; where it
    // cannot run (no target yet, another volume, a file system without it)
    // a write-through move does the job.
    bool replaced = false;
    const bool targetExisted = ::GetFileAttributesW(target_.c_str()) != INVALID_FILE_ATTRIBUTES;
    if (targetExisted)
        replaced = ::ReplaceFileW(target_.c_str(), temporary_.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                                  nullptr, nullptr) != 0;
    if (!replaced)
        replaced = ::MoveFileExW(temporary_.c_str(), target_.c_str(),
                                 MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    if (!replaced) {
        // ReplaceFileW can fail after it has already removed the old file;
        // the temporary file is then the only copy left, so it stays.
        if (targetExisted && ::GetFileAttributesW(target_.c_str()) == INVALID_FILE_ATTRIBUTES)
            temporary_.clear();
        abandon();
        return false;
    }
    temporary_.clear();
    return true;
}

void SafeFileWriter::abandon() {
    if (handle_ != kNoHandle) ::CloseHandle(asHandle(handle_));
    handle_ = kNoHandle;
    if (!temporary_.empty()) ::DeleteFileW(temporary_.c_str());
    temporary_.clear();
}

}  // namespace lumaset
