#include <gtest/gtest.h>

#include "TestSupport.h"
#include "formats/ItnFormat.h"

namespace wayloom {
namespace {

using testing::Lines;

testing::ReadResultRows ReadAll(const std::string& bytes) { return testing::ReadRowsAs(3, bytes); }

std::string Waypoint(const std::string& lat, const std::string& lon, const std::string& name) {
  return "<wpt lat=\"" + lat + "\" lon=\"" + lon + "\">\r\n<name>" + name + "</name>\r\n</wpt>\r\n";
}

std::string Write(const DocumentState& doc) { return testing::WriteAs(3, doc); }

const std::string kHeader =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n"
    "<gpx xmlns=\"http://www.topografix.com/GPX/1/1\" xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
    "xsi:schemaLocation=\"http://www.topografix.com/GPX/1/1 http://www.topografix.com/GPX/1/1/gpx.xsd\">\r\n";
const std::string kFooter = "</gpx>\r\n";

TEST(WriteGpx, ByteExactFile) {
  DocumentState doc;
  testing::AddRow(doc, u"Taipei 101", u"121.565", u"25.033");
  testing::AddRow(doc, u"Fish & Chips <\"Best\"> 'Inn'", u"-0.5", u"0");
  testing::AddRow(doc, u"No longitude", u"", u"10");
  testing::AddRow(doc, u"\u53F0\u5317 \U0001F600", u"180", u"-89.999996");
  EXPECT_EQ(Write(doc), kHeader + Waypoint("25.03300", "121.56500", "Taipei 101") +
                            Waypoint("0.00000", "-0.50000", "Fish &amp; Chips &lt;&quot;Best&quot;&gt; 'Inn'") +
                            Waypoint("-90.00000", "180.00000", "\xE5\x8F\xB0\xE5\x8C\x97 \xF0\x9F\x98\x80") + kFooter);
  EXPECT_EQ(Write(DocumentState()), kHeader + kFooter);
}

// The same rows as one route, for route planners and device apps.
TEST(WriteGpxRoute, ByteExactFile) {
  DocumentState doc;
  testing::AddRow(doc, u"Taipei 101", u"121.565", u"25.033");
  testing::AddRow(doc, u"No latitude", u"1", u"");
  testing::AddRow(doc, u"Fish & Chips <\"Best\"> 'Inn'", u"-0.5", u"0");
  const auto point = [](const std::string& lat, const std::string& lon, const std::string& name) {
    return "<rtept lat=\"" + lat + "\" lon=\"" + lon + "\">\r\n<name>" + name + "</name>\r\n</rtept>\r\n";
  };
  EXPECT_EQ(testing::WriteAs(kGpxRouteFormat, doc),
            kHeader + "<rte>\r\n" + point("25.03300", "121.56500", "Taipei 101") +
                point("0.00000", "-0.50000", "Fish &amp; Chips &lt;&quot;Best&quot;&gt; 'Inn'") + "</rte>\r\n" + kFooter);
  EXPECT_EQ(testing::WriteAs(kGpxRouteFormat, DocumentState()), kHeader + "<rte>\r\n</rte>\r\n" + kFooter);
}

TEST(ReadGpx, WaypointTags) {
  const struct {
    const char* what;
    std::string file;
    Lines rows;
  } cases[] = {
      {"either attribute order, any case, spaces around '='",
       "<gpx><wpt lon=\"121.5\" lat=\"25\"><name>a</name></wpt><WPT  LAT = \"1\"LON=\"2\"><NAME>b</NAME></WPT></gpx>",
       {"a|121.50000|25.00000|0", "b|2.00000|1.00000|0"}},
      {"a later value replaces the earlier", "<wpt lat=\"1\" lon=\"2\" lat=\"3\"><name>c</name></wpt>",
       {"c|2.00000|3.00000|0"}},
      {"other elements and tags not followed by a space are passed over",
       "<rtept lat=\"1\" lon=\"1\"><name>r</name></rtept><trkpt lat=\"1\" lon=\"1\"></trkpt>"
       "<wpt\nlat=\"1\" lon=\"1\"><name>n</name></wpt><wpt\tlat=\"1\"><wpts x=\"\">" +
           Waypoint("5", "6", "d"),
       {"d|6.00000|5.00000|0"}},
      {"references and CDATA",
       Waypoint("1", "1", "&lt;b&gt;") + Waypoint("1", "1", "A &amp; B &#38; &nbsp;C") +
           Waypoint("1", "1", "<![CDATA[x & y]]>"),
       {"<b|1.00000|1.00000|0", "A & B &#38;  C|1.00000|1.00000|0", "x & y|1.00000|1.00000|0"}},
      {"values that are no coordinates",
       Waypoint("91", "-181", "out") + Waypoint("x", "", "text") + Waypoint(" 0 ", "1e1", "zero"),
       {"out|||0", "text|||0", "zero|10.00000|0.00000|0"}},
      {"waypoints without a name or with a blank one are skipped",
       "<wpt lat=\"1\" lon=\"1\"></wpt><wpt lat=\"1\" lon=\"1\"><ele>1</ele></wpt>" + Waypoint("1", "1", " \r\n ") +
           Waypoint("2", "2", "e") + "<rte><name>route</name></rte>",
       {"e|2.00000|2.00000|0"}},
      {"no waypoint", "<?xml version=\"1.0\"?><gpx><rte><name>x</name></rte></gpx>", {}},
  };
  for (const auto& c : cases) {
    const auto read = ReadAll(c.file);
    EXPECT_EQ(read.result, 0) << c.what;
    EXPECT_EQ(read.rows, c.rows) << c.what;
  }
}

TEST(ReadGpx, StructuralFaultsEndTheReadAndKeepEarlierRows) {
  const std::string kept = Waypoint("1", "2", "Kept");
  for (const std::string bad : {
           "<wpt lat=\"1\" lon=\"2\" id=\"3\"><name>x</name></wpt>",  // another attribute
           "<wpt lat=\"1\" lon=\"2\"/>",                               // self-closing
           "<wpt lat='1' lon='2'><name>x</name></wpt>",               // apostrophes
           "<wpt lat=\"1\"\n lon=\"2\"><name>x</name></wpt>",         // line break between attributes
           "<wpt lat=\"1\" lon=\"2\" ><name>x</name></wpt>",          // space before '>'
           "<wpt lat=\"1\"><name>x</name></wpt>",                     // no longitude
           "<wpt lat=\"1\" lon:\"2\"><name>x</name></wpt>",
           "<wpt lat=\"1\" lon=\"2",
           "<wpt ",
           "<wpt lat=\"1\" lon=\"2\"><name>x</name>",
           "<wpt lat=\"1\" lon=\"2\"><name>x</nam"}) {
    const auto read = ReadAll(kept + bad);
    EXPECT_EQ(read.result, kFileContentProblem) << bad;
    EXPECT_EQ(read.rows, Lines{"Kept|2.00000|1.00000|0"}) << bad;
  }
}

}  // namespace
}  // namespace wayloom
