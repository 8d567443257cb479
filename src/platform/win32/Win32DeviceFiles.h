// DeviceFiles on Windows: drive types, plain file calls, and cabinets unpacked in process
// with the FDI functions of cabinet.dll (the "expand" tool of Wine cannot unpack a whole
// cabinet into a folder).
#pragma once

#include "platform/DeviceFiles.h"

namespace wayloom {

class Win32DeviceFiles : public DeviceFiles {
 public:
  bool IsRemovableDrive(TextView root) override;
  bool FileExists(TextView path) override;
  bool FolderExists(TextView path) override;
  bool RemoveFile(TextView path) override;
  bool CreateFolder(TextView path) override;
  bool StampWithNow(TextView path) override;
  std::unique_ptr<PlainFile> CreatePlainFile(TextView path) override;
  bool UnpackCabinet(TextView cabinet, TextView folder) override;
};

}  // namespace wayloom
