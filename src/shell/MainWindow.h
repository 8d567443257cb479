// The main window: the table, the status bar and the menu around the document commands.
// Its window procedure only unpacks messages; the work is done by the portable commands.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "core/CommandIds.h"
#include "editing/Editor.h"
#include "platform/Profile.h"
#include "platform/TextCodec.h"
#include "platform/win32/Win32ClipboardStore.h"
#include "platform/win32/Win32Clock.h"
#include "platform/win32/Win32FileStore.h"
#include "platform/win32/WinInetHttpClient.h"
#include "shell/StatusBar.h"
#include "shell/TableView.h"
#include "shell/Win32Ui.h"

namespace wayloom {

constexpr int kMainResourceId = 500;  // icon, menu and accelerator table
constexpr int kWindowClassString = 14289;

struct MainWindowState {
  MainWindowState(Profile& profileStore, bool modern, Text startPath)
      : profile(profileStore),
        modernVisuals(modern),
        commandLinePath(std::move(startPath)),
        codec(MakeSystemTextCodec()),
        ui(table, statusBar),
        editor(ui, EditorServices{files, clock, codec.get(), nullptr, &http, &profile}),
        table(editor.doc, modern) {}

  Profile& profile;
  bool modernVisuals;
  Text commandLinePath;  // the file named on the command line, or empty

  Win32FileStore files;
  std::unique_ptr<TextCodec> codec;  // the system (ANSI) code page and the others
  Win32Clock clock;
  WinInetHttpClient http;
  StatusBar statusBar;
  Win32Ui ui;
  Editor editor;
  TableView table;
  std::unique_ptr<Win32ClipboardStore> clipboard;  // needs the window as its owner

  HWND window = nullptr;
  HMENU menu = nullptr;
  int recentItemsShown = 0;  // recent items now in the File menu
  // The numbers status part 1 shows now, so it is rewritten only when they change.
  long long shownFirst = -1, shownSelected = -1, shownRows = -1;
};

bool RegisterMainWindowClass(HINSTANCE instance);
HWND CreateMainWindow(HINSTANCE instance, MainWindowState& state, int x, int y, int width, int height);

}  // namespace wayloom
