// The parts that the help and message pages share: the banner above (its subtitle between its
// two pieces) and the foot with the rule, the copyright and the address.
#pragma once

#include "app/latin1_text.h"

namespace tallyhouse::app {

inline constexpr auto kBannerStart = ToLatin1(u8R"(<table border="1" width="550" cellspacing="0" cellpadding="0" bordercolor="#808080">
  <tr>
    <td width="100%" bgcolor="#004080"><p align="right"><font face="Arial" color="#FFFFFF"><strong><big><big><big>Brightloom
    Tallyhouse</big></big></big><br>
    <small>)");
inline constexpr auto kBannerEnd = ToLatin1(u8R"(</small></strong></font></td>
  </tr>
</table>)");

inline constexpr auto kPageFooter = ToLatin1(u8R"(<hr width="550" size="1" color="#4E4E4E">

<p align="center"><font face="Arial"><small><strong>Copyright © 1999 Brightloom Software</strong></small><br>
<small>Brightloom Software, Lindenallee 14, 20259 Hamburg, Germany<br>
<a href="http://www.brightloom.example/">www.brightloom.example</a> - <a
href="mailto:tallyhouse@brightloom.example">tallyhouse@brightloom.example</a></small></font></p>

<p align="center">&nbsp;</p>
</body>
</html>)");

}  // namespace tallyhouse::app
