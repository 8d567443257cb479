// What every fuzz target needs: a Ui that answers without showing anything and an output
// file in memory.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "core/CoordinateText.h"
#include "core/DocumentState.h"
#include "platform/FileStore.h"
#include "platform/Ui.h"

namespace {

// Answers every question; the duplicate question alternates keep and drop, and the path
// question of files without waypoints cycles through the route, tracks of 2 to 49 entries
// and cancel, so that every path runs.
class SilentUi : public wayloom::Ui {
 public:
  wayloom::MessageResult ShowMessage(int, const wayloom::FormatArg&, wayloom::MessageIcon, wayloom::MessageButtons,
                                     bool) override {
    return wayloom::MessageResult::Ok;
  }
  int AskDuplicate(wayloom::TextView) override { return answer_++ % 2 ? wayloom::kDrop : wayloom::kKeep; }
  wayloom::PathChoice AskPathChoice(wayloom::TextView, const wayloom::PathSummary&) override {
    const int turn = pathTurn_++;
    if (turn % 3 == 2) return {};
    return {turn % 3 ? wayloom::PathAnswer::Track : wayloom::PathAnswer::RoutePoints,
            static_cast<std::size_t>(2 + turn % 48)};
  }

 private:
  int answer_ = 0;
  int pathTurn_ = 0;
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

// Every row a POI file reader (Garmin POI, OV2) gives is a valid entry: status 2, a name
// of 1 to 255 units, each coordinate empty or in range.
inline void CheckPoiRows(const wayloom::DocumentState& doc) {
  using namespace wayloom;
  for (std::size_t row = 0; row < doc.table.RowCount(); ++row) {
    const ItineraryEntry& entry = doc.table.Row(row);
    if (entry.status != kStatusDestination || entry.Name().empty() || entry.Name().size() > 255) std::abort();
    for (Axis axis : {Axis::Longitude, Axis::Latitude}) {
      const CellValue cell = entry.Cell(axis == Axis::Longitude ? kLongitudeColumn : kLatitudeColumn);
      if (cell.empty()) continue;
      const auto units = CoordinateTextToUnits(cell, doc.Format());
      if (!units || *units < -AxisLimitUnits(axis) || *units > AxisLimitUnits(axis)) std::abort();
    }
  }
}

}  // namespace
