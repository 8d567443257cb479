// Command 1007: the folder browser of the batch conversion (520 by 520) with the choice
// between converting into itineraries and converting itineraries into one of the targets;
// then the run.
#pragma once

#include "core/CommandContext.h"
#include "formats/BatchConversion.h"
#include "shell/DialogSupport.h"

namespace wayloom {

// Runs the browser (frame: the command's) and converts the chosen folder. Cancel changes
// nothing.
void ConvertFolderFromBrowser(CommandContext& context, DialogFrame frame, ConversionChoice& choice);

}  // namespace wayloom
