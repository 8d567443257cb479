// The commands that change entries a row or a field at a time: add, insert and edit in
// place (editing/CellEdit.h), delete (1015), merge fields (1013) and clear fields (1016).
// Each is one undo step.
#pragma once

#include <optional>

#include "core/RowOperations.h"
#include "editing/CellEdit.h"

namespace wayloom {

// What the merge-fields dialog 6002 returns: the prefix and suffix choices and the text of
// the enabled edit (the text, or the first sequence number as digits).
enum class MergeField { Text, Sequence, Name };
struct MergeFieldsChoice {
  MergeField prefix = MergeField::Text;
  MergeField suffix = MergeField::Name;
  Text text;
};

// What the clear-fields dialog 6003 returns: its four check boxes.
struct ClearFieldsChoice {
  bool leadingNumber = false;   // 5100
  bool trailingNumber = false;  // 5101
  bool longitude = false;       // 5102
  bool latitude = false;        // 5103
};

// The merge-fields and clear-fields dialogs; nullopt is Cancel.
class FieldDialogs {
 public:
  virtual ~FieldDialogs() = default;
  virtual std::optional<MergeFieldsChoice> AskMergeFields() { return std::nullopt; }
  virtual std::optional<ClearFieldsChoice> AskClearFields() { return std::nullopt; }
};


// 1015: deletes the selected entries and selects the entry that took the first one's
// place. Cut (1017) runs it as its second half with cutting set (its own button and text).
void DeleteSelectedEntries(CommandContext& context, bool cutting = false);

// Whether the merge-fields dialog may close with OK: one of the pairs text + name,
// sequence + name, name + text, name + sequence, and a text that is not blank (for a
// sequence number: digits only, at most 9).
bool MergeFieldsAcceptable(const MergeFieldsChoice& choice);
// 1013: asks for the merge and builds the new names of the rows it covers.
void MergeFields(CommandContext& context, FieldDialogs& dialogs);
// The merge with the dialog's answer.
void ApplyMergeFields(CommandContext& context, const MergeFieldsChoice& choice);

// A name without its leading (or trailing) number, cleaned; the name itself when it has
// none, is digits only, or would be left blank.
Text WithoutLeadingNumber(TextView name);
Text WithoutTrailingNumber(TextView name);
// 1016: asks which fields to clear and clears them in the rows it covers.
void ClearFields(CommandContext& context, FieldDialogs& dialogs);
void ApplyClearFields(CommandContext& context, const ClearFieldsChoice& choice);

// The header menu's column commands.
// 1207: empties the longitude or latitude cell of every row but a pinned base row.
void ClearWholeColumn(CommandContext& context, int column);
// 1208: cuts every name holding "@" after its first character at its last "@".
void ClearColumnAddresses(CommandContext& context);
// 1203: longitude before latitude or after it.
void ToggleLngFirst(CommandContext& context);
// 1204, 1205: degrees-minutes-seconds or compass letters on or off, every coordinate
// rewritten in the new form.
void ToggleCoordinateForm(CommandContext& context, CoordinateSwitch which);

}  // namespace wayloom
