#include "core/DocumentState.h"

#include "core/StringTable.h"

namespace wayloom {

Text WindowTitle(const Document& document) {
  Text title = document.title;
  if (document.modified) title += u'*';
  title += u" - ";
  title += LoadText(kProductNameString);
  return title;
}

}  // namespace wayloom
