#include "platform/posix/PosixFileStore.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <new>

#include "core/LargeMemory.h"

namespace wayloom {

namespace {

class PosixOutputFile : public OutputFile {
 public:
  PosixOutputFile(int fd, std::string temp, std::string target, mode_t mode)
      : fd_(fd), temp_(std::move(temp)), target_(std::move(target)), mode_(mode) {}
  ~PosixOutputFile() override {
    if (fd_ >= 0) {
      ::close(fd_);
      ::unlink(temp_.c_str());
    }
  }
  bool Write(const void* data, std::size_t size) override {
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
      const ssize_t n = ::write(fd_, bytes, size);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      bytes += n;
      size -= static_cast<std::size_t>(n);
    }
    return true;
  }
  bool Commit() override {
    if (fd_ < 0) return false;
    ::fchmod(fd_, mode_);  // keep the old file's permissions; not fatal when refused
    bool ok = ::fsync(fd_) == 0;
    ok = ::close(fd_) == 0 && ok;
    fd_ = -1;
    if (ok) ok = std::rename(temp_.c_str(), target_.c_str()) == 0;
    if (!ok) ::unlink(temp_.c_str());
    return ok;
  }

 private:
  int fd_;
  std::string temp_;
  std::string target_;
  mode_t mode_;
};

// A file mapped privately, with zeroed room after it. Only the page that holds the end of
// the file and the room is ever written (by the caller's terminator); every page before
// it stays clean, so giving it back loses nothing.
class MappedFileBytes : public FileBytes {
 public:
  MappedFileBytes(std::uint8_t* base, std::size_t mapped, std::size_t fileSize, std::size_t extraBytes)
      : base_(base), mapped_(mapped) {
    bytes_ = {base, fileSize + extraBytes};
    const std::size_t page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    cleanEnd_ = fileSize / page * page;
  }
  ~MappedFileBytes() override { ::munmap(base_, mapped_); }

  void ReleaseBefore(std::size_t offset) override {
    // Keeps a little behind the reader for its look-backs, and gives pages back in large
    // steps so that the calls cost nothing beside the reading.
    constexpr std::size_t kKeptBehind = std::size_t{1} << 20;
    constexpr std::size_t kStep = std::size_t{4} << 20;
    if (offset < releasedTo_) releasedTo_ = 0;  // a new pass over the bytes
    const std::size_t page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    std::size_t end = offset > kKeptBehind ? (offset - kKeptBehind) / page * page : 0;
    if (end > cleanEnd_) end = cleanEnd_;
    if (end < releasedTo_ + kStep && !(end == cleanEnd_ && end > releasedTo_)) return;
    ::madvise(base_ + releasedTo_, end - releasedTo_, MADV_DONTNEED);
    releasedTo_ = end;
  }

 private:
  std::uint8_t* base_;
  std::size_t mapped_;
  std::size_t cleanEnd_;
  std::size_t releasedTo_ = 0;
};

}  // namespace

ReadResult PosixFileStore::OpenWholeFile(TextView path, std::size_t extraBytes, std::unique_ptr<FileBytes>& bytes) {
  const std::string name = TextToUtf8(path);
  const int fd = ::open(name.c_str(), O_RDONLY);
  if (fd < 0) return ReadResult::OpenFailed;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
      static_cast<std::size_t>(info.st_size) < kMappedFileSize) {
    ::close(fd);
    return FileStore::OpenWholeFile(path, extraBytes, bytes);
  }
  // Room first, as one zeroed block, then the file over its start.
  const auto size = static_cast<std::size_t>(info.st_size);
  const std::size_t page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
  const std::size_t mapped = (size + extraBytes + page) / page * page;
  void* base = ::mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (base == MAP_FAILED) {
    ::close(fd);
    return ReadResult::NoMemory;
  }
  void* file = ::mmap(base, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_FIXED, fd, 0);
  ::close(fd);
  if (file == MAP_FAILED) {
    ::munmap(base, mapped);
    return ReadResult::ReadFailed;
  }
  bytes = std::make_unique<MappedFileBytes>(static_cast<std::uint8_t*>(base), mapped, size, extraBytes);
  return ReadResult::Ok;
}

ReadResult PosixFileStore::ReadWholeFile(TextView path, std::vector<std::uint8_t>& data, std::size_t extraBytes) {
  const std::string name = TextToUtf8(path);
  const int fd = ::open(name.c_str(), O_RDONLY);
  if (fd < 0) return ReadResult::OpenFailed;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
    ::close(fd);
    return ReadResult::OpenFailed;
  }
  const auto size = static_cast<std::size_t>(info.st_size);
  try {
    data.clear();
    data.reserve(size + extraBytes);
    AdviseLargeBlock(data.data(), data.capacity());
    data.resize(size + extraBytes);
  } catch (const std::bad_alloc&) {
    ::close(fd);
    return ReadResult::NoMemory;
  }
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = ::read(fd, data.data() + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  ::close(fd);
  if (done != size) return ReadResult::ReadFailed;
  return ReadResult::Ok;
}

std::unique_ptr<OutputFile> PosixFileStore::CreateOutput(TextView path, CreateResult& result) {
  const std::string target = TextToUtf8(path);
  mode_t mode = 0644;
  struct stat info {};
  if (::stat(target.c_str(), &info) == 0) {
    if (S_ISDIR(info.st_mode)) {
      result = CreateResult::Failed;
      return nullptr;
    }
    if (!(info.st_mode & S_IWUSR)) {
      result = CreateResult::ReadOnly;
      return nullptr;
    }
    mode = info.st_mode & 07777;
  }
  std::string temp = target + ".wltmp-XXXXXX";
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) {
    result = CreateResult::Failed;
    return nullptr;
  }
  result = CreateResult::Ok;
  return std::make_unique<PosixOutputFile>(fd, temp, target, mode);
}

std::unique_ptr<FileStore> MakeSystemFileStore() { return std::make_unique<PosixFileStore>(); }

bool PosixFileStore::Exists(TextView path) {
  struct stat info {};
  return ::stat(TextToUtf8(path).c_str(), &info) == 0;
}

bool PosixFileStore::IsDirectory(TextView path) {
  struct stat info {};
  return ::stat(TextToUtf8(path).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool PosixFileStore::ClearReadOnly(TextView path) {
  const std::string name = TextToUtf8(path);
  struct stat info {};
  if (::stat(name.c_str(), &info) != 0) return false;
  return ::chmod(name.c_str(), (info.st_mode & 07777) | S_IWUSR) == 0;
}

}  // namespace wayloom

namespace wayloom {

bool PosixFileStore::ListFolder(TextView folder, std::vector<FolderEntry>& entries) {
  const std::string name = TextToUtf8(folder);
  DIR* dir = ::opendir(name.c_str());
  if (!dir) return false;
  entries.clear();
  while (const dirent* entry = ::readdir(dir)) {
    const std::string_view entryName(entry->d_name);
    if (entryName == "." || entryName == "..") continue;
    struct stat info {};
    const std::string full = name + "/" + std::string(entryName);
    const bool isFolder = ::stat(full.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
    entries.push_back({Utf8ToText(entryName), isFolder});
  }
  ::closedir(dir);
  return true;
}

}  // namespace wayloom
