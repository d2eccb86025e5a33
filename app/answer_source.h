// Where the operator takes answers from: only forms sent by POST, and only pages of the sites
// listed, when the settings say so.
#pragma once

#include "engine/settings/operator_settings.h"

namespace tallyhouse::app {

// Raises ERequestRefused (405 or 403) for an add request the settings do not take; nothing of
// it may be recorded then.
void RefuseAnswerSource(const engine::TOperatorSettings& settings);

}  // namespace tallyhouse::app
