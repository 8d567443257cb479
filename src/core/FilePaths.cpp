#include "platform/FileStore.h"

#include <utility>

namespace wayloom {

namespace {
std::size_t LastSeparator(TextView path) { return path.find_last_of(u"\\/"); }
}  // namespace

TextView PathFileName(TextView path) {
  const std::size_t slash = LastSeparator(path);
  return slash == TextView::npos ? path : path.substr(slash + 1);
}

TextView PathExtension(TextView path) {
  const TextView name = PathFileName(path);
  const std::size_t dot = name.rfind(u'.');
  return dot == TextView::npos ? TextView() : name.substr(dot + 1);
}

Text PathTitle(TextView path) {
  const TextView name = PathFileName(path);
  const std::size_t dot = name.rfind(u'.');
  return Text(dot == TextView::npos ? name : name.substr(0, dot));
}

namespace {

class CopiedFileBytes : public FileBytes {
 public:
  explicit CopiedFileBytes(std::vector<std::uint8_t> data) : data_(std::move(data)) { bytes_ = data_; }

 private:
  std::vector<std::uint8_t> data_;
};

}  // namespace

ReadResult FileStore::OpenWholeFile(TextView path, std::size_t extraBytes, std::unique_ptr<FileBytes>& bytes) {
  std::vector<std::uint8_t> data;
  const ReadResult result = ReadWholeFile(path, data, extraBytes);
  if (result == ReadResult::Ok) bytes = std::make_unique<CopiedFileBytes>(std::move(data));
  return result;
}

Text JoinPath(TextView folder, TextView name) {
  Text path(folder);
  if (!path.empty() && path.back() != u'\\' && path.back() != u'/')
    path += path.find(u'\\') != Text::npos ? u'\\' : u'/';
  path += name;
  return path;
}

TextView PathFolder(TextView path) {
  const std::size_t slash = LastSeparator(path);
  return slash == TextView::npos ? TextView() : path.substr(0, slash);
}

}  // namespace wayloom
