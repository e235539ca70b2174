// A thin file layer for the tag-file reader and writer: sequential reads
// with skips, and a writer that never leaves a half-written target behind.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>

namespace lumaset {

// Where the reader takes its bytes from: a file or a block in memory.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Reads up to size bytes. Returns the number read, which falls short only
    // at the end of the data, or -1 when the read itself failed.
    virtual std::int64_t read(void* buffer, std::size_t size) = 0;
    // Moves on by count bytes from the current position; past the end is
    // allowed, later reads then give nothing. False on failure.
    virtual bool skip(std::uint64_t count) = 0;
};

class MemorySource final : public ByteSource {
public:
    explicit MemorySource(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    std::int64_t read(void* buffer, std::size_t size) override;
    bool skip(std::uint64_t count) override;

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t position_ = 0;
};

enum class OpenResult {
    Opened,
    NotFound,  // the file or a folder on its path does not exist
    Failed,    // anything else: sharing, access, a folder in its place...
};

class FileSource final : public ByteSource {
public:
    FileSource() = default;
    ~FileSource() override;
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;

    // Opens an existing file for reading, unshared, with sequential access.
    OpenResult open(const std::filesystem::path& path);
    void close();
    std::int64_t read(void* buffer, std::size_t size) override;
    bool skip(std::uint64_t count) override;

private:
    std::intptr_t handle_ = -1;  // HANDLE or file descriptor
};

// Writes a file beside the target and puts it in the target's place only
// when every write went through. Until commit() succeeds the target is
// untouched; a writer that is destroyed or abandoned removes its file.
class SafeFileWriter {
public:
    SafeFileWriter() = default;
    ~SafeFileWriter();
    SafeFileWriter(const SafeFileWriter&) = delete;
    SafeFileWriter& operator=(const SafeFileWriter&) = delete;

    bool create(const std::filesystem::path& target);
    bool write(const void* data, std::size_t size);
    // Flushes to disk, closes and replaces the target.
    bool commit();
    // Closes and deletes the temporary file; the target stays as it was.
    void abandon();

    const std::filesystem::path& temporaryPath() const { return temporary_; }

private:
    std::filesystem::path target_;
    std::filesystem::path temporary_;
    std::intptr_t handle_ = -1;
};

// Test hook: each field set to n > 0 makes the n-th such operation from now
// on fail (1: the next one). Counters are advanced by the layer.
struct FileFaults {
    int failCreateAt = 0;
    int failWriteAt = 0;
    int failFlushAt = 0;
    int failReplaceAt = 0;
    int creates = 0;
    int writes = 0;
    int flushes = 0;
    int replaces = 0;
};
FileFaults& fileFaults();

// Used by both platform layers to consult the hook.
bool injectedFailure(int FileFaults::*failAt, int FileFaults::*counter);

}  // namespace lumaset
