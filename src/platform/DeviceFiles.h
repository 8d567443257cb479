// What the ephemeris update needs of the system besides HTTP and the clock: the type of a
// drive, plain file operations on the device, and unpacking a cabinet file.
#pragma once

#include <cstddef>
#include <memory>

#include "core/Text.h"

namespace wayloom {

// A file written from its start, replaced when it existed; closed when destroyed.
class PlainFile {
 public:
  virtual ~PlainFile() = default;
  virtual bool Write(const void* data, std::size_t size) = 0;
};

class DeviceFiles {
 public:
  virtual ~DeviceFiles() = default;
  // root as the system lists drives ("E:\").
  virtual bool IsRemovableDrive(TextView root) = 0;
  virtual bool FileExists(TextView path) = 0;  // a file, not a folder
  virtual bool FolderExists(TextView path) = 0;
  virtual bool RemoveFile(TextView path) = 0;
  virtual bool CreateFolder(TextView path) = 0;
  // Sets the creation, last-access and last-write times to the current UTC time.
  virtual bool StampWithNow(TextView path) = 0;
  virtual std::unique_ptr<PlainFile> CreatePlainFile(TextView path) = 0;
  // Writes every file of the cabinet into folder (an existing folder); false when the
  // cabinet cannot be read or a file cannot be written.
  virtual bool UnpackCabinet(TextView cabinet, TextView folder) = 0;
};

}  // namespace wayloom
