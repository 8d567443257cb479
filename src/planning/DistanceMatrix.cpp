#include "planning/DistanceMatrix.h"

#include <algorithm>
#include <limits>
#include <memory>

namespace wayloom {

namespace {

constexpr int kOriginsText = 14431;       // "/maps/api/distancematrix/xml?origins="
constexpr int kDestinationsText = 14432;  // "&sensor=false&destinations="
constexpr int kStatusTag = 14436;         // "<status>"
constexpr int kStatusOk = 14437;          // "OK<"
constexpr int kElementTag = 14438;        // "<element>"
constexpr int kDistanceTag = 14439;       // "distance>"
constexpr int kValueTag = 14440;          // "<value>"
constexpr int kElementEnd = 14441;        // "/element>"
constexpr int kProductName = 14288;
constexpr std::size_t kReadBuffer = 65536;

char16_t AsciiLower(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }

bool StartsWithIgnoringCase(TextView text, std::size_t at, TextView tag) {
  if (at > text.size() || text.size() - at < tag.size()) return false;
  for (std::size_t i = 0; i < tag.size(); ++i)
    if (AsciiLower(text[at + i]) != AsciiLower(tag[i])) return false;
  return true;
}

std::size_t FindIgnoringCase(TextView text, TextView tag, std::size_t from) {
  if (tag.empty() || from > text.size()) return TextView::npos;
  const char16_t first = AsciiLower(tag[0]);
  for (std::size_t i = from; i + tag.size() <= text.size(); ++i)
    if (AsciiLower(text[i]) == first && StartsWithIgnoringCase(text, i, tag)) return i;
  return TextView::npos;
}

// The whole number at text[at..]: white space, then digits up to the first other
// character. False without digits or beyond the 32-bit range.
bool ReadMetres(TextView text, std::size_t at, std::int32_t& metres, std::size_t& end) {
  while (at < text.size() && (text[at] == u' ' || text[at] == u'\t' || text[at] == u'\r' || text[at] == u'\n')) ++at;
  const std::size_t first = at;
  std::int64_t value = 0;
  for (; at < text.size() && IsAsciiDigit(text[at]); ++at) {
    value = value * 10 + (text[at] - u'0');
    if (value > std::numeric_limits<std::int32_t>::max()) return false;
  }
  if (at == first) return false;
  metres = static_cast<std::int32_t>(value);
  end = at;
  return true;
}

void AppendLocations(const DocumentState& doc, Text& url) {
  const CoordinateFormat format = doc.Format();
  for (std::size_t row = 0; row < doc.table.RowCount(); ++row) {
    if (row > 0) url += u'|';
    url += DisplayToDecimal(doc.table.Cell(row, kLatitudeColumn), format);
    url += u',';
    url += DisplayToDecimal(doc.table.Cell(row, kLongitudeColumn), format);
  }
}

}  // namespace

Text DistanceMatrixUrl(const DocumentState& doc, TextView host) {
  Text url(host);
  url += LoadText(kOriginsText);
  AppendLocations(doc, url);
  url += LoadText(kDestinationsText);
  AppendLocations(doc, url);
  return url;
}

int ParseDistanceMatrix(std::string_view reply, std::size_t n, std::vector<std::int32_t>& distances) {
  const Text text = Utf8ToText(reply);
  const TextView view(text);
  const std::size_t status = FindIgnoringCase(view, LoadText(kStatusTag), 0);
  if (status == TextView::npos) return kNoDistancesMessage;
  std::size_t cursor = status + LoadText(kStatusTag).size();
  if (!StartsWithIgnoringCase(view, cursor, LoadText(kStatusOk))) return kNoDistancesMessage;

  const TextView elementTag = LoadText(kElementTag), distanceTag = LoadText(kDistanceTag);
  const TextView valueTag = LoadText(kValueTag), elementEnd = LoadText(kElementEnd);
  // Each distance takes an "<element>" of the reply, so n x n of them fit in its length.
  const std::size_t possible = view.size() / elementTag.size();
  if (n != 0 && n > possible / n) return kNoDistancesMessage;
  const std::size_t wanted = n * n;
  std::vector<std::int32_t> found;
  found.reserve(wanted);
  while (found.size() < wanted) {
    const std::size_t element = FindIgnoringCase(view, elementTag, cursor);
    if (element == TextView::npos) break;
    std::size_t at = element;
    bool more = false;
    for (;;) {
      const std::size_t open = view.find(u'<', at + 1);
      if (open == TextView::npos) break;
      if (StartsWithIgnoringCase(view, open + 1, distanceTag)) {
        const std::size_t value = FindIgnoringCase(view, valueTag, open + 1);
        if (value == TextView::npos) break;
        std::int32_t metres = 0;
        if (!ReadMetres(view, value + valueTag.size(), metres, cursor)) return kNoDistancesMessage;
        found.push_back(metres);
        more = true;
        break;
      }
      if (StartsWithIgnoringCase(view, open + 1, elementEnd)) return kNoRouteMessage;
      at = open;
    }
    if (!more) break;
  }
  if (found.size() != wanted) return kNoDistancesMessage;
  distances = std::move(found);
  return 0;
}

DistanceDownload DownloadDistanceMatrix(HttpClient* http, TextView url, std::size_t n, Ui& ui) {
  DistanceDownload result;
  result.message = kNoConnectionMessage;
  if (!http) return result;
  std::unique_ptr<HttpSession> session = http->OpenSession(LoadText(kProductName));
  if (!session) return result;
  std::unique_ptr<HttpRequest> request = session->OpenUrl(url);
  if (!request) return result;

  result.message = kNoDistancesMessage;
  std::unique_ptr<char[]> buffer(new char[kReadBuffer]);
  std::size_t total = 0;
  while (total < kMaxReplyBytes) {
    if (ui.PollStop(true)) {
      result.stopped = true;
      result.message = 0;
      return result;
    }
    const long got = request->Read(buffer.get() + total, kMaxReplyBytes - total);
    if (got < 0) return result;  // a broken transfer is not parsed
    if (got == 0) break;
    total += std::min(static_cast<std::size_t>(got), kMaxReplyBytes - total);
  }
  request.reset();
  session.reset();
  if (total == 0) return result;
  result.message = ParseDistanceMatrix(std::string_view(buffer.get(), total), n, result.distances);
  return result;
}

}  // namespace wayloom
