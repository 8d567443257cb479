// The document commands: new, open, save, save as, open a path, and the common
// read/write driver behind them.
#pragma once

#include <vector>

#include "core/CommandContext.h"

namespace wayloom {

// Reads or writes path in format. Messages go through the Ui with the document's file
// title; results by mode: open replaces the table (and on failure leaves a new document),
// import appends, save clears modified, export changes nothing. True on success.
bool TransferFile(CommandContext& context, TransferMode mode, TextView path, int format);

void NewDocument(CommandContext& context);
// Asks before unsaved changes are lost; false means stop.
bool ConfirmDiscard(CommandContext& context);
void OpenDocument(CommandContext& context);
bool SaveDocument(CommandContext& context);
bool SaveDocumentAs(CommandContext& context);
// Opens path (the command line, a dropped file, a recent file).
bool OpenPath(CommandContext& context, TextView path);
// Opens the favourites file "MapSettings.cfg" of a device's map folder as a new, untitled
// itinerary, with the home and recent places when includeHomeAndRecent (the dialog's box).
bool OpenFavourites(CommandContext& context, TextView mapFolder, bool includeHomeAndRecent);
// The favourites file of a map folder (the folder browser accepts a folder that has it).
Text FavouritesPath(TextView mapFolder);
// Runs the file dialog of the mode and the transfer.
bool ChooseFile(CommandContext& context, TransferMode mode);
inline bool ImportFile(CommandContext& context) { return ChooseFile(context, TransferMode::Import); }
inline bool ExportFile(CommandContext& context) { return ChooseFile(context, TransferMode::Export); }
// Opens entry index of the recent list (commands 1100-1108).
bool OpenRecent(CommandContext& context, std::size_t index);
// Files dropped on the window: one file of a known extension is opened, anything else
// gets its message. Drops on the map pane are ignored.
void OpenDroppedFiles(CommandContext& context, const std::vector<Text>& paths, bool onMapPane);
// The automatic-save timer fired: a modified, non-empty document with a path is saved
// without any dialog.
void AutoSave(CommandContext& context);

// Puts path at the top of the recent list (while "Recent File" is on); an entry that is
// the same path without regard to case (as collation folds it; nullptr: ASCII letters)
// moves up instead of staying twice.
void AddRecentFile(Settings& settings, TextView path, const Collation* collation);

// The folders a recent path may start with, as the environment names them, and the
// system's major version (6 and later name the public documents differently).
struct ShellFolders {
  Text userProfile;      // %USERPROFILE%
  Text allUsersProfile;  // %ALLUSERSPROFILE%
  Text systemDrive;      // %SystemDrive%
  int majorVersion = 6;
};
// The File menu text of recent entry index: "&", the digit index + 1, a space and the
// path, with a leading desktop or documents folder shown by its localised name
// ("&1 桌面\trip.itn"). Shortening to the menu's width is the window's.
Text RecentMenuText(std::size_t index, TextView path, const ShellFolders& folders);
// The path alone as the recent items show it ("桌面\trip.itn"), for the folder browsers' status lines.
Text DisplayPath(TextView path, const ShellFolders& folders);
// A recent item is greyed when its path is missing or is a folder.
bool RecentItemEnabled(FileStore& files, TextView path);

// The entry limit of the navigation device that the ITN save warns about.
constexpr int kItnEntryLimit = 48;

}  // namespace wayloom
