// Files on a Windows disk for the portable commands: whole-file reads and saves that go
// to a temporary file beside the target and replace it only on Commit.
#pragma once

#include "platform/FileStore.h"

namespace wayloom {

class Win32FileStore : public FileStore {
 public:
  ReadResult ReadWholeFile(TextView path, std::vector<std::uint8_t>& data, std::size_t extraBytes) override;
  std::unique_ptr<OutputFile> CreateOutput(TextView path, CreateResult& result) override;
  bool Exists(TextView path) override;
  bool IsDirectory(TextView path) override;
  bool ClearReadOnly(TextView path) override;
  bool ListFolder(TextView folder, std::vector<FolderEntry>& entries) override;
};

// The temporary file a save writes before it replaces path.
Text TemporarySavePath(TextView path);

}  // namespace wayloom
