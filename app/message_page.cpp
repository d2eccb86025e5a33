#include "app/pages.h"

#include "app/latin1_text.h"
#include "app/page_footer.h"

namespace {

// The message page; %message% stands where the message goes.
constexpr auto kMessagePage = ToLatin1(u8R"(<html>

<head>
<title>Brightloom - TALLYHOUSE</title>
<meta http-equiv="Content-Type" content="text/html; charset=ISO-8859-1">
</head>

<body bgcolor="#FFFFFF">
<div align="center"><center>

<table border="1" width="550" cellspacing="0" cellpadding="0" bordercolor="#808080">
  <tr>
    <td width="100%" bgcolor="#004080"><p align="right"><font face="Arial" color="#FFFFFF"><strong><big><big><big>Brightloom
    Tallyhouse</big></big></big><br>
    <small>Message</small></strong></font></td>
  </tr>
</table>
</center></div>

<p align="center"><font face="Arial"><small><strong>%message%</strong></small></font></p>

)") + kPageFooter;

}  // namespace

std::string_view MessagePageTemplate() { return kMessagePage.View(); }
