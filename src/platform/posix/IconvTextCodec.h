// Code page conversions on POSIX systems, through the C library's iconv. Windows code
// page numbers are mapped to iconv names ("CP1252", "CP950", "UTF-8", "ISO-8859-1" ...).
#pragma once

#include <string>

#include "platform/TextCodec.h"

namespace wayloom {

class IconvTextCodec : public TextCodec {
 public:
  // There is no system ("ANSI") code page on POSIX: the program's user interface is
  // Traditional Chinese, so ANSI means Big5 (950), as on the Windows systems it is made
  // for. The command-line tool lets the user choose another (--codepage).
  static constexpr unsigned kDefaultSystemCodePage = 950;

  // systemCodePage 0 chooses kDefaultSystemCodePage.
  explicit IconvTextCodec(unsigned systemCodePage);

  unsigned SystemCodePage() const override { return systemCodePage_; }
  bool IsAvailable(unsigned codePage) const override;
  Text Decode(std::string_view bytes, unsigned codePage) const override;
  std::string Encode(TextView text, unsigned codePage) const override;

 private:
  struct Resolution {
    std::string name;
    bool asciiRuns;  // ASCII stands for itself and needs no iconv call
  };
  // The iconv name to convert codePage with: the code page itself when available, else the
  // system code page, else Big5, else Latin-1 (which iconv always has).
  const Resolution& Resolve(unsigned codePage) const;

  unsigned systemCodePage_;
};

// The iconv name of a Windows code page number.
std::string IconvCodePageName(unsigned codePage);

}  // namespace wayloom
