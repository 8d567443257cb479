// The Distance column: great-circle distances from the coordinate texts, to the base row
// or to the row before, in metric or imperial units, and the commands of the header menu
// that show the column and choose its unit and mode (1209-1212).
#pragma once

#include <cstdint>
#include <optional>

#include "core/CommandContext.h"

namespace wayloom {

constexpr std::int32_t kDistanceUnavailable = 0x7FFFFFFF;
constexpr double kEarthRadiusMetres = 6378137.527506568;

// Degrees of a coordinate cell (column 1 or 2) in the current display form; nullopt when
// the cell is empty.
std::optional<double> CoordinateDegrees(const DocumentState& doc, std::size_t row, int column);
// Whole metres between two rows (spherical law of cosines, truncated), or
// kDistanceUnavailable when either row lacks a longitude or latitude.
std::int32_t DistanceBetweenRows(const DocumentState& doc, std::size_t i, std::size_t j);
// A row's position with the trigonometry the distance formula needs, read once so that
// scans over many pairs (planner, checks) give exactly DistanceBetweenRows's values.
struct RowPoint {
  double longitude = 0;  // degrees
  double latitude = 0;
  double lambda = 0;     // longitude in radians
  double sinPhi = 0;
  double cosPhi = 1;
};
// False when the row lacks a longitude or a latitude.
bool ReadRowPoint(const DocumentState& doc, std::size_t row, RowPoint& point);
// DistanceBetweenRows of two read points.
std::int32_t MetresBetween(const RowPoint& a, const RowPoint& b);
// "%d    m", "%.1f  km" (metric), "%d    ft", "%.1f  mi"; tenths round half away from zero.
Text FormatDistance(std::int32_t metres, bool metric);

// Makes row the base row (-1: the row carrying the base marker) when it has both
// coordinates, then recomputes every distance. Nothing happens while the Distance column
// is hidden or for a row past the end.
void SetBaseRow(CommandContext& context, long long row, bool fitColumn);
// The sort key and Distance text of one row, or of every row with -1.
void ComputeDistances(CommandContext& context, long long row, bool fitColumn);
// After one row's coordinates changed.
void UpdateRowDistance(CommandContext& context, std::size_t row);

// Command 1209: shows or hides the Distance column, one undo step.
void ToggleDistanceColumn(CommandContext& context);
// Shows or hides the column as undo and redo replay it: showing uses baseRow as the base
// row (-1: none); hiding leaves the pinned base row to its own record.
void ShowDistanceColumn(CommandContext& context, bool show, long long baseRow);
// Command 1210: metric or imperial units.
void ToggleMetricUnit(CommandContext& context);
// Commands 1211 (adjacent, true) and 1212 (to the base point, false).
void SetDistanceMode(CommandContext& context, bool adjacent);

}  // namespace wayloom
