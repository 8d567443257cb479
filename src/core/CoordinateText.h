// Coordinates as the table shows them: "%.5f" decimal degrees or degrees-minutes-seconds,
// optionally with a compass letter; conversions to decimal text and to 1e-5 degree units.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/Text.h"

namespace wayloom {

enum class Axis { Longitude, Latitude };

struct CoordinateFormat {
  bool dms = false;      // "DMS Format"
  bool compass = false;  // "Compass Direction"
};

constexpr std::int64_t kMaxLongitudeUnits = 18000000;
constexpr std::int64_t kMaxLatitudeUnits = 9000000;
inline std::int64_t AxisLimitUnits(Axis axis) { return axis == Axis::Longitude ? kMaxLongitudeUnits : kMaxLatitudeUnits; }
// String ids of the range messages.
constexpr int kLongitudeRangeMessage = 14223;
constexpr int kLatitudeRangeMessage = 14224;

// "%.5f" of a whole number of units (never "-0.00000").
Text FormatUnitsDecimal(std::int64_t units);
// The same into out, which has room for kMaxUnitsDecimalLength units; returns the length.
constexpr std::size_t kMaxUnitsDecimalLength = 28;
template <class Char>
std::size_t FormatUnitsDecimalInto(std::int64_t units, Char* out);
// Degrees, minutes, seconds and hundredths, ending in the seconds mark '"'.
Text FormatDms(double degrees);
// The display text of a coordinate, formatted from its rounded whole number of units.
Text FormatCoordinate(Axis axis, double degrees, CoordinateFormat format);
// The display text of units into out, which has room for kMaxCoordinateLength units (units
// of at most 32 bits); returns the length.
constexpr std::size_t kMaxCoordinateLength = 32;
std::size_t FormatCoordinateInto(Axis axis, std::int64_t units, CoordinateFormat format, char16_t* out);
// The units and display form of a text that is exactly the display text of whole units
// within 32 bits; nullopt for any other text.
struct CoordinateUnits {
  std::int64_t units;
  CoordinateFormat format;
};
std::optional<CoordinateUnits> DisplayTextUnits(Axis axis, TextView text);
// Rounds to units (degrees times 100000 first unless valueIsUnits) and formats; nullopt
// when the units lie outside the axis range.
std::optional<Text> FormatCoordinateUnits(Axis axis, double value, bool valueIsUnits, CoordinateFormat format);

// Compass letter to sign, in place: "S 33.5" -> "-33.5", "E 121" -> "121", "W.5" -> "-.5".
// A space after the letter goes with it; a text that starts with anything but N, E, S
// or W is left as it is.
void CompassToSign(Text& text);
// Degrees of any display text (decimal or DMS, with or without compass letter);
// nullopt when it is not a coordinate.
std::optional<double> ParseDisplay(TextView text);
std::optional<double> CoordinateTextToDegrees(TextView text, CoordinateFormat format);
std::optional<std::int64_t> CoordinateTextToUnits(TextView text, CoordinateFormat format);
// The signed "%.5f" decimal text every writer uses.
Text DisplayToDecimal(TextView text, CoordinateFormat format);
// DisplayToDecimal appended to out in UTF-8.
void AppendDecimalBytes(std::string& out, TextView text, CoordinateFormat format);
// DisplayToDecimal appended to out.
void AppendDecimalText(Text& out, TextView text, CoordinateFormat format);
// A stored decimal text in the current display form.
Text DecimalToDisplay(TextView decimal, Axis axis, CoordinateFormat format);

enum class CoordinateKind { Longitude, Latitude, Plain };
// The free-input parser for typed and pasted coordinates: decimal, degrees-minutes-seconds
// with any of the usual marks, hemisphere letters. For longitude and latitude the result
// is the display text (nullopt when out of range); for plain it is "%.5f" without range test.
std::optional<Text> ParseCoordinateInput(TextView text, CoordinateKind kind, CoordinateFormat format);

// Reformats one stored display text into another display form (used when a switch flips).
std::optional<Text> ReformatCoordinate(TextView text, Axis axis, CoordinateFormat newFormat);

}  // namespace wayloom
