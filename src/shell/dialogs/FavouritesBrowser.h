// Command 1002: the folder browser for a device's map folder, OK only where the folder holds
// the favourites file, with the box for the home and recent places; then the read.
#pragma once

#include "core/CommandContext.h"
#include "shell/DialogSupport.h"

namespace wayloom {

// What the browser remembers for the program's lifetime.
struct FavouritesChoice {
  Text lastFolder;
  bool includeHomeAndRecent = false;
};

// Asks about unsaved changes, runs the browser (frame: the command's) and opens the chosen
// folder's favourites. Cancel changes nothing.
void OpenFavouritesFromBrowser(CommandContext& context, DialogFrame frame, FavouritesChoice& choice);

}  // namespace wayloom
