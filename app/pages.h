// The texts the poll application answers with: the message page and help page templates,
// the redirect page and the messages.
#pragma once

#include <string>
#include <string_view>

namespace tallyhouse::app {

// Templates, lines separated by LF; the template filter ends each line with CR LF.
std::string_view MessagePageTemplate();  // tag %message%
std::string_view HelpPageTemplate();     // tag %version%

inline constexpr char kBadRequest[] = "400 Bad Request";
inline constexpr char kForbidden[] = "403 Forbidden";

inline constexpr std::string_view kVersionText = "Version 1.00s - 05/29/1999";
inline constexpr std::string_view kLockedMessage = "TALLYHOUSE is locked by key. Access denied !";
inline constexpr std::string_view kPollFolderFullMessage =
    "TALLYHOUSE holds as many polls as it may. No new poll was created and nothing was saved !";
// A poll file stayed locked by another process for longer than an answer or a view waits.
inline constexpr std::string_view kBusyMessage = "The poll is busy. Please try again in a moment !";
inline constexpr std::string_view kSavedMessage =
    "Data saved correctly !<br>Use the parameter BACKURL to specify any HTML-document in the WWW<br>"
    "that should return after saving.";
inline constexpr std::string_view kNoPollMessage =
    "No answer was recorded: the request names no poll (the name of a poll field ends in .pol) !";
inline constexpr std::string_view kClosedMessage = "This poll is closed: no answer was recorded !";
inline constexpr std::string_view kRepeatMessage = "You have answered before: your answer was not counted again !";
inline constexpr std::string_view kOthersSavedMessage = "<br>Your answers to the other questions were saved.";

// When the database that keeps the answers cannot be reached: nothing of the request was
// recorded, and no result can be shown.
inline constexpr std::string_view kStoreUnavailableMessage =
    "The poll's database cannot be reached now: nothing was recorded and no result can be shown. "
    "Please try again later !";

// Charts are drawn at most this many pixels wide and high (times the scale of a raster).
inline constexpr int kMaxChartSize = 4096;
inline constexpr std::string_view kChartSizeMessage =
    "Chart width and height must lie between 1 and 4096 pixels !";

inline constexpr std::string_view kFormatMessage = "The parameter format must be gif, png, svg, json or csv !";
inline constexpr std::string_view kScaleMessage = "The parameter scale must be 1, 2, 3 or 4 !";
inline constexpr std::string_view kCircledMessage = "The parameter circled must be yes or no !";
inline constexpr std::string_view kColorMessage =
    "A colour must be a palette number or # with six hexadecimal digits (#RRGGBB) !";
inline constexpr std::string_view kAnswersMessage =
    "The parameter answers must list 1 to 1000 different answers, separated by | "
    "(within an answer \\| stands for | and \\\\ for \\) !";

// Pollfile "<name>"not found ! with the name made safe for HTML.
std::string NotFoundMessage(std::string_view pollName);

// The page that sends the browser on to backurl (made safe for HTML).
std::string RedirectPage(std::string_view backurl);
// A link on to backurl (made safe for HTML) below a message.
std::string OnwardLink(std::string_view backurl);

}  // namespace tallyhouse::app
