// The main window: the table under its header, the in-place editor, the status bar and the
// menus around the portable commands. Its window procedure only unpacks messages; the work
// is done by the portable commands.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "core/CommandIds.h"
#include "editing/Editor.h"
#include "platform/Profile.h"
#include "platform/TextCodec.h"
#include "platform/win32/Win32ClipboardStore.h"
#include "platform/win32/Win32Clock.h"
#include "platform/win32/Win32FileStore.h"
#include "platform/win32/WinInetHttpClient.h"
#include "shell/InPlaceEditor.h"
#include "shell/MapPane.h"
#include "shell/StatusBar.h"
#include "shell/TableView.h"
#include "shell/Toolbar.h"
#include "shell/Win32Ui.h"
#include "shell/dialogs/ConversionBrowser.h"
#include "shell/dialogs/FavouritesBrowser.h"

namespace wayloom {

constexpr int kMainResourceId = 500;      // icon, menu and accelerator table
constexpr int kContextMenusId = 10000;    // the Toolbar, Header and List View pop-ups
constexpr int kWindowClassString = 14289;

struct MainWindowState;
// Shows what a command changed: the table, the recent files, the editor's place.
void AfterCommand(MainWindowState& state);

struct MainWindowState {
  MainWindowState(Profile& profileStore, bool modern, Text startPath)
      : profile(profileStore),
        modernVisuals(modern),
        commandLinePath(std::move(startPath)),
        codec(MakeSystemTextCodec()),
        ui(table, statusBar, toolbar),
        editor(ui, EditorServices{files, clock, codec.get(), nullptr, &http, &profile}),
        table(editor.doc, modern),
        cellEditor(editor, [this] { AfterCommand(*this); }) {}

  Profile& profile;
  bool modernVisuals;
  Text commandLinePath;  // the file named on the command line, or empty

  Win32FileStore files;
  std::unique_ptr<TextCodec> codec;  // the system (ANSI) code page and the others
  Win32Clock clock;
  WinInetHttpClient http;
  StatusBar statusBar;
  Toolbar toolbar;
  Win32Ui ui;
  Editor editor;
  TableView table;
  InPlaceEditor cellEditor;
  // The map: the pane with its browser, and the bridge to its page (the document's map).
  MapPaneWindow mapPane{*this};
  ScriptBridge bridge{editor.context, editor.cellEditor, mapPane};
  Text mapTempFile;    // the map page's file, chosen at start
  Text earthTempFile;  // the Google Earth file; empty when Google Earth is not installed
  bool selectHoldOff = false;           // a selection push waits for its timer
  bool statusRefreshSuspended = false;  // the timer leaves the status bar alone
  bool oleReady = false;                // OleInitialize succeeded at creation
  std::unique_ptr<Win32ClipboardStore> clipboard;  // needs the window as its owner

  HWND window = nullptr;
  HMENU menu = nullptr;          // menu 500, attached or not
  HMENU contextMenus = nullptr;  // menu 10000
  std::vector<HBITMAP> menuImages;  // the toolbar images on menu items
  HFONT tableFont = nullptr;        // the table's own font, once one was chosen
  int recentItemsShown = 0;      // recent items now in the File menu
  int headerColumn = -1;         // the column title last right-clicked
  LPARAM commandParameter = 0;   // lParam of the command being run (1201, 1202)
  bool deviceServiceInstalled = false;
  // The folder browsers' folders and choices, kept for the program's lifetime.
  FavouritesChoice favourites;
  ConversionChoice conversion;
  // What status parts 1 and 2 show now, so they are rewritten only when it changes.
  long long shownCurrent = -1, shownSelected = -1, shownRows = -1;
  int shownMinute = -1;
  wchar_t shownSeparator = 0;
};

// Modal dialogs and message boxes open now, the check run's modal scans included.
inline int ModalDepth(const MainWindowState& state) { return OpenModalCount() + state.editor.checks.modalDepth; }

bool RegisterMainWindowClass(HINSTANCE instance);
HWND CreateMainWindow(HINSTANCE instance, MainWindowState& state, int x, int y, int width, int height);
// Lays the children out (command 1201).
void Relayout(MainWindowState& state);
// The message loop's rules before dispatch: the wheel goes to the table, the keys of the
// command table apply while no cell is being edited. True when the message was taken.
bool TranslateMainWindowMessage(MainWindowState& state, HACCEL accelerators, MSG& message);

// Commands of the window itself.
void ToggleMenuBar(MainWindowState& state);
void ToggleToolbar(MainWindowState& state);
// 1050-1053: the toolbar's size, wrapping, colour and buttons.
void ToolbarCommand(MainWindowState& state, int command);
void ToggleStatusBar(MainWindowState& state);
void OpenWebLink(MainWindowState& state, int command);
void ShowAboutBox(MainWindowState& state);
// 1057: the preferences dialog, its changes applied through the commands they belong to.
void ShowPreferences(MainWindowState& state);

}  // namespace wayloom
