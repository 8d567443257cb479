// The map pane at the right of the main window ("IEPane"): the browser's window, the 6-pixel
// splitter left of it (hover, drag, double-click to close), its place in the layout, and the
// map commands around it: show the map (1045), Google Earth (1046) and the address lookup's
// frame (1022).
#pragma once

#include <windows.h>

#include <optional>

#include "map/ScriptBridge.h"
#include "shell/BrowserSite.h"

namespace wayloom {

struct MainWindowState;

// The main window's timers of the map: splitter hover, selection push and close delay.
constexpr UINT_PTR kSplitterHoverTimer = 8;
constexpr UINT_PTR kSelectionTimer = 9;
constexpr UINT_PTR kCloseDelayTimer = 11;

class MapPaneWindow : public MapPane {
 public:
  explicit MapPaneWindow(MainWindowState& state) : state_(state) {}
  ~MapPaneWindow() override;

  static bool RegisterWindowClass(HINSTANCE instance);
  // The hidden pane, a child of the main window.
  bool Create(HWND parent, HINSTANCE instance);
  HWND Handle() const { return pane_; }
  BrowserSite& Browser() { return site_; }

  // MapPane (what the bridge asks of the window).
  bool PaneVisible() const override { return pane_ && IsWindowVisible(pane_); }
  void ClosePane() override;
  void RestoreStatusText() override;
  void ShowHint(TextView text) override;

  // Shows the pane (empty when no page was loaded), laid out with the table.
  void Show();
  // Places the visible pane right of the table for the client width; y and height are the
  // table's area. Returns the table's width.
  int Place(int clientWidth, int y, int height);
  // The splitter between the table and the pane, painted on the main window.
  void PaintSplitter(HDC dc) const;
  bool Dragging() const { return dragging_; }
  // Mouse messages of the main window that belong to the splitter; nullopt for the others.
  std::optional<LRESULT> OnMainWindowMessage(UINT message, WPARAM wParam, LPARAM lParam);
  // Timer 8: false while the cursor is still over the splitter (the tick ends there).
  bool OnHoverTick();
  // The message loop hands keys typed in the page to the browser first.
  bool TranslatePageKeys(MSG& message);
  // Releases the browser (a failed map command, the end of the program).
  void ReleaseBrowser();

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void Paint();
  RECT SplitterRect() const;  // main-window client coordinates; empty while hidden
  bool OverSplitter(POINT client) const;
  bool CursorOverSplitter() const;
  void Hover(bool on);
  void MoveLeftEdge(int x);

  MainWindowState& state_;
  HWND pane_ = nullptr;
  BrowserSite site_;
  HACCEL pageKeys_ = nullptr;  // accelerator table 2000
  bool hovering_ = false;
  bool dragging_ = false;
  bool placed_ = false;  // the width from "IE Pane" was applied once
};

// 1045: the map page written to MapTempFile and shown in the pane.
void ShowMap(MainWindowState& state);
// 1046: the rows as a numbered KML file opened in Google Earth.
void ShowInEarth(MainWindowState& state);
// 1022: the address lookup with its button, cursor and map update around it.
void LookUpAddressesFramed(MainWindowState& state);
// MapTempFile and EarthTempFile at start (Google Earth installed or not).
void ChooseMapTempFiles(MainWindowState& state);
void DeleteMapTempFiles(MainWindowState& state);

}  // namespace wayloom
