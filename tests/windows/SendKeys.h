// Key presses as a user makes them, through the system's input queue (SendInput): the
// window tests and WindowProbe drive the program with these.
#pragma once

#include <windows.h>

#include <initializer_list>
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

}  // namespace wayloom::testing
