#include "map/AddressLookup.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <thread>

#include "core/CommandIds.h"
#include "core/RowOperations.h"
#include "core/TextRules.h"
#include "formats/XmlText.h"
#include "map/MapPage.h"

namespace wayloom {

namespace {

constexpr int kLookingUpText = 13121;    // "已經查詢 %d / %d 筆資料, 按 Esc 鍵停止..."
constexpr int kReverseQuery = 14308;     // "/reverse?format=xml&lat=%s&lon=%s&...&accept-language=%s"
constexpr int kNoConnection = 14309;
constexpr int kNoAddress = 14310;
constexpr int kServiceDenied = 14311;
constexpr int kResultTag = 14317;        // "<result"
constexpr int kResultEnd = 14477;
constexpr int kErrorTag = 14478;
constexpr int kPartsTag = 14479;
constexpr int kPartsEnd = 14480;
constexpr int kHouseNumberMark = 14481;  // "號"
constexpr int kNumberPrefix = 14318;     // "No. "
constexpr int kTaiwanChinese = 14320;
constexpr int kTaiwanEnglish = 14321;
constexpr int kDefaultAddresses = 14475;
constexpr int kAgent = 14476;
constexpr std::size_t kMaxReplyBytes = 65535;
constexpr std::uint32_t kPublicInterval = 1000;  // ms between requests to the public host
constexpr int kQueryLimitPause = 500;
constexpr int kHttpTooManyRequests = 429;
constexpr int kHttpForbidden = 403;
constexpr int kHttpOk = 200;

// A pause that keeps the window painted (PollStop without Esc).
void Pause(Ui& ui, int milliseconds) {
  constexpr int kStep = 50;
  for (int waited = 0; waited < milliseconds; waited += kStep) {
    ui.PollStop(false);
    std::this_thread::sleep_for(std::chrono::milliseconds(std::min(kStep, milliseconds - waited)));
  }
}

// The content of <tag>...</tag> inside [from, to), unescaped, trimmed; empty when absent.
Text ElementText(const XmlScanner& scan, std::string_view tag, std::size_t from, std::size_t to) {
  std::string open = "<";  // appended: GCC 12 warns falsely about "<" + std::string
  open.append(tag).push_back('>');
  const std::size_t start = scan.Find(open, from, to);
  if (start == XmlScanner::kNotFound) return {};
  const std::size_t content = start + open.size();
  const std::size_t end = scan.Find(std::string("</").append(tag).append(">"), content, to);
  if (end == XmlScanner::kNotFound) return {};
  Text text = Utf8ToText(scan.Bytes(content, end));
  UnescapeXml(text);
  CleanText(text);
  return text;
}

struct AddressParts {
  const XmlScanner& scan;
  std::size_t from, to;
  Text Get(std::string_view tag) const { return ElementText(scan, tag, from, to); }
  Text First(std::initializer_list<std::string_view> tags) const {
    for (std::string_view tag : tags)
      if (Text text = Get(tag); !text.empty()) return text;
    return {};
  }
};

Text JoinNonEmpty(std::initializer_list<Text> parts, TextView separator) {
  Text joined;
  for (const Text& part : parts) {
    if (part.empty()) continue;
    if (!joined.empty()) joined += separator;
    joined += part;
  }
  return joined;
}

bool AllDigits(TextView text) {
  if (text.empty()) return false;
  for (char16_t c : text)
    if (!IsAsciiDigit(c)) return false;
  return true;
}

// The address in the order the language's own users write it.
Text ComposeAddress(const AddressParts& parts, int language) {
  const Text city = parts.First({"city", "town", "village"});
  const Text houseNumber = parts.Get("house_number"), road = parts.Get("road");
  const Text postcode = parts.Get("postcode"), country = parts.Get("country");
  switch (language) {
    case 0: case 1: case 7: {  // zh-TW, zh-CN, ja: from the state down, no separators, no country
      Text number = houseNumber;
      if (language != 7 && AllDigits(number)) number += LoadText(kHouseNumberMark);
      return JoinNonEmpty({parts.Get("state"), parts.Get("county"), city,
                           parts.First({"city_district", "district", "suburb"}), road, number},
                          u"");
    }
    case 2: case 3: case 4:  // en, en-GB, en-AU
      return JoinNonEmpty({JoinNonEmpty({houseNumber, road}, u" "), city,
                           JoinNonEmpty({parts.Get("state"), postcode}, u" "), country},
                          u", ");
    case 5:  // fr
      return JoinNonEmpty({JoinNonEmpty({houseNumber, road}, u" "), JoinNonEmpty({postcode, city}, u" "), country},
                          u", ");
    default:  // de, es
      return JoinNonEmpty({JoinNonEmpty({road, houseNumber}, u" "), JoinNonEmpty({postcode, city}, u" "), country},
                          u", ");
  }
}

enum class ReplyKind { Address, NoResult, Unreadable };
struct Reply {
  ReplyKind kind = ReplyKind::Unreadable;
  Text address;
};

Reply ReadReply(std::string_view body, int language) {
  const XmlScanner scan(body);
  Reply reply;
  const std::string errorTag = LoadTag(kErrorTag);
  for (std::size_t at = scan.Find(errorTag, 0); at != XmlScanner::kNotFound; at = scan.Find(errorTag, at + 1)) {
    if (scan.StartsElement(at, errorTag)) {
      reply.kind = ReplyKind::NoResult;
      return reply;
    }
  }
  const std::string partsTag = LoadTag(kPartsTag);
  const std::size_t parts = scan.Find(partsTag, 0);
  if (parts != XmlScanner::kNotFound) {
    const std::size_t partsEnd = scan.Find(LoadTag(kPartsEnd), parts);
    if (partsEnd != XmlScanner::kNotFound)
      reply.address = ComposeAddress({scan, parts + partsTag.size(), partsEnd}, language);
  }
  if (reply.address.empty()) {  // nothing composed: the display name
    const std::string resultTag = LoadTag(kResultTag);
    std::size_t at = scan.Find(resultTag, 0);
    while (at != XmlScanner::kNotFound && !scan.StartsElement(at, resultTag)) at = scan.Find(resultTag, at + 1);
    if (at != XmlScanner::kNotFound) {
      std::size_t content = at + resultTag.size();
      while (content < scan.Size() && scan.At(content) != '>') ++content;
      const std::size_t end = scan.Find(LoadTag(kResultEnd), content);
      if (content < scan.Size() && end != XmlScanner::kNotFound) {
        reply.address = Utf8ToText(scan.Bytes(content + 1, end));
        UnescapeXml(reply.address);
      }
    }
  }
  if (!reply.address.empty()) reply.kind = ReplyKind::Address;
  return reply;
}

// The country cut: unless the address starts with "No. ", the text after "台灣" (else
// after "Taiwan") when any follows.
void DropCountryPrefix(Text& address) {
  if (address.starts_with(LoadText(kNumberPrefix))) return;
  Text upper(address);
  for (char16_t& c : upper) c = AsciiUpper(c);
  for (int id : {kTaiwanChinese, kTaiwanEnglish}) {
    Text country(LoadText(id));
    for (char16_t& c : country) c = AsciiUpper(c);
    const std::size_t at = upper.find(country);
    if (at != Text::npos && at + country.size() < address.size()) {
      address.erase(0, at + country.size());
      return;
    }
  }
}

// Reads at most 65,535 bytes of the body; false on a broken transfer.
bool ReadBody(HttpRequest& request, std::string& body) {
  body.assign(kMaxReplyBytes, '\0');
  std::size_t total = 0;
  while (total < kMaxReplyBytes) {
    const long got = request.Read(body.data() + total, kMaxReplyBytes - total);
    if (got < 0) return false;
    if (got == 0) break;
    total += std::min(static_cast<std::size_t>(got), kMaxReplyBytes - total);
  }
  body.resize(total);
  return true;
}

class Lookup {
 public:
  Lookup(CommandContext& context, const Clock& clock, HttpSession& session)
      : doc_(context.doc), ui_(context.ui), clock_(clock), session_(session) {
    host_ = AddressServiceHost(context.profile);
    paced_ = host_ == LoadText(kDefaultAddresses);
    language_ = MapLanguage(doc_.settings);
  }

  // Returns the message to show, 0 for none.
  int Run() {
    std::vector<std::size_t> rows;
    for (std::size_t row = 0; row < doc_.table.RowCount(); ++row)
      if (doc_.table.Row(row).selected) rows.push_back(row);
    const bool wholeTable = rows.empty();
    if (wholeTable)
      for (std::size_t row = 0; row < doc_.table.RowCount(); ++row) rows.push_back(row);
    total_ = rows.size();

    for (std::size_t next = 0; next < rows.size();) {
      ui_.ShowMarquee(FormatString(kLookingUpText, {static_cast<long long>(done_), static_cast<long long>(total_)}));
      if (ui_.PollStop(true)) return 0;
      const std::size_t row = rows[next];
      Text name(doc_.table.Cell(row, kNameColumn));
      const std::size_t at = name.rfind(u'@');
      if (wholeTable && at != Text::npos) {
        ++done_, ++next;
        continue;
      }
      const CellValue longitude = doc_.table.Cell(row, kLongitudeColumn);
      const CellValue latitude = doc_.table.Cell(row, kLatitudeColumn);
      if (longitude.empty() || latitude.empty()) {
        ClearAddress(row, name, at);
        ++next;
        continue;
      }
      const CoordinateFormat format = doc_.Format();
      const Text url = host_ + FormatString(kReverseQuery, {DisplayToDecimal(latitude, format),
                                                            DisplayToDecimal(longitude, format),
                                                            MapLanguageCode(language_)});
      WaitForTurn();
      std::unique_ptr<HttpRequest> request = session_.OpenUrl(url);
      lastRequest_ = clock_.TickCount();
      requested_ = true;
      if (!request) return kNoConnection;
      const int status = request->Status();
      std::string body;
      const bool whole = ReadBody(*request, body);
      request.reset();
      if (status == kHttpTooManyRequests) {
        Pause(ui_, kQueryLimitPause);
        continue;  // the same row again; Esc at its start stops
      }
      if (status == kHttpForbidden) return kServiceDenied;
      if (status != kHttpOk || !whole || body.empty()) return kNoAddress;
      const Reply reply = ReadReply(body, language_);
      if (reply.kind == ReplyKind::Unreadable) return kNoAddress;
      if (reply.kind == ReplyKind::NoResult)
        ClearAddress(row, name, at);
      else
        SetAddress(row, name, at, reply.address);
      ++next;
    }
    return 0;
  }

  bool Changed() const { return changed_; }

 private:
  // The public host asks for one request a second at most.
  void WaitForTurn() {
    if (!paced_ || !requested_) return;
    const std::uint32_t elapsed = clock_.TickCount() - lastRequest_;
    if (elapsed < kPublicInterval) Pause(ui_, static_cast<int>(kPublicInterval - elapsed));
  }

  void SetAddress(std::size_t row, Text name, std::size_t at, Text address) {
    const std::size_t before = name.size();
    CleanText(address);
    DropCountryPrefix(address);
    CleanText(address);
    if (at == Text::npos) {
      at = name.size();
      name += u'@';
    }
    CutToUnits(address, before < kMaxNameUnits - 1 ? kMaxNameUnits - 1 - before : 0);
    name.replace(at + 1, Text::npos, address);
    Store(row, std::move(name));
  }

  void ClearAddress(std::size_t row, Text name, std::size_t at) {
    if (at != Text::npos && name.size() > 1) {
      name.resize(at);
      Store(row, std::move(name));
    } else {
      ++done_;
    }
  }

  void Store(std::size_t row, Text name) {
    ui_.EnsureRowVisible(static_cast<long long>(row));
    // A name that was all address ("@old") has nothing left: the row keeps its name.
    if (NormaliseName(name) && SetCellRecorded(doc_, row, kNameColumn, name)) {
      if (!(row == 0 && doc_.baseRowPinned)) doc_.SetModified(true);
      if (!changed_ && total_ > 1) ui_.FitColumn(kNameColumn, false);
      changed_ = true;
    }
    ++done_;
  }

  DocumentState& doc_;
  Ui& ui_;
  const Clock& clock_;
  HttpSession& session_;
  Text host_;
  bool paced_ = false;
  int language_ = 0;
  std::size_t done_ = 0, total_ = 0;
  bool changed_ = false;
  bool requested_ = false;
  std::uint32_t lastRequest_ = 0;
};

}  // namespace

Text AddressServiceHost(Profile* profile) { return ReadMapServices(profile).addresses; }

void LookUpAddresses(CommandContext& context, const Clock& clock) {
  Ui& ui = context.ui;
  ui.PressToolbarButton(IDM_LOOK_UP_ADDRESS, true);
  ui.SetWaitCursor(true);
  std::unique_ptr<HttpSession> session = context.http ? context.http->OpenSession(LoadText(kAgent)) : nullptr;
  if (!session) {
    ui.ShowMessage(kNoConnection, FormatArg(), MessageIcon::Information);
  } else {
    BeginUndoGroup(context.doc.journal);
    Lookup lookup(context, clock, *session);
    const int message = lookup.Run();
    if (lookup.Changed()) {
      ui.FitColumn(kNameColumn, false);
      ui.TableChanged();
    }
    ui.EndProgress();
    session.reset();
    if (message != 0) ui.ShowMessage(message, FormatArg(), MessageIcon::Information);
  }
  MapSyncAll(context.doc);
  ui.PressToolbarButton(IDM_LOOK_UP_ADDRESS, false);
  ui.SetWaitCursor(false);
  context.doc.selectPending = true;
  context.doc.titleDirty = true;
}

}  // namespace wayloom
