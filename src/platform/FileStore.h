// Files as the portable code sees them. Paths are UTF-16 text.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "core/Text.h"

namespace wayloom {

// A file being written. Nothing replaces the target until Commit succeeds, so a failed
// save never destroys the old file; destroying an uncommitted file discards it.
class OutputFile {
 public:
  virtual ~OutputFile() = default;
  virtual bool Write(const void* data, std::size_t size) = 0;
  virtual bool Commit() = 0;
};

enum class ReadResult { Ok, OpenFailed, NoMemory, ReadFailed };

// The bytes of a file being read, followed by the requested room. A large file may be
// mapped rather than copied: then the pages a reader has passed can be given back and are
// read again from the file if the reader looks back, so a file never has to be resident
// in whole beside the table it fills.
class FileBytes {
 public:
  virtual ~FileBytes() = default;
  std::span<std::uint8_t> Bytes() const { return bytes_; }
  // The reader is past offset for now; a smaller offset than before starts a new pass.
  virtual void ReleaseBefore(std::size_t offset) { (void)offset; }

 protected:
  std::span<std::uint8_t> bytes_;
};

struct FolderEntry {
  Text name;
  bool isFolder = false;
};
enum class CreateResult { Ok, ReadOnly, Failed };

class FileStore {
 public:
  virtual ~FileStore() = default;
  // Reads the whole file into data, followed by extraBytes zero bytes of room.
  virtual ReadResult ReadWholeFile(TextView path, std::vector<std::uint8_t>& data, std::size_t extraBytes) = 0;
  // The same as FileBytes; by default a copy made by ReadWholeFile.
  virtual ReadResult OpenWholeFile(TextView path, std::size_t extraBytes, std::unique_ptr<FileBytes>& bytes);
  // Starts writing: a temporary file beside the target. ReadOnly when the target exists
  // with the read-only attribute.
  virtual std::unique_ptr<OutputFile> CreateOutput(TextView path, CreateResult& result) = 0;
  virtual bool Exists(TextView path) = 0;       // a file or a folder
  virtual bool IsDirectory(TextView path) = 0;
  virtual bool ClearReadOnly(TextView path) = 0;
  // The entries of a folder (not its subfolders) in the order the file system gives
  // them, without "." and "..". False when the listing cannot be made.
  virtual bool ListFolder(TextView folder, std::vector<FolderEntry>& entries) = 0;
};

// folder and name joined with the separator the folder already uses ('\\' or '/').
Text JoinPath(TextView folder, TextView name);

// The file store of the system the program runs on.
std::unique_ptr<FileStore> MakeSystemFileStore();

// Buffers small writes into large ones for an OutputFile implementation.
class BufferedWriter {
 public:
  explicit BufferedWriter(OutputFile& file) : file_(file) { buffer_.reserve(kSize); }
  bool Write(const void* data, std::size_t size) {
    if (!ok_) return false;
    if (buffer_.size() + size > kSize && !Flush()) return false;
    if (size >= kSize) return ok_ = file_.Write(data, size);
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    buffer_.insert(buffer_.end(), bytes, bytes + size);
    return true;
  }
  bool Flush() {
    if (ok_ && !buffer_.empty()) ok_ = file_.Write(buffer_.data(), buffer_.size());
    buffer_.clear();
    return ok_;
  }

 private:
  static constexpr std::size_t kSize = 1 << 16;
  OutputFile& file_;
  std::vector<std::uint8_t> buffer_;
  bool ok_ = true;
};

// File-name parts of a path written with '\' or '/' separators.
TextView PathFileName(TextView path);   // after the last separator
TextView PathExtension(TextView path);  // after the last '.' of the file name, or empty
Text PathTitle(TextView path);          // file name without its extension
TextView PathFolder(TextView path);     // up to the last separator, or empty

}  // namespace wayloom
