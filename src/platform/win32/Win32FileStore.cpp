#include "platform/win32/Win32FileStore.h"

#include <windows.h>

#include <limits>
#include <new>

#include "platform/win32/WideText.h"

namespace wayloom {
namespace {

// ReadFile and WriteFile take 32-bit sizes; large transfers go in pieces of this size.
constexpr DWORD kTransferChunk = 16u << 20;

DWORD Attributes(TextView path) {
  std::wstring widePath = ToWide(path);
  return GetFileAttributesW(widePath.c_str());
}

class HandleCloser {
 public:
  explicit HandleCloser(HANDLE handle) : handle_(handle) {}
  ~HandleCloser() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  HandleCloser(const HandleCloser&) = delete;
  HandleCloser& operator=(const HandleCloser&) = delete;
  HANDLE Get() const { return handle_; }

 private:
  HANDLE handle_;
};

class Win32OutputFile : public OutputFile {
 public:
  Win32OutputFile(HANDLE handle, std::wstring temporaryPath, std::wstring targetPath)
      : handle_(handle), temporaryPath_(std::move(temporaryPath)), targetPath_(std::move(targetPath)) {}

  ~Win32OutputFile() override {
    if (committed_) return;
    Close();
    DeleteFileW(temporaryPath_.c_str());
  }

  bool Write(const void* data, std::size_t size) override {
    if (handle_ == INVALID_HANDLE_VALUE) return false;
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    while (size > 0) {
      DWORD piece = size > kTransferChunk ? kTransferChunk : static_cast<DWORD>(size);
      DWORD written = 0;
      if (!WriteFile(handle_, bytes, piece, &written, nullptr) || written != piece) return false;
      bytes += piece;
      size -= piece;
    }
    return true;
  }

  bool Commit() override {
    if (handle_ == INVALID_HANDLE_VALUE || committed_) return false;
    // The data must be on the disk before the old file disappears.
    bool flushed = FlushFileBuffers(handle_) != 0;
    Close();
    if (!flushed) return false;
    if (!MoveFileExW(temporaryPath_.c_str(), targetPath_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      return false;
    }
    committed_ = true;
    return true;
  }

 private:
  void Close() {
    if (handle_ == INVALID_HANDLE_VALUE) return;
    CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
  }

  HANDLE handle_;
  std::wstring temporaryPath_;
  std::wstring targetPath_;
  bool committed_ = false;
};

bool ReadExactly(HANDLE file, std::uint8_t* destination, std::size_t size) {
  while (size > 0) {
    DWORD piece = size > kTransferChunk ? kTransferChunk : static_cast<DWORD>(size);
    DWORD read = 0;
    if (!ReadFile(file, destination, piece, &read, nullptr)) return false;
    if (read == 0) return false;  // the file became shorter while we read it
    destination += read;
    size -= read;
  }
  return true;
}

}  // namespace

Text TemporarySavePath(TextView path) { return Text(path) + u".wltmp"; }

ReadResult Win32FileStore::ReadWholeFile(TextView path, std::vector<std::uint8_t>& data, std::size_t extraBytes) {
  std::wstring widePath = ToWide(path);
  HandleCloser file(CreateFileW(widePath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (file.Get() == INVALID_HANDLE_VALUE) return ReadResult::OpenFailed;

  LARGE_INTEGER fileSize;
  if (!GetFileSizeEx(file.Get(), &fileSize) || fileSize.QuadPart < 0) return ReadResult::ReadFailed;

  // A 32-bit process cannot hold 2 GiB in one block.
  unsigned long long byteCount = static_cast<unsigned long long>(fileSize.QuadPart);
  unsigned long long limit = sizeof(void*) < 8 ? 0x7FFFFFFFull : std::numeric_limits<std::size_t>::max();
  if (byteCount > limit || extraBytes > limit - byteCount) return ReadResult::NoMemory;

  data.clear();
  try {
    data.resize(static_cast<std::size_t>(byteCount) + extraBytes);  // the extra bytes start as zeros
  } catch (const std::bad_alloc&) {
    return ReadResult::NoMemory;
  }
  if (!ReadExactly(file.Get(), data.data(), static_cast<std::size_t>(byteCount))) return ReadResult::ReadFailed;
  return ReadResult::Ok;
}

std::unique_ptr<FileStore> MakeSystemFileStore() { return std::make_unique<Win32FileStore>(); }

std::unique_ptr<OutputFile> Win32FileStore::CreateOutput(TextView path, CreateResult& result) {
  DWORD attributes = Attributes(path);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
    result = CreateResult::ReadOnly;
    return nullptr;
  }
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    result = CreateResult::Failed;
    return nullptr;
  }
  std::wstring temporaryPath = ToWide(TemporarySavePath(path));
  HANDLE handle = CreateFileW(temporaryPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    result = CreateResult::Failed;
    return nullptr;
  }
  result = CreateResult::Ok;
  return std::make_unique<Win32OutputFile>(handle, std::move(temporaryPath), ToWide(path));
}

bool Win32FileStore::Exists(TextView path) { return Attributes(path) != INVALID_FILE_ATTRIBUTES; }

bool Win32FileStore::IsDirectory(TextView path) {
  DWORD attributes = Attributes(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32FileStore::ClearReadOnly(TextView path) {
  DWORD attributes = Attributes(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  if (!(attributes & FILE_ATTRIBUTE_READONLY)) return true;
  DWORD cleared = attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
  std::wstring widePath = ToWide(path);
  return SetFileAttributesW(widePath.c_str(), cleared == 0 ? FILE_ATTRIBUTE_NORMAL : cleared) != 0;
}

bool Win32FileStore::ListFolder(TextView folder, std::vector<FolderEntry>& entries) {
  std::wstring pattern = ToWide(JoinPath(folder, u"*"));
  WIN32_FIND_DATAW found{};
  HANDLE search = FindFirstFileW(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
  entries.clear();
  do {
    const std::wstring_view name(found.cFileName);
    if (name == L"." || name == L"..") continue;
    entries.push_back({FromWide(name), (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
  } while (FindNextFileW(search, &found));
  const bool complete = GetLastError() == ERROR_NO_MORE_FILES;
  FindClose(search);
  return complete;
}

}  // namespace wayloom
