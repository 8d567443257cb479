#include "planning/Distances.h"

#include <algorithm>
#include <cmath>
#include <charconv>
#include <climits>
#include <functional>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

#include "core/CommandIds.h"
#include "core/NumberText.h"
#include "core/RowOperations.h"

namespace wayloom {

namespace {

constexpr double kRadiansPerDegree = 0.017453292519943295;
constexpr double kFeetPerMetre = 3.28084;
constexpr std::size_t kMaxCoordinateUnits = 31;
constexpr int kMetricOption = 10;
constexpr int kImperialOption = 11;

bool Adjacent(const DocumentState& doc) { return doc.settings.adjacentDistance != 0; }

// The texts the table stores most, "%.5f" decimals, read as their whole number of units
// divided by 100000: the same double a full decimal reading gives, much sooner.
std::optional<double> FiveDecimals(TextView text) {
  std::size_t i = text.size() > 0 && text[0] == u'-' ? 1 : 0;
  const bool negative = i == 1;
  if (text.size() < i + 7 || text.size() > i + 14 || text[text.size() - 6] != u'.') return std::nullopt;
  std::int64_t units = 0;
  for (; i < text.size(); ++i) {
    if (i == text.size() - 6) continue;
    if (!IsAsciiDigit(text[i])) return std::nullopt;
    units = units * 10 + (text[i] - u'0');
  }
  const double value = static_cast<double>(units) / 100000.0;
  return negative ? -value : value;
}

}  // namespace

// At most 31 characters of the cell are read.
std::optional<double> CoordinateDegrees(const DocumentState& doc, std::size_t row, int column) {
  const CoordinateFormat format = doc.Format();
  // The usual cell, units shown as "%.5f": the value its text reads as below, without it.
  const CoordinateCell& cell = doc.table.Row(row).Coordinate(ColumnAxis(column));
  if (cell.HasUnits() && !format.dms && !format.compass && !cell.Format().dms && !cell.Format().compass)
    return static_cast<double>(cell.Units()) / 100000.0;
  const CellValue value = doc.table.Cell(row, column);
  TextView text = value;
  if (text.empty()) return std::nullopt;
  if (text.size() > kMaxCoordinateUnits) text = text.substr(0, kMaxCoordinateUnits);
  // Plain decimal text needs no compass handling: read it in place.
  if (!format.dms && (IsAsciiDigit(text[0]) || text[0] == u'-' || text[0] == u'.')) {
    if (const auto value = FiveDecimals(text)) return value;
    const ParsedNumber number = ParseDecimalPrefix(text);
    if (!number.found) return std::nullopt;
    return number.value;
  }
  return CoordinateTextToDegrees(text, format);
}

namespace {

RowPoint MakePoint(double longitude, double latitude) {
  const double phi = latitude * kRadiansPerDegree;
  return {longitude, latitude, longitude * kRadiansPerDegree, std::sin(phi), std::cos(phi)};
}

// The arc cosine's argument can come out a little above 1 for two close points; clamped,
// it gives 0 rather than a value with no integer.
std::int32_t ArcMetres(double cosine) {
  cosine = std::clamp(cosine, -1.0, 1.0);
  return static_cast<std::int32_t>(std::acos(cosine) * kEarthRadiusMetres);
}

// The spherical law of cosines; the same arithmetic for two rows and for a row and the
// base point.
std::int32_t Metres(const RowPoint& a, double bLongitude, double bLatitude, double bLambda, double bSinPhi,
                    double bCosPhi) {
  if (a.longitude == bLongitude && a.latitude == bLatitude) return 0;
  return ArcMetres(a.sinPhi * bSinPhi + a.cosPhi * bCosPhi * std::cos(bLambda - a.lambda));
}

std::int32_t Metres(const RowPoint& a, const RowPoint& b) {
  return Metres(a, b.longitude, b.latitude, b.lambda, b.sinPhi, b.cosPhi);
}

std::int32_t MetresToBase(const BasePoint& base, const RowPoint& p) {
  return Metres(p, base.longitude, base.latitude, base.longitudeRadians, base.sinLatitude, base.cosLatitude);
}

// A distance text, built in place: "<number><spaces><unit>", the number whole or with one
// decimal.
struct DistanceBuffer {
  char16_t units[32];
  std::size_t size = 0;
  TextView View() const { return TextView(units, size); }
};

void Compose(DistanceBuffer& out, long long whole, int tenth, TextView spacesAndUnit) {
  char digits[24];
  const char* end = std::to_chars(digits, digits + sizeof digits, whole).ptr;
  out.size = 0;
  for (const char* c = digits; c != end; ++c) out.units[out.size++] = static_cast<char16_t>(*c);
  if (tenth >= 0) {
    out.units[out.size++] = u'.';
    out.units[out.size++] = static_cast<char16_t>(u'0' + tenth);
  }
  for (char16_t c : spacesAndUnit) out.units[out.size++] = c;
}

// Tenths of value / divisor (value >= 0), rounded half away from zero.
long long RoundedTenths(long long value, long long divisorTimesTen) {
  return (value * 2 + divisorTimesTen) / (divisorTimesTen * 2);
}

void ComposeTenths(DistanceBuffer& out, long long tenths, TextView unit) {
  Compose(out, tenths / 10, static_cast<int>(tenths % 10), unit);
}

void FormatDistanceInto(DistanceBuffer& out, std::int32_t metres, bool metric) {
  const long long m = metres < 0 ? 0 : metres;
  if (metric) {
    if (m < 1000) {
      Compose(out, m, -1, u"    m");
    } else {
      ComposeTenths(out, RoundedTenths(m, 100), u"  km");
    }
  } else if (m <= 160) {
    Compose(out, static_cast<long long>(static_cast<double>(m) * kFeetPerMetre), -1, u"    ft");
  } else {
    // A tenth of a mile is 160.9344 m: in integers, tenths = m * 10000 / 1609344.
    ComposeTenths(out, RoundedTenths(m * 10000, 1609344), u"  mi");
  }
}

// The distance texts, each put in the text pool once and then looked up by the whole
// number of metres, feet or tenths it shows, which costs less than finding it in the pool
// again for every row. Kept for the process (the texts never change), per unit.
class DistanceTexts {
 public:
  explicit DistanceTexts(bool metric) : metric_(metric) {}
  InternedText For(std::int32_t metres) {
    const long long m = metres < 0 ? 0 : metres;
    std::size_t key;
    if (metric_) {
      key = m < 1000 ? static_cast<std::size_t>(m) : 1000 + static_cast<std::size_t>(RoundedTenths(m, 100));
    } else {
      key = m <= 160 ? static_cast<std::size_t>(static_cast<double>(m) * kFeetPerMetre)
                     : 1000 + static_cast<std::size_t>(RoundedTenths(m * 10000, 1609344));
    }
    if (key >= texts_.size()) texts_.resize(key + 1);
    InternedText& text = texts_[key];
    if (text.empty()) {
      DistanceBuffer buffer;
      FormatDistanceInto(buffer, metres, metric_);
      text.Assign(buffer.View());
    }
    return text;
  }

 private:
  bool metric_;
  std::vector<InternedText> texts_;
};

void SelectOnly(ItineraryTable& table, std::size_t row) {
  table.SetSelected(row, true);
  table.SetFocused(row);
}

}  // namespace

bool ReadRowPoint(const DocumentState& doc, std::size_t row, RowPoint& point) {
  const auto longitude = CoordinateDegrees(doc, row, kLongitudeColumn);
  if (!longitude) return false;
  const auto latitude = CoordinateDegrees(doc, row, kLatitudeColumn);
  if (!latitude) return false;
  point = MakePoint(*longitude, *latitude);
  return true;
}

std::int32_t MetresBetween(const RowPoint& a, const RowPoint& b) { return Metres(a, b); }

std::int32_t DistanceBetweenRows(const DocumentState& doc, std::size_t i, std::size_t j) {
  const std::size_t count = doc.table.RowCount();
  RowPoint a{}, b{};
  if (i >= count || j >= count || !ReadRowPoint(doc, i, a) || !ReadRowPoint(doc, j, b)) return kDistanceUnavailable;
  return Metres(a, b);
}

Text FormatDistance(std::int32_t metres, bool metric) {
  DistanceBuffer text;
  FormatDistanceInto(text, metres, metric);
  return Text(text.View());
}

namespace {

constexpr std::int32_t kNoStep = INT32_MIN;  // no distance from the row before

// A row's measures: its sort key and, where the column shows it, the distance from the
// row before.
struct RowMeasure {
  std::int32_t key;
  std::int32_t step;
};

void MeasureRows(const DocumentState& doc, std::size_t begin, std::size_t end, bool adjacent, RowMeasure* out) {
  RowPoint previous{}, point{};
  bool previousLocated = adjacent && begin > 0 && ReadRowPoint(doc, begin - 1, previous);
  for (std::size_t r = begin; r < end; ++r) {
    const bool located = ReadRowPoint(doc, r, point);
    RowMeasure& measure = out[r - begin];
    measure.step = kNoStep;
    if (static_cast<long long>(r) == doc.baseRow) {
      measure.key = kSortKeyBaseRow;
    } else {
      measure.key = located ? MetresToBase(doc.basePoint, point) : kDistanceUnavailable;
      if (measure.key != kDistanceUnavailable && adjacent && r > 0 && previousLocated) measure.step = Metres(point, previous);
    }
    previous = point;
    previousLocated = located;
  }
}

// The arithmetic (cosines and arc cosines, most of the time a large table takes) in two
// halves on two threads where there are two processors; rows only read.
void MeasureRowsShared(const DocumentState& doc, std::size_t begin, std::size_t end, bool adjacent, RowMeasure* out) {
  constexpr std::size_t kSharedRows = 8192;
  if (end - begin >= kSharedRows && std::thread::hardware_concurrency() > 1) {
    const std::size_t middle = begin + (end - begin) / 2;
    try {
      std::thread second(MeasureRows, std::cref(doc), middle, end, adjacent, out + (middle - begin));
      MeasureRows(doc, begin, middle, adjacent, out);
      second.join();
      return;
    } catch (const std::system_error&) {  // no thread to be had: all on this one
    }
  }
  MeasureRows(doc, begin, end, adjacent, out);
}

}  // namespace

void ComputeDistances(CommandContext& context, long long row, bool fitColumn) {
  DocumentState& doc = context.doc;
  ItineraryTable& table = doc.table;
  const auto count = static_cast<long long>(table.RowCount());
  if (count == 0 || row >= count) return;
  const auto first = static_cast<std::size_t>(row < 0 ? 0 : row);
  const auto last = static_cast<std::size_t>(row < 0 ? count - 1 : row);
  const bool metric = doc.settings.Get(Option::MetricUnit);
  const bool adjacent = Adjacent(doc);
  static DistanceTexts metricTexts(true), imperialTexts(false);
  DistanceTexts& texts = metric ? metricTexts : imperialTexts;
  // Without a base row every distance is unavailable and nothing needs reading.
  if (doc.baseRow < 0) {
    for (std::size_t r = first; r <= last; ++r) {
      table.SetSortKey(r, kDistanceUnavailable);
      table.SetDistanceText(r, InternedText());
    }
  } else {
    constexpr std::size_t kBlockRows = std::size_t{1} << 15;
    std::vector<RowMeasure> measures(std::min(kBlockRows, last - first + 1));
    for (std::size_t begin = first; begin <= last; begin += kBlockRows) {
      const std::size_t end = std::min(begin + kBlockRows, last + 1);
      MeasureRowsShared(doc, begin, end, adjacent, measures.data());
      for (std::size_t r = begin; r < end; ++r) {
        const RowMeasure& measure = measures[r - begin];
        InternedText text;
        if (measure.key != kSortKeyBaseRow && measure.key != kDistanceUnavailable) {
          if (!adjacent)
            text = texts.For(measure.key);
          else if (measure.step != kNoStep)
            text = texts.For(measure.step);  // DistanceBetweenRows (r, r - 1)
        }
        table.SetSortKey(r, measure.key);
        table.SetDistanceText(r, text);
      }
    }
  }
  if (fitColumn) context.ui.FitColumn(kDistanceColumn, false);
}

void SetBaseRow(CommandContext& context, long long row, bool fitColumn) {
  DocumentState& doc = context.doc;
  const auto count = static_cast<long long>(doc.table.RowCount());
  if (!doc.settings.Get(Option::ShowDistance) || row >= count) return;
  doc.baseRow = -1;
  long long found = row < 0 ? -1 : row;
  if (row < 0) {
    for (long long r = 0; r < count && found < 0; ++r)
      if (doc.table.Row(static_cast<std::size_t>(r)).sortKey == kSortKeyBaseRow) found = r;
  }
  RowPoint point{};
  if (found >= 0 && ReadRowPoint(doc, static_cast<std::size_t>(found), point)) {
    doc.basePoint = {point.longitude, point.latitude, point.lambda, point.sinPhi, point.cosPhi};
    doc.baseRow = found;
  }
  ComputeDistances(context, -1, fitColumn);
}

void UpdateRowDistance(CommandContext& context, std::size_t row) {
  DocumentState& doc = context.doc;
  if (doc.baseRow >= 0 && static_cast<std::size_t>(doc.baseRow) == row) {
    SetBaseRow(context, static_cast<long long>(row), true);
    return;
  }
  ComputeDistances(context, static_cast<long long>(row), false);
  if (Adjacent(doc)) ComputeDistances(context, static_cast<long long>(row) + 1, false);
}

void ShowDistanceColumn(CommandContext& context, bool show, long long baseRow) {
  DocumentState& doc = context.doc;
  if (show) {
    doc.settings.Set(Option::ShowDistance, true);
    if (baseRow >= 0) {
      SetBaseRow(context, baseRow, false);
    } else {
      doc.baseRow = -1;
      ComputeDistances(context, -1, false);
    }
  } else {
    doc.settings.Set(Option::ShowDistance, false);
    doc.baseRow = -1;
    if (doc.table.SelectedCount() == 0 && !doc.table.Empty()) SelectOnly(doc.table, 0);
    context.ui.TableChanged();
  }
}

void ToggleDistanceColumn(CommandContext& context) {
  DocumentState& doc = context.doc;
  context.ui.PressToolbarButton(IDM_SHOW_DISTANCE, true);
  BeginUndoGroup(doc.journal);
  const long long previousBaseRow = doc.baseRow;
  if (doc.settings.Get(Option::ShowDistance)) {
    if (doc.baseRowPinned && !doc.table.Empty()) {
      DeleteRowRecorded(doc, 0);
      doc.baseRowPinned = false;
      RenumberOrder(doc.table);
      context.ui.FitColumn(kOrderColumn, false);
      MapSyncAll(doc);
    }
    ShowDistanceColumn(context, false, -1);
  } else {
    doc.settings.Set(Option::ShowDistance, true);
    SetBaseRow(context, 0, false);
  }
  RecordDistanceColumnToggle(doc, previousBaseRow);
  context.ui.FitColumn(kDistanceColumn, true);
  context.ui.PressToolbarButton(IDM_SHOW_DISTANCE, false);
  doc.titleDirty = true;
  doc.statusResetPending = true;
}

void ToggleMetricUnit(CommandContext& context) {
  DocumentState& doc = context.doc;
  const bool metric = !doc.settings.Get(Option::MetricUnit);
  doc.settings.Set(Option::MetricUnit, metric);
  SetBaseRow(context, -1, true);
  MapSetOption(doc, metric ? kMetricOption : kImperialOption);
}

void SetDistanceMode(CommandContext& context, bool adjacent) {
  DocumentState& doc = context.doc;
  if (!doc.settings.Get(Option::ShowDistance) || Adjacent(doc) == adjacent) return;
  doc.settings.adjacentDistance = adjacent ? 1 : 0;
  if (doc.baseRow >= 0) ComputeDistances(context, -1, true);
}

}  // namespace wayloom
