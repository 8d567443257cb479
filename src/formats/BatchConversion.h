// Converting every file of one folder in one run: all readable files into itineraries,
// or all itineraries into one chosen format. The user's document is never touched.
#pragma once

#include "core/CommandContext.h"

namespace wayloom {

constexpr int kConversionTargetCount = 15;
constexpr int kOv2ConversionTarget = 14;
constexpr int kConversionDone = 14460;  // the final report: "%d files converted"

struct ConversionChoice {
  bool toItn = true;
  int target = 0;    // position 0..14: kml, gpx, then csv, asc, poi, txt in ANSI, Unicode, UTF-8, then ov2
  Text lastFolder;
};

// The format index a target position writes (2, 3, 9..20, 22) and its extension.
int ConversionTargetFormat(int position);
TextView ConversionTargetExtension(int position);
// The target position of a format (-1 when the format is not a conversion target).
int ConversionTargetForFormat(int format);

struct ConversionResult {
  int converted = 0;
  int message = 0;  // the one message the run ended with (kConversionDone or an error)
};

// Runs the conversion of folder as the settings of doc say ("Check Name", "Lng First",
// compass letters); shows its progress, the overwrite question and exactly one final message
// through the context's Ui.
ConversionResult ConvertFolder(CommandContext& context, TextView folder, ConversionChoice& choice);

}  // namespace wayloom
