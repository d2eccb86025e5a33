// The texts the poll application answers with: the message page and help page templates,
// the redirect page and the messages.
#pragma once

#include <string>
#include <string_view>

// Templates, lines separated by LF; the template filter ends each line with CR LF.
std::string_view MessagePageTemplate();  // tag %message%
std::string_view HelpPageTemplate();     // tag %version%

inline constexpr std::string_view kVersionText = "Version 1.00s - 05/29/1999";
inline constexpr std::string_view kLockedMessage = "TALLYHOUSE is locked by key. Access denied !";
inline constexpr std::string_view kSavedMessage =
    "Data saved correctly !<br>Use the parameter BACKURL to specify any HTML-document in the WWW<br>"
    "that should return after saving.";

// When the database that keeps the answers cannot be reached.
inline constexpr std::string_view kAnswersNotSavedMessage =
    "Your answers could not be saved: the poll's database cannot be reached. Please try again later.";
inline constexpr std::string_view kPollUnavailableMessage =
    "The poll cannot be shown now: the poll's database cannot be reached. Please try again later.";

// Charts are drawn at most this many pixels wide and high.
inline constexpr int kMaxChartSize = 4096;
inline constexpr std::string_view kChartSizeMessage =
    "Chart width and height must lie between 1 and 4096 pixels !";

inline constexpr std::string_view kFormatMessage = "The parameter format must be gif, json or csv !";
inline constexpr std::string_view kAnswersMessage =
    "The parameter answers must list 1 to 1000 different answers, separated by | "
    "(within an answer \\| stands for | and \\\\ for \\) !";

// Pollfile "<name>"not found ! with the name made safe for HTML.
std::string NotFoundMessage(std::string_view pollName);

// The page that sends the browser on to backurl (made safe for HTML).
std::string RedirectPage(std::string_view backurl);
