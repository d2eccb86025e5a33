// The foot that the help and message pages share: the rule, the copyright and the address.
#pragma once

#include "app/latin1_text.h"

inline constexpr auto kPageFooter = ToLatin1(u8R"(<hr width="550" size="1" color="#4E4E4E">

<p align="center"><font face="Arial"><small><strong>Copyright © 1999 Brightloom Software</strong></small><br>
<small>Brightloom Software, Lindenallee 14, 20259 Hamburg, Germany<br>
<a href="http://www.brightloom.example/">www.brightloom.example</a> - <a
href="mailto:tallyhouse@brightloom.example">tallyhouse@brightloom.example</a></small></font></p>

<p align="center">&nbsp;</p>
</body>
</html>)");
