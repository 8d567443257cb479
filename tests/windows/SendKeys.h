// Key presses as a user makes them, through the system's input queue (SendInput): the
// window tests and WindowProbe drive the program with these.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <utility>
#include <vector>

namespace wayloom::testing {

// One key with its modifiers held (VK_CONTROL, VK_MENU, VK_SHIFT).
inline void PressKey(WORD key, std::initializer_list<WORD> modifiers = {}) {
  std::vector<INPUT> inputs;
  auto add = [&inputs](WORD vk, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    inputs.push_back(input);
  };
  for (WORD m : modifiers) add(m, false);
  add(key, false);
  add(key, true);
  for (WORD m : modifiers) add(m, true);
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

// Alt+key in a dialog. Under Wine, releasing Alt after Alt+key enters the window's menu
// mode and swallows the next key; a Shift tap while Alt is held prevents that.
inline void PressAltKey(WORD key) {
  std::vector<INPUT> inputs;
  for (auto [vk, up] : {std::pair<WORD, bool>{VK_MENU, false}, {key, false}, {key, true}, {VK_SHIFT, false},
                        {VK_SHIFT, true}, {VK_MENU, true}}) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    inputs.push_back(input);
  }
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

}  // namespace wayloom::testing
