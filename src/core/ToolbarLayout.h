// The toolbar's buttons and their order as the "Toolbar Button" ini value keeps them: each
// entry is an image index 0..50 (the button of one command) or a separator.
#pragma once

#include <array>
#include <vector>

#include "core/CommandIds.h"
#include "core/Text.h"
#include "platform/Profile.h"

namespace wayloom {

constexpr int kToolbarImageCount = 51;
constexpr int kToolbarSeparator = 51;  // the value's number for a separator

// The command of each toolbar image: an image index is the button's position in this list.
extern const std::array<int, kToolbarImageCount> kToolbarCommands;
// The image of a command's button, or -1 when the command has none.
int ToolbarImageOf(int command);

using ToolbarLayout = std::vector<int>;  // image indices and kToolbarSeparator, in order

// Every button in command order, with a separator after each group (60 entries).
ToolbarLayout DefaultToolbarLayout();

// Numbers separated by spaces: 0..50 add that button unless it is already there, 51 adds
// a separator, anything else is passed over.
ToolbarLayout ParseToolbarLayout(TextView value);
// "%d " per entry without the last space; entries that would pass 253 characters are left out.
Text FormatToolbarLayout(const ToolbarLayout& layout);

// The key in "Options"; an absent key gives the default layout.
ToolbarLayout ReadToolbarLayout(Profile& profile);
bool WriteToolbarLayout(Profile& profile, const ToolbarLayout& layout);
bool HasToolbarLayout(Profile& profile);
bool DeleteToolbarLayout(Profile& profile);

}  // namespace wayloom
