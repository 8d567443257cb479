// What every fuzz target needs: a Ui that answers without showing anything and an output
// file in memory.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/FileStore.h"
#include "platform/Ui.h"

namespace {

// Answers every question; the duplicate question alternates keep and drop, so both paths run.
class SilentUi : public wayloom::Ui {
 public:
  wayloom::MessageResult ShowMessage(int, const wayloom::FormatArg&, wayloom::MessageIcon, wayloom::MessageButtons,
                                     bool) override {
    return wayloom::MessageResult::Ok;
  }
  int AskDuplicate(wayloom::TextView) override { return answer_++ % 2 ? wayloom::kDrop : wayloom::kKeep; }

 private:
  int answer_ = 0;
};

class MemoryFile : public wayloom::OutputFile {
 public:
  bool Write(const void* data, std::size_t size) override {
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    bytes_.insert(bytes_.end(), bytes, bytes + size);
    return true;
  }
  bool Commit() override { return true; }
  std::vector<std::uint8_t> bytes_;
};

}  // namespace
