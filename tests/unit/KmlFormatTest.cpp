#include <gtest/gtest.h>

#include "TestSupport.h"
#include "formats/ItnFormat.h"
#include "formats/KmlFormat.h"

namespace wayloom {
namespace {

using testing::Lines;

testing::ReadResultRows ReadAll(const std::string& bytes) { return testing::ReadRowsAs(2, bytes); }

std::string Placemark(const std::string& name, const std::string& coordinates) {
  return "<Placemark><name>" + name + "</name><Point><coordinates>" + coordinates +
         "</coordinates></Point></Placemark>\r\n";
}

std::string Write(const DocumentState& doc, TransferMode mode = TransferMode::Save, bool numbered = false,
                  std::size_t* count = nullptr) {
  testing::MemoryFile file;
  BufferedWriter writer(file);
  WriteContext context{doc, writer, mode};
  context.numberPlacemarks = numbered;
  std::size_t written = 0;
  EXPECT_EQ(WriteKmlCounted(context, written), 0);
  if (count) *count = written;
  return file.bytes;
}

const std::string kHeader =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<kml xmlns=\"http://www.opengis.net/kml/2.2\">\r\n<Document>\r\n";
const std::string kFooter = "</Document>\r\n</kml>\r\n";

// Destination Taipei, a via point with markup in its name, a row without latitude, a
// passed via point with characters outside the Basic Multilingual Plane.
DocumentState SampleTable() {
  DocumentState doc;
  testing::AddRow(doc, u"Taipei", u"121.565", u"25.033", 2);
  testing::AddRow(doc, u"Fish & Chips <\"Best\"> 'Inn'", u"-0.5", u"0", 0);
  testing::AddRow(doc, u"No latitude", u"10", u"", 2);
  testing::AddRow(doc, u"\u53F0\u5317 \U0001F600", u"-180", u"-90", 1);
  return doc;
}

// The placemarks of the sample rows with both coordinates, after a Google Earth prefix.
std::string Taipei(const std::string& prefix = "") { return Placemark(prefix + "Taipei", "121.56500,25.03300"); }
std::string Fish(const std::string& prefix = "") {
  return Placemark(prefix + "Fish &amp; Chips &lt;&quot;Best&quot;&gt; 'Inn'", "-0.50000,0.00000");
}
std::string Wide(const std::string& prefix = "") {
  return Placemark(prefix + "\xE5\x8F\xB0\xE5\x8C\x97 \xF0\x9F\x98\x80", "-180.00000,-90.00000");
}

TEST(WriteKml, ByteExactFile) {
  EXPECT_EQ(Write(SampleTable()), kHeader + Taipei() + Fish() + Wide() + kFooter);
  EXPECT_EQ(Write(DocumentState()), kHeader + kFooter);
}

TEST(WriteKml, GoogleEarthNumbering) {
  DocumentState doc = SampleTable();
  // Nothing selected: every row; numbers stay consecutive over the row without latitude.
  std::size_t count = 0;
  EXPECT_EQ(Write(doc, TransferMode::Export, true, &count), kHeader + Taipei("#1 ") + Fish("#2' ") + Wide("#3' ") + kFooter);
  EXPECT_EQ(count, 3u);
  // With a pinned base row and nothing selected, row 0 is left out.
  doc.baseRowPinned = true;
  EXPECT_EQ(Write(doc, TransferMode::Export, true, &count), kHeader + Fish("#1' ") + Wide("#2' ") + kFooter);
  EXPECT_EQ(count, 2u);
  // A selection is written whole, the pinned row too when it is selected.
  for (std::size_t row : {0, 2, 3}) doc.table.SetSelected(row, true);
  EXPECT_EQ(Write(doc, TransferMode::Export, true, &count), kHeader + Taipei("#1 ") + Wide("#2' ") + kFooter);
  EXPECT_EQ(count, 2u);
}

TEST(ReadKml, TolerantScanning) {
  const struct {
    const char* what;
    std::string file;
    Lines rows;
  } cases[] = {
      {"tags in any case, attributes",
       "<kml><Document><PLACEMARK id=\"a\">\n<NAME>Upper</NAME><point><COORDINATES>1,2</COORDINATES></point>"
       "</placemark></Document></kml>",
       {"Upper|1.00000|2.00000|0"}},
      {"spaces and line breaks, altitude",
       Placemark("Alt", "\n    121.5,25.0,0\n  ") + Placemark("Two", " 1 , 2 ,3 4,5,6"),
       {"Alt|121.50000|25.00000|0", "Two|1.00000|2.00000|0"}},
      {"bad values leave the cells empty",
       Placemark("Bad", "abc,200") + Placemark("One", "5") + Placemark("Empty", "") +
           Placemark("Zeros", "0,-0.000001"),
       {"Bad|||0", "One|5.00000||0", "Empty|||0", "Zeros|0.00000|0.00000|0"}},
      {"references", Placemark("Fish &amp; Chips &#65; a&nbsp;b &amp;lt; &apos;", "1,1"),
       {"Fish & Chips &#65; a b &lt; &apos;|1.00000|1.00000|0"}},
      {"CDATA is literal",
       Placemark("<![CDATA[Fish & <Chips>]]>", "1,1") + Placemark("a &amp; <![CDATA[&amp;]]> b", "1,1") +
           Placemark("<![CDATA[Points g\xC3\xA9od\xC3\xA9siques]]>", "1,1"),
       {"Fish & <Chips|1.00000|1.00000|0", "a & &amp; b|1.00000|1.00000|0",
        "Points g\xC3\xA9od\xC3\xA9siques|1.00000|1.00000|0"}},
      {"blank and control-only names, no point, no name",
       Placemark("  \t ", "1,1") + "<Placemark><name>Line</name><LineString><coordinates>1,2 3,4</coordinates>"
       "</LineString></Placemark><Placemark><Point><coordinates>3,3</coordinates></Point></Placemark>" +
           Placemark("Kept", "2,2") + "<Placemark><description>none</description></Placemark>",
       {"Kept|2.00000|2.00000|0"}},
      {"names end only at character starts",
       Placemark("\xF0\x9F\x98\x80", "1,1") + "<Placemark><name>\xE5</name>x</name><Point><coordinates>1,1"
       "</coordinates></Point></Placemark>",
       {"\xF0\x9F\x98\x80|1.00000|1.00000|0", "\xEF\xBF\xBD</name x|1.00000|1.00000|0"}},
      {"no placemark at all", "<?xml version=\"1.0\"?><kml><Document><name>x</name></Document></kml>", {}},
      {"nothing", "", {}},
  };
  for (const auto& c : cases) {
    const auto read = ReadAll(c.file);
    EXPECT_EQ(read.result, 0) << c.what;
    EXPECT_EQ(read.rows, c.rows) << c.what;
  }
}

TEST(ReadKml, StructuralFaultsEndTheReadAndKeepEarlierRows) {
  const std::string kept = Placemark("Kept", "1,2");
  for (const std::string bad : {
           "<Placemark", "<Placemark id=\"x\"", "<Placemark><name>cut", "<Placemark><name>a</name>",
           "<Placemark><name>a</name><Point><coordinates>1,2</coordinates></Point>",
           "<Placemark><name>a</name><Point></Point></Placemark>",
           "<Placemark><name>a</name><Point><coordinates>1,2</Point></Placemark>",
           "<Placemark><name>a</name><Point<coordinates>1,2</coordinates></Placemark>"}) {
    const auto read = ReadAll(kept + bad);
    EXPECT_EQ(read.result, kFileContentProblem) << bad;
    EXPECT_EQ(read.rows, Lines{"Kept|1.00000|2.00000|0"}) << bad;
  }
}

}  // namespace
}  // namespace wayloom
