#include "app/pages.h"

#include "app/latin1_text.h"
#include "app/page_parts.h"

namespace tallyhouse::app {

namespace {

// The message page; %message% stands where the message goes.
constexpr auto kMessagePage = ToLatin1(u8R"(<html>

<head>
<title>Brightloom - TALLYHOUSE</title>
<meta http-equiv="Content-Type" content="text/html; charset=ISO-8859-1">
</head>

<body bgcolor="#FFFFFF">
<div align="center"><center>

)") + kBannerStart + ToLatin1(u8"Message") + kBannerEnd + ToLatin1(u8R"(
</center></div>

<p align="center"><font face="Arial"><small><strong>%message%</strong></small></font></p>

)") + kPageFooter;

}  // namespace

std::string_view MessagePageTemplate() { return kMessagePage.View(); }

}  // namespace tallyhouse::app
