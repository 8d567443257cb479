#include "core/StatusTexts.h"

#include "core/NumberText.h"

namespace wayloom {
namespace {

constexpr std::size_t kMaxStatusUnits = 254;

}  // namespace

Text RowCounterText(TextView label, long long current, long long selected, long long rows) {
  Text text = u"  ";
  text += label;
  text += u"  ";
  text += IntegerText(current);
  text += u" - ";
  text += IntegerText(selected);
  text += u" / ";
  text += IntegerText(rows);
  text += u"  ";
  return text;
}

Text ClockText(int hour, int minute, char16_t separator) {
  Text text = u"  ";
  text += hour >= 12 ? u'P' : u'A';
  text += u"M ";
  const int twelve = hour % 12 == 0 ? 12 : hour % 12;
  text += IntegerText(twelve);
  text += separator;
  text += static_cast<char16_t>(u'0' + minute / 10 % 10);
  text += static_cast<char16_t>(u'0' + minute % 10);
  text += u"  ";
  return text;
}

Text ShortenedStatusText(TextView text) {
  Text shown(text.substr(0, text.size()));
  if (!shown.empty() && shown.front() != u' ') {
    const std::size_t n = shown.size();
    if (shown.back() == u'\u3002') {
      shown.pop_back();
    } else if (shown.back() == u'.' && (n < 2 || shown[n - 2] != u'.')) {
      shown.pop_back();
    }
  }
  if (shown.size() > kMaxStatusUnits) shown.resize(kMaxStatusUnits);
  return shown;
}

}  // namespace wayloom
