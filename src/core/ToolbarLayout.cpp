#include "core/ToolbarLayout.h"

#include <algorithm>
#include <string>

namespace wayloom {

const std::array<int, kToolbarImageCount> kToolbarCommands = {
    IDM_NEW, IDM_OPEN, IDM_OPEN_FAVOURITES, IDM_SAVE, IDM_SAVE_AS, IDM_IMPORT, IDM_EXPORT, IDM_CONVERT,
    IDM_UNDO, IDM_REDO, IDM_ADD, IDM_INSERT, IDM_MERGE_FIELDS, IDM_EDIT, IDM_DELETE, IDM_CLEAR_FIELDS,
    IDM_CUT, IDM_COPY_ROWS, IDM_PASTE_ROWS,
    IDM_LOOK_UP_ADDRESS, IDM_FIND, IDM_FIND_NEXT, IDM_REPLACE, IDM_REPLACE_NEXT, IDM_NUDGE, IDM_CHECK,
    IDM_ADD_FAVOURITE, IDM_SEND_TO_COMPANION,
    IDM_DESTINATION, IDM_VIA_POINT, IDM_TO_PASS, IDM_PASSED, IDM_PLAN, IDM_MOVE_UP, IDM_MOVE_DOWN,
    IDM_REVERSE, IDM_SET_BASE_POINT, IDM_MY_BASE_POINTS, IDM_SORT_ASCENDING, IDM_SORT_DESCENDING,
    IDM_MAP, IDM_EARTH, IDM_UPDATE_EPHEMERIS,
    IDM_TABLE_FONT, IDM_TABLE_PICTURE,
    IDM_PREFERENCES, IDM_LINK_DEVICE_MAKER, IDM_LINK_FORUM, IDM_LINK_HOME_PAGE, IDM_LINK_MAIL, IDM_ABOUT,
};

namespace {

constexpr TextView kOptionsSection = u"Options";
constexpr TextView kLayoutKey = u"Toolbar Button";
constexpr std::size_t kMaxLayoutUnits = 253;
// The groups of the default layout end after these commands.
constexpr int kGroupEnds[] = {IDM_CONVERT, IDM_CLEAR_FIELDS, IDM_LOOK_UP_ADDRESS, IDM_REPLACE_NEXT,
                              IDM_SEND_TO_COMPANION, IDM_PASSED, IDM_SORT_DESCENDING, IDM_EARTH,
                              IDM_PREFERENCES};

}  // namespace

int ToolbarImageOf(int command) {
  const auto it = std::find(kToolbarCommands.begin(), kToolbarCommands.end(), command);
  return it == kToolbarCommands.end() ? -1 : static_cast<int>(it - kToolbarCommands.begin());
}

ToolbarLayout DefaultToolbarLayout() {
  ToolbarLayout layout;
  for (int image = 0; image < kToolbarImageCount; ++image) {
    layout.push_back(image);
    if (std::ranges::find(kGroupEnds, kToolbarCommands[image]) != std::end(kGroupEnds))
      layout.push_back(kToolbarSeparator);
  }
  return layout;
}

ToolbarLayout ParseToolbarLayout(TextView value) {
  ToolbarLayout layout;
  std::size_t at = 0;
  while (at < value.size()) {
    const std::size_t end = std::min(value.find(u' ', at), value.size());
    const TextView token = value.substr(at, end - at);
    at = end + 1;
    if (token.empty() || !std::ranges::all_of(token, IsAsciiDigit)) continue;
    const TextView digits = token.substr(std::min(token.find_first_not_of(u'0'), token.size() - 1));
    if (digits.size() > 2) continue;  // out of range, whatever its value
    int number = 0;
    for (char16_t c : digits) number = number * 10 + (c - u'0');
    const bool duplicate = number < kToolbarImageCount && std::ranges::find(layout, number) != layout.end();
    if (number <= kToolbarSeparator && !duplicate) layout.push_back(number);
  }
  return layout;
}

Text FormatToolbarLayout(const ToolbarLayout& layout) {
  Text text;
  for (int entry : layout) {
    const Text number = AsciiToText(std::to_string(entry));
    const std::size_t length = text.size() + (text.empty() ? 0 : 1) + number.size();
    if (length > kMaxLayoutUnits) break;
    if (!text.empty()) text += u' ';
    text += number;
  }
  return text;
}

ToolbarLayout ReadToolbarLayout(Profile& profile) {
  const std::optional<Text> value = profile.ReadString(kOptionsSection, kLayoutKey);
  return value ? ParseToolbarLayout(*value) : DefaultToolbarLayout();
}

bool WriteToolbarLayout(Profile& profile, const ToolbarLayout& layout) {
  return profile.WriteString(kOptionsSection, kLayoutKey, FormatToolbarLayout(layout));
}

bool HasToolbarLayout(Profile& profile) { return profile.ReadString(kOptionsSection, kLayoutKey).has_value(); }

bool DeleteToolbarLayout(Profile& profile) { return profile.DeleteKey(kOptionsSection, kLayoutKey); }

}  // namespace wayloom
