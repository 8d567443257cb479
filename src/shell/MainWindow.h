// The main window: the table, the status bar and the menu around the document commands.
// Its window procedure only unpacks messages; the work is done by the portable commands.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "core/DocumentState.h"
#include "editing/DocumentCommands.h"
#include "platform/Profile.h"
#include "platform/TextCodec.h"
#include "platform/win32/Win32ClipboardStore.h"
#include "platform/win32/Win32FileStore.h"
#include "platform/win32/WinInetHttpClient.h"
#include "shell/StatusBar.h"
#include "shell/TableView.h"
#include "shell/Win32Ui.h"

namespace wayloom {

// Command numbers of the menu, the accelerators and the start-up messages.
enum MainCommand : int {
  kNewCommand = 1000,
  kOpenCommand = 1001,
  kSaveCommand = 1003,
  kSaveAsCommand = 1004,
  kImportCommand = 1005,
  kExportCommand = 1006,
  kExitCommand = 1008,
  kOpenLastCommand = 1100,  // recent entries 1100-1108
  kLastRecentCommand = 1108,
  kOpenCommandLineCommand = 1200,
};

constexpr int kMainResourceId = 500;  // icon, menu and accelerator table
constexpr int kWindowClassString = 14289;

struct MainWindowState {
  MainWindowState(Profile& profileStore, bool modern, Text startPath)
      : profile(profileStore),
        modernVisuals(modern),
        commandLinePath(std::move(startPath)),
        codec(MakeSystemTextCodec()),
        table(doc, modern),
        ui(table, statusBar),
        commands{doc, ui, files, codec.get()} {
    commands.http = &http;
    commands.profile = &profile;
  }

  Profile& profile;
  bool modernVisuals;
  Text commandLinePath;  // the file named on the command line, or empty

  DocumentState doc;
  Win32FileStore files;
  std::unique_ptr<TextCodec> codec;  // the system (ANSI) code page and the others
  TableView table;
  StatusBar statusBar;
  Win32Ui ui;
  WinInetHttpClient http;
  std::unique_ptr<Win32ClipboardStore> clipboard;  // needs the window as its owner
  CommandContext commands;

  HWND window = nullptr;
  HMENU menu = nullptr;
  int recentItemsShown = 0;  // recent items now in the File menu
  // The numbers status part 1 shows now, so it is rewritten only when they change.
  long long shownFirst = -1, shownSelected = -1, shownRows = -1;
};

bool RegisterMainWindowClass(HINSTANCE instance);
HWND CreateMainWindow(HINSTANCE instance, MainWindowState& state, int x, int y, int width, int height);

}  // namespace wayloom
