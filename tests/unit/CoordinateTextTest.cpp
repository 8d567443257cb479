#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdint>

#include "core/CoordinateText.h"
#include "core/NumberText.h"

namespace wayloom {
namespace {

constexpr CoordinateFormat kDecimal{false, false};
constexpr CoordinateFormat kDms{true, false};
constexpr CoordinateFormat kCompass{false, true};
constexpr CoordinateFormat kDmsCompass{true, true};

std::string U8(const std::optional<Text>& text) { return text ? TextToUtf8(*text) : "<none>"; }

TEST(FormatUnitsDecimal, EveryMagnitudeAsPrintfWritesIt) {
  for (const std::int64_t units : std::initializer_list<std::int64_t>{0, 1, -1, 99999, -99999, 100000, -100000, 12150000, -18000000,
                                   1234567890123, INT64_MAX, INT64_MIN}) {
    const bool negative = units < 0;
    const unsigned long long magnitude = negative ? 0ULL - static_cast<unsigned long long>(units) : units;
    char expected[48];
    std::snprintf(expected, sizeof expected, "%s%llu.%05llu", negative ? "-" : "", magnitude / 100000, magnitude % 100000);
    EXPECT_EQ(TextToUtf8(FormatUnitsDecimal(units)), expected);
    char bytes[kMaxUnitsDecimalLength];
    EXPECT_EQ(std::string(bytes, FormatUnitsDecimalInto(units, bytes)), expected);
  }
}

TEST(FormatCoordinate, AllFourDisplayForms) {
  struct Case {
    Axis axis;
    double degrees;
    CoordinateFormat format;
    const char* expected;
  } cases[] = {
      {Axis::Longitude, 121.5, kDecimal, "121.50000"},       {Axis::Latitude, -33.86782, kDecimal, "-33.86782"},
      {Axis::Longitude, 121.5, kDms, "121° 30' 00.00\""},    {Axis::Latitude, -33.86782, kDms, "-33° 52' 04.15\""},
      {Axis::Longitude, 121.5, kCompass, "E 121.50000"},     {Axis::Latitude, -33.86782, kCompass, "S 33.86782"},
      {Axis::Longitude, 121.5, kDmsCompass, "E 121° 30' 00.00\""},
      {Axis::Latitude, -33.86782, kDmsCompass, "S 33° 52' 04.15\""},
      {Axis::Latitude, 25.033, kDms, "25° 01' 58.80\""},     {Axis::Latitude, -0.5, kDms, "-0° 30' 00.00\""},
      {Axis::Latitude, 59.9999999, kDms, "60° 00' 00.00\""}, {Axis::Latitude, -0.0, kDms, "0° 00' 00.00\""},
      {Axis::Longitude, 0, kDecimal, "0.00000"},             {Axis::Longitude, 0, kCompass, "E 0.00000"},
      {Axis::Longitude, -0.00001, kDecimal, "-0.00001"},     {Axis::Longitude, -0.00001, kCompass, "W 0.00001"},
      {Axis::Longitude, -0.000001, kDecimal, "0.00000"},  // rounds to zero units: never "-0.00000"
      {Axis::Latitude, 0.000015, kDecimal, "0.00002"},     // half a unit rounds away from zero
      {Axis::Latitude, -0.000015, kDecimal, "-0.00002"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(TextToUtf8(FormatCoordinate(c.axis, c.degrees, c.format)), c.expected) << c.degrees;
}

TEST(FormatCoordinateUnits, RangeIsTestedOnRoundedUnits) {
  EXPECT_EQ(U8(FormatCoordinateUnits(Axis::Longitude, 180.00001, false, kDecimal)), "<none>");
  EXPECT_EQ(U8(FormatCoordinateUnits(Axis::Longitude, -180, false, kDecimal)), "-180.00000");
  EXPECT_EQ(U8(FormatCoordinateUnits(Axis::Latitude, 90.000001, false, kDecimal)), "90.00000");
  EXPECT_EQ(U8(FormatCoordinateUnits(Axis::Latitude, 9000000.4, true, kDecimal)), "90.00000");
  EXPECT_EQ(U8(FormatCoordinateUnits(Axis::Latitude, 9000000.5, true, kDecimal)), "<none>");
  EXPECT_EQ(U8(FormatCoordinateUnits(Axis::Longitude, 121.5, true, kDecimal)), "0.00122");
  EXPECT_EQ(U8(FormatCoordinateUnits(Axis::Longitude, 1e300, true, kDecimal)), "<none>");
  EXPECT_EQ(U8(FormatCoordinateUnits(Axis::Longitude, std::nan(""), true, kDecimal)), "<none>");
  EXPECT_EQ(U8(FormatCoordinateUnits(Axis::Longitude, -INFINITY, false, kDecimal)), "<none>");
}

TEST(DisplayText, ConvertsBackToDecimalAndUnits) {
  EXPECT_EQ(TextToUtf8(DisplayToDecimal(u"S 33\u00B0 52' 04.15\"", kDmsCompass)), "-33.86782");
  EXPECT_EQ(TextToUtf8(DisplayToDecimal(u"W 121.50000", kCompass)), "-121.50000");
  EXPECT_EQ(TextToUtf8(DisplayToDecimal(u"121.50000", kDecimal)), "121.50000");
  EXPECT_EQ(TextToUtf8(DisplayToDecimal(u"-0\u00B0 00' 00.00\"", kDms)), "0.00000");
  EXPECT_EQ(CoordinateTextToUnits(u"E 121.50000", kCompass), 12150000);
  EXPECT_EQ(CoordinateTextToUnits(u"-33\u00B0 52' 04.15\"", kDms), -3386782);
  EXPECT_EQ(TextToUtf8(DecimalToDisplay(u"-33.86782", Axis::Latitude, kDmsCompass)), "S 33° 52' 04.15\"");
  EXPECT_EQ(TextToUtf8(DecimalToDisplay(u"121.50000", Axis::Longitude, kCompass)), "E 121.50000");
}

TEST(ParseDisplay, ReadsEveryFormAndRejectsNonCoordinates) {
  EXPECT_DOUBLE_EQ(*ParseDisplay(u"121  30"), 121.5);  // a run of spaces is one separator
  EXPECT_DOUBLE_EQ(*ParseDisplay(u"W 121\u00B0 30' 00.00\""), -121.5);
  EXPECT_DOUBLE_EQ(*ParseDisplay(u"-0\u00B0 30' 00.00\""), -0.5);
  EXPECT_DOUBLE_EQ(*ParseDisplay(u"N 25.03300"), 25.033);
  EXPECT_FALSE(ParseDisplay(u"Nowhere").has_value());
  EXPECT_FALSE(ParseDisplay(u"").has_value());
  EXPECT_FALSE(ParseDisplay(u"E").has_value());
}

TEST(CompassToSign, OnlyASpaceAfterTheLetterIsDeleted) {
  const std::pair<Text, Text> cases[] = {
      {u"S 33.5", u"-33.5"}, {u"E 121", u"121"}, {u"W121", u"-121"}, {u"-5", u"-5"}, {u"7", u"7"}, {u"", u""},
      {u".5", u".5"}, {u"S .5", u"-.5"}, {u"W.25", u"-.25"}, {u"+5", u"+5"}, {u"x 5", u"x 5"}, {u"N", u""},
  };
  for (const auto& [input, expected] : cases) {
    Text text = input;
    CompassToSign(text);
    EXPECT_EQ(text, expected);
  }
}

TEST(ParseCoordinateInput, AcceptsTheUsualFormsAndRefusesTheRest) {
  constexpr auto kLon = CoordinateKind::Longitude, kLat = CoordinateKind::Latitude, kPlain = CoordinateKind::Plain;
  const struct {
    Text input;
    CoordinateKind kind;
    const char* expected;  // "<none>" when refused
  } cases[] = {
      {u"121.5", kLon, "121.50000"},         {u"-121.5", kLon, "-121.50000"},       {u"W 121.5", kLon, "-121.50000"},
      {u"w121 30", kLon, "-121.50000"},      {u"W 121 30", kLon, "-121.50000"},     {u"121\u00B030'", kLon, "121.50000"},
      {u"121 30 0", kLon, "121.50000"},      {u"25\u00B001'58.8\"", kLat, "25.03300"}, {u"25 1 58.8 N", kLat, "25.03300"},
      {u"25 1 58.8 s", kLat, "-25.03300"},   {u"+0.5", kLat, "0.50000"},            {u"- 0.5", kLat, "-0.50000"},
      {u"-0 30", kLat, "-0.50000"},          {u"30' 121", kLon, "121.50000"},       {u".5", kLat, "0.50000"},
      {u"121\uFF9F 30\u2032 36\u2033", kLon, "121.51000"},
      {u"1\u00B0 2\u00B0", kLon, "1.03333"},  // a taken unit: the next free one
      {u"E -121", kLon, "121.00000"},        // the prefix decides the sign
      {u"200", kPlain, "200.00000"},         {u"  \u200E12.5  ", kLat, "12.50000"}, {u"-0.000001", kLat, "0.00000"},
      {u"1e5", kPlain, "1.00000"},           // E is a hemisphere letter, not an exponent
      {u"", kLon, "<none>"},                 {u"    ", kLon, "<none>"},            {u"N 25", kLon, "<none>"},
      {u"E 25", kLat, "<none>"},             {u"200", kLon, "<none>"},             {u"90.000005", kLat, "<none>"},
      {u"-", kLat, "<none>"},                {u"+ ", kLat, "<none>"},              {u"W", kLon, "<none>"},
      {u"W  ", kLon, "<none>"},              {u"12a", kLat, "<none>"},             {u"'12", kLat, "<none>"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(U8(ParseCoordinateInput(c.input, c.kind, kDecimal)), c.expected) << TextToUtf8(c.input);
  // The result is in the current display form.
  EXPECT_EQ(U8(ParseCoordinateInput(u"W 121 30", kLon, kDmsCompass)), "W 121° 30' 00.00\"");
  EXPECT_EQ(U8(ParseCoordinateInput(u"-33.86782", kLat, kCompass)), "S 33.86782");
}

TEST(ReformatCoordinate, SwitchingDmsOnAndOffMovesAtMostThreeMillionthsOfADegree) {
  for (double degrees : {121.5, -33.86782, 0.00001, 179.99999, -89.123456, 25.033}) {
    const Text decimal = FormatCoordinate(Axis::Longitude, degrees, kDecimal);
    const auto dms = ReformatCoordinate(decimal, Axis::Longitude, kDmsCompass);
    ASSERT_TRUE(dms);
    const auto back = ReformatCoordinate(*dms, Axis::Longitude, kDecimal);
    ASSERT_TRUE(back);
    EXPECT_NEAR(ParseDecimal(*back), ParseDecimal(decimal), 0.000003) << TextToUtf8(*dms);
  }
}

TEST(NumberText, ReadsWithoutTheLocale) {
  // A comma-decimal locale must not change reading or writing.
  const char* old = std::setlocale(LC_ALL, nullptr);
  std::string saved = old ? old : "C";
  std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
  EXPECT_EQ(ParseDecimal(u"  -12.5e1xyz"), -125.0);
  EXPECT_EQ(TextToUtf8(FormatFixed5(2.5)), "2.50000");
  std::setlocale(LC_ALL, saved.c_str());
  const std::pair<Text, double> cases[] = {
      {u"+.5", 0.5},   {u"5.", 5.0},   {u"1e", 1.0},   {u"1e+", 1.0},    {u"0x10", 0.0},
      {u"inf", 0.0},   {u"nan", 0.0},  {u"1d5", 1.0},  {u"\t7", 7.0},    {u"1e999", INFINITY},
      {u"-1e999", -INFINITY},          {u"1e-999", 0.0}, {u"", 0.0},     {u"-", 0.0},
  };
  for (const auto& [text, value] : cases) EXPECT_EQ(ParseDecimal(text), value) << TextToUtf8(text);
  EXPECT_FALSE(ParseDecimalPrefix(u"abc").found);
  EXPECT_EQ(ParseDecimalPrefix(u"12.5kg").end, 4u);
}

TEST(NumberText, FormatsAsPrintfRounds) {
  for (double value : {0.000005, 0.000015, 2.675, 1.0000049999, -0.000004, 123456.123455, 1e20, -7.5e-6}) {
    char expected[64];
    std::snprintf(expected, sizeof expected, "%.5f", value);
    EXPECT_EQ(TextToUtf8(FormatFixed5(value)), expected);
  }
}

}  // namespace
}  // namespace wayloom
