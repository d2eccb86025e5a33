#include "app/pages.h"

#include "app/latin1_text.h"

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

<hr width="550" size="1" color="#4E4E4E">

<p align="center"><font face="Arial"><small><strong>Copyright © 1999 Brightloom Software</strong></small><br>
<small>Brightloom Software, Lindenallee 14, 20259 Hamburg, Germany<br>
<a href="http://www.brightloom.example/">www.brightloom.example</a> - <a
href="mailto:tallyhouse@brightloom.example">tallyhouse@brightloom.example</a></small></font></p>

<p align="center">&nbsp;</p>
</body>
</html>)");

}  // namespace

std::string_view MessagePageTemplate() { return kMessagePage.View(); }
