#include "core/CoordinateText.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>

#include "core/NumberText.h"
#include "core/TextRules.h"

namespace wayloom {

namespace {

constexpr double kUnitsPerDegree = 100000.0;

// Rounds degrees to whole units; nullopt when outside the 64-bit range (never a coordinate).
std::optional<std::int64_t> DegreesToUnits(double degrees) {
  const double units = RoundHalfAway(degrees * kUnitsPerDegree);
  if (!(std::fabs(units) < 9.0e18)) return std::nullopt;
  return static_cast<std::int64_t>(units);
}

void ApplyCompass(Text& text, Axis axis) {
  const bool longitude = axis == Axis::Longitude;
  if (!text.empty() && text[0] == u'-') {
    text[0] = longitude ? u'W' : u'S';
    text.insert(1, 1, u' ');
  } else {
    text.insert(0, longitude ? u"E " : u"N ");
  }
}

Text FormatUnits(Axis axis, std::int64_t units, CoordinateFormat format) {
  Text text = format.dms ? FormatDms(static_cast<double>(units) / kUnitsPerDegree) : FormatUnitsDecimal(units);
  if (format.compass) ApplyCompass(text, axis);
  return text;
}

}  // namespace

template <class Char>
std::size_t FormatUnitsDecimalInto(std::int64_t units, Char* out) {
  const bool negative = units < 0;
  const std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(units) : static_cast<std::uint64_t>(units);
  // Written from the end: five decimals, the point, at least one whole digit, the sign.
  std::uint64_t whole = magnitude / 100000;
  auto fraction = static_cast<std::uint32_t>(magnitude % 100000);
  std::size_t wholeDigits = 1;
  for (std::uint64_t rest = whole; rest >= 10; rest /= 10) ++wholeDigits;
  const std::size_t length = (negative ? 1 : 0) + wholeDigits + 6;
  Char* at = out + length;
  for (int k = 0; k < 5; ++k, fraction /= 10) *--at = static_cast<Char>('0' + fraction % 10);
  *--at = static_cast<Char>('.');
  do {
    *--at = static_cast<Char>('0' + whole % 10);
    whole /= 10;
  } while (whole > 0);
  if (negative) *--at = static_cast<Char>('-');
  return length;
}
template std::size_t FormatUnitsDecimalInto<char>(std::int64_t, char*);
template std::size_t FormatUnitsDecimalInto<char16_t>(std::int64_t, char16_t*);

std::size_t FormatCoordinateInto(Axis axis, std::int64_t units, CoordinateFormat format, char16_t* out) {
  if (format.dms) {  // rare: through the general form
    const Text text = FormatUnits(axis, units, format);
    const std::size_t n = std::min(text.size(), kMaxCoordinateLength);
    std::copy_n(text.data(), n, out);
    return n;
  }
  if (!format.compass) return FormatUnitsDecimalInto(units, out);
  const bool longitude = axis == Axis::Longitude;
  out[0] = units < 0 ? (longitude ? u'W' : u'S') : (longitude ? u'E' : u'N');
  out[1] = u' ';
  return 2 + FormatUnitsDecimalInto(units < 0 ? -units : units, out + 2);
}

std::optional<CoordinateUnits> DisplayTextUnits(Axis axis, TextView text) {
  if (text.empty() || text.size() > kMaxCoordinateLength) return std::nullopt;
  const CoordinateFormat format{text.find(u'\u00B0') != TextView::npos,
                                text[0] == u'N' || text[0] == u'E' || text[0] == u'S' || text[0] == u'W'};
  std::optional<std::int64_t> units;
  if (!format.dms && !format.compass) {  // the usual "-ddd.ddddd", read exactly
    const std::size_t start = text[0] == u'-' ? 1 : 0;
    const std::size_t point = text.size() - 6;
    if (text.size() < start + 7 || point - start > 10 || text[point] != u'.') return std::nullopt;
    std::int64_t value = 0;
    for (std::size_t i = start; i < text.size(); ++i) {
      if (i == point) continue;
      if (text[i] < u'0' || text[i] > u'9') return std::nullopt;
      value = value * 10 + (text[i] - u'0');
    }
    units = start ? -value : value;
  } else {
    units = CoordinateTextToUnits(text, format);
  }
  if (!units || *units < INT32_MIN || *units > INT32_MAX) return std::nullopt;
  char16_t formatted[kMaxCoordinateLength];
  if (TextView(formatted, FormatCoordinateInto(axis, *units, format, formatted)) != text) return std::nullopt;
  return CoordinateUnits{*units, format};
}

Text FormatUnitsDecimal(std::int64_t units) {
  char16_t buffer[kMaxUnitsDecimalLength];
  return Text(buffer, FormatUnitsDecimalInto(units, buffer));
}

Text FormatDms(double x) {
  Text out;
  if (x < 0) {
    out.push_back(u'-');
    x = -x;
  }
  const double u = std::trunc(x * kUnitsPerDegree + 0.5);
  double c = u / kUnitsPerDegree + 1.388888888888889e-6;
  const double degrees = std::trunc(c);
  c = (c - degrees) * 60;
  const double minutes = std::trunc(c);
  c = (c - minutes) * 60;
  const double seconds = std::trunc(c);
  const double hundredths = std::trunc((c - seconds) * 100);
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.0f\xB0 %02d' %02d.%02d\"", degrees, static_cast<int>(minutes),
                static_cast<int>(seconds), static_cast<int>(hundredths));
  out += Latin1ToText(buffer);
  return out;
}

Text FormatCoordinate(Axis axis, double degrees, CoordinateFormat format) {
  const auto units = DegreesToUnits(degrees);
  return FormatUnits(axis, units.value_or(0), format);
}

std::optional<Text> FormatCoordinateUnits(Axis axis, double value, bool valueIsUnits, CoordinateFormat format) {
  const double units = RoundHalfAway(valueIsUnits ? value : value * kUnitsPerDegree);
  const double limit = static_cast<double>(AxisLimitUnits(axis));
  if (!(units >= -limit && units <= limit)) return std::nullopt;  // also refuses NaN
  return FormatUnits(axis, static_cast<std::int64_t>(units), format);
}

void CompassToSign(Text& text) {
  // Only a compass letter goes: any other start (".5", "+5", "x5") stays for the caller
  // to read or refuse.
  if (text.empty() || (text[0] != u'N' && text[0] != u'E' && text[0] != u'S' && text[0] != u'W')) return;
  const bool negative = text[0] == u'S' || text[0] == u'W';
  const std::size_t removed = text.size() > 1 && text[1] == u' ' ? 2 : 1;
  text.erase(0, removed);
  if (negative) text.insert(0, 1, u'-');
}

std::optional<double> ParseDisplay(TextView display) {
  Text text(display);
  CompassToSign(text);
  if (text.empty() || !(text[0] == u'-' || text[0] == u'.' || IsAsciiDigit(text[0]))) return std::nullopt;
  const bool negative = text[0] == u'-';
  const std::size_t start = negative ? 1 : 0;
  double sum = ParseDecimalPrefix(text, start).value;
  // A run of spaces is one separator: "121  30" is 121.5.
  std::size_t pos = text.find(u' ', start);
  for (double divisor : {60.0, 3600.0}) {
    if (pos == Text::npos) break;
    while (pos < text.size() && text[pos] == u' ') ++pos;
    sum += ParseDecimalPrefix(text, pos).value / divisor;
    pos = text.find(u' ', pos);
  }
  return negative ? -sum : sum;
}

std::optional<double> CoordinateTextToDegrees(TextView text, CoordinateFormat format) {
  if (format.dms) return ParseDisplay(text);
  Text decimal(text);
  CompassToSign(decimal);
  const ParsedNumber number = ParseDecimalPrefix(decimal);
  if (!number.found) return std::nullopt;
  return number.value;
}

std::optional<std::int64_t> CoordinateTextToUnits(TextView text, CoordinateFormat format) {
  const auto degrees = CoordinateTextToDegrees(text, format);
  if (!degrees) return std::nullopt;
  return DegreesToUnits(*degrees);
}

Text DisplayToDecimal(TextView text, CoordinateFormat format) {
  if (format.dms) {
    const auto degrees = ParseDisplay(text);
    return FormatUnitsDecimal(DegreesToUnits(degrees.value_or(0)).value_or(0));
  }
  Text decimal(text);
  if (format.compass) CompassToSign(decimal);
  return decimal;
}

void AppendDecimalBytes(std::string& out, TextView text, CoordinateFormat format) {
  if (format.dms || format.compass) {
    AppendTextAsUtf8(out, DisplayToDecimal(text, format));
  } else {
    AppendTextAsUtf8(out, text);
  }
}

void AppendDecimalText(Text& out, TextView text, CoordinateFormat format) {
  if (format.dms || format.compass) {
    out += DisplayToDecimal(text, format);
  } else {
    out += text;
  }
}

Text DecimalToDisplay(TextView decimal, Axis axis, CoordinateFormat format) {
  Text text(decimal);
  if (format.dms) text = FormatDms(ParseDecimal(decimal));
  if (format.compass) ApplyCompass(text, axis);
  return text;
}

std::optional<Text> ReformatCoordinate(TextView text, Axis axis, CoordinateFormat newFormat) {
  const auto degrees = ParseDisplay(text);
  if (!degrees) return std::nullopt;
  return FormatCoordinate(axis, *degrees, newFormat);
}

// ---- the free-input parser ----

namespace {

bool IsDegreeMark(char16_t c) { return c == 0x00B0 || c == 0x02DA || c == 0x2218 || c == 0x309C || c == 0xFF9F; }
bool IsMinuteMark(char16_t c) {
  return c == u'\'' || c == 0x0092 || c == 0x00B4 || c == 0x2019 || c == 0x2032 || c == 0xFF07 || c == 0x3001;
}
bool IsSecondMark(char16_t c) {
  return c == u'"' || c == 0x0094 || c == 0x201D || c == 0x301E || c == 0xFF02 || c == 0x2033;
}
bool IsHemisphere(char16_t c) { return c == u'E' || c == u'W' || c == u'S' || c == u'N'; }
bool IsPositiveHemisphere(char16_t c) { return c == u'E' || c == u'N'; }

bool IsAllowed(char16_t c, CoordinateKind kind) {
  if (IsAsciiDigit(c) || c == u'-' || c == u'+' || c == u'.' || c == u' ') return true;
  if (IsDegreeMark(c) || IsMinuteMark(c) || IsSecondMark(c)) return true;
  if (c == u'E' || c == u'W') return kind != CoordinateKind::Latitude;
  if (c == u'S' || c == u'N') return kind != CoordinateKind::Longitude;
  return false;
}

// [digits][.digits], no exponent (E, N, S and W are hemisphere letters here).
double TokenValue(TextView token) {
  double value = 0;
  std::size_t i = 0;
  Text digits;
  while (i < token.size() && IsAsciiDigit(token[i])) digits.push_back(token[i++]);
  if (i < token.size() && token[i] == u'.') {
    digits.push_back(u'.');
    ++i;
    while (i < token.size() && IsAsciiDigit(token[i])) digits.push_back(token[i++]);
  }
  if (!digits.empty() && digits != u".") value = ParseDecimal(digits);
  return value;
}

}  // namespace

std::optional<Text> ParseCoordinateInput(TextView input, CoordinateKind kind, CoordinateFormat format) {
  if (input.empty()) return std::nullopt;
  Text text(input);
  CleanText(text);
  if (text.empty()) return std::nullopt;
  for (char16_t& c : text) {
    if (IsAsciiDigit(c)) continue;
    c = AsciiUpper(c);
    if (!IsAllowed(c, kind)) return std::nullopt;
  }

  // Hemisphere prefix.
  std::size_t pos = 0;
  char16_t prefix = 0;
  if (IsHemisphere(text[0])) {
    prefix = text[0];
    pos = 1;
    while (pos < text.size() && text[pos] == u' ') ++pos;
    if (pos >= text.size()) return std::nullopt;
  }

  // Sign, with the spaces directly after it removed.
  bool firstNegative = false;
  if (text[pos] == u'-' || text[pos] == u'+') {
    firstNegative = text[pos] == u'-';
    ++pos;
    if (pos >= text.size()) return std::nullopt;
    while (pos < text.size() && text[pos] == u' ') ++pos;
    if (pos >= text.size()) return std::nullopt;
  }
  if (!(IsAsciiDigit(text[pos]) || text[pos] == u'.')) return std::nullopt;

  // Tokens: degrees, minutes, seconds, by their marks or else in that order. A mark whose
  // unit is taken ends the token as a space would.
  Text units[3];
  bool taken[3] = {false, false, false};
  char16_t letter = 0;
  Text token;
  auto finishToken = [&](int mark) {
    if (token.empty()) return;
    int unit = mark >= 0 && !taken[mark] ? mark : -1;
    for (int u = 0; unit < 0 && u < 3; ++u)
      if (!taken[u]) unit = u;
    if (unit >= 0) {
      taken[unit] = true;
      units[unit] = token;
    }
    token.clear();
  };
  for (std::size_t i = pos; i < text.size(); ++i) {
    const char16_t c = text[i];
    const int mark = IsDegreeMark(c) ? 0 : IsMinuteMark(c) ? 1 : IsSecondMark(c) ? 2 : -1;
    if (c == u' ' || mark >= 0) {
      finishToken(mark);
      while (i + 1 < text.size() && text[i + 1] == u' ') ++i;
      continue;
    }
    if (IsHemisphere(c) && letter == 0) letter = c;
    token.push_back(c);
  }
  finishToken(-1);

  const double value = TokenValue(units[0]) + TokenValue(units[1]) / 60 + TokenValue(units[2]) / 3600;
  // A prefix decides the sign, else a later hemisphere letter, else the minus sign (which
  // also makes "-0 30" negative).
  const char16_t hemisphere = prefix != 0 ? prefix : letter;
  const bool negative = hemisphere != 0 ? !IsPositiveHemisphere(hemisphere) : firstNegative;
  double result = negative ? -value : value;
  if (result > -0.000005 && result <= 0) result = 0;

  if (kind == CoordinateKind::Plain) return FormatFixed5(result);
  return FormatCoordinateUnits(kind == CoordinateKind::Longitude ? Axis::Longitude : Axis::Latitude, result, false, format);
}

}  // namespace wayloom
