// The numbered KML handed to Google Earth: the selected rows or all, numbered, and the
// messages when the file cannot be written.
#include <gtest/gtest.h>

#include "EditingTestSupport.h"
#include "map/EarthExport.h"

namespace wayloom {
namespace {

using testing::EditFixture;
using testing::TempFolder;

const std::string kHeader =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<kml xmlns=\"http://www.opengis.net/kml/2.2\">\r\n<Document>\r\n";
const std::string kFooter = "</Document>\r\n</kml>\r\n";

TEST(EarthExport, WritesTheSelectedRowsOrAllNumbered) {
  TempFolder folder;
  const Text path = Utf8ToText((folder / "Wlmtmp.kml").string());
  EditFixture f({"Base|121|25|2", "台北|121.565|25.033|2", "Via <&>|121.5|25|0", "Blank|121.4||2"});
  f.Pin();
  f.Select({2, 3});
  ASSERT_TRUE(WriteEarthFile(f.context, path));
  EXPECT_EQ(testing::ReadBytes(folder / "Wlmtmp.kml"),
            kHeader +
                "<Placemark><name>#1' Via &lt;&amp;&gt;</name><Point><coordinates>121.50000,25.00000</coordinates>"
                "</Point></Placemark>\r\n" +
                kFooter);

  f.Select({});  // nothing selected: every row but the pinned base point
  ASSERT_TRUE(WriteEarthFile(f.context, path));
  EXPECT_EQ(testing::ReadBytes(folder / "Wlmtmp.kml"),
            kHeader +
                "<Placemark><name>#1 台北</name><Point><coordinates>121.56500,25.03300</coordinates></Point>"
                "</Placemark>\r\n"
                "<Placemark><name>#2' Via &lt;&amp;&gt;</name><Point><coordinates>121.50000,25.00000</coordinates>"
                "</Point></Placemark>\r\n" +
                kFooter);
  EXPECT_TRUE(f.ui.messages.empty());
  EXPECT_EQ(f.ui.pressedButtons, (std::vector<int>{1046, 1046}));
  EXPECT_EQ(f.ui.releasedButtons, (std::vector<int>{1046, 1046}));
}

TEST(EarthExport, AFileThatCannotBeWrittenIsReportedWithAWarning) {
  TempFolder folder;
  EditFixture f({"A|121|25|2"});
  const Text path = Utf8ToText((folder / "missing" / "Wlmtmp.kml").string());
  EXPECT_FALSE(WriteEarthFile(f.context, path));
  ASSERT_EQ(f.ui.MessageIds(), std::vector<int>{14221});
  EXPECT_EQ(f.ui.messages[0].text, "無法儲存檔案\n\n" + TextToUtf8(path));
  EXPECT_EQ(f.ui.messages[0].icon, MessageIcon::Warning);
  EXPECT_FALSE(std::filesystem::exists(folder / "missing"));
}

}  // namespace
}  // namespace wayloom
