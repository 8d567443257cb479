// FileStore on POSIX: paths are UTF-8 on disk.
#pragma once

#include "platform/FileStore.h"

namespace wayloom {

class PosixFileStore : public FileStore {
 public:
  ReadResult ReadWholeFile(TextView path, std::vector<std::uint8_t>& data, std::size_t extraBytes) override;
  // Files of kMappedFileSize bytes or more are mapped; smaller ones are read.
  ReadResult OpenWholeFile(TextView path, std::size_t extraBytes, std::unique_ptr<FileBytes>& bytes) override;
  static constexpr std::size_t kMappedFileSize = std::size_t{8} << 20;
  std::unique_ptr<OutputFile> CreateOutput(TextView path, CreateResult& result) override;
  bool Exists(TextView path) override;
  bool IsDirectory(TextView path) override;
  bool ClearReadOnly(TextView path) override;
  bool ListFolder(TextView folder, std::vector<FolderEntry>& entries) override;
};

}  // namespace wayloom
