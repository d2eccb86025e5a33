// What a view answer depends on, as one key: the program, the fonts, the poll (a built-in
// sample's name, or the identity of the poll's answers in the store) and every field of the
// request as it came, not only those a view reads today, so no parameter can be forgotten and no
// value can pass for an absent field. An answer added to a poll changes its identity, so a
// changed poll never has the key of an earlier chart. The view's entity tag is made from the key.
#pragma once

#include <optional>
#include <string>

#include "app/store/answer_store.h"

namespace tallyhouse::app {

// The poll part of the key for the request's "filename"; none when the name is neither a
// sample nor a poll of the store (the view then answers its message page).
std::optional<std::string> PollKey(const std::string& filename, TAnswerStore& store);
// The whole key: the program, the fonts, the poll key and every field of this request.
std::string ChartKey(const std::string& pollKey);
// The strong entity tag of a key: a quoted hash.
std::string EntityTag(const std::string& key);
// True when an If-None-Match header names the tag: in its list (a weak W/ tag counts, as the
// comparison for If-None-Match is the weak one), or "*".
bool IfNoneMatchHas(const std::string& header, const std::string& tag);

}  // namespace tallyhouse::app
