// The installation's secret: random keys kept beside the program in "tallyhouse.secret",
// readable by its owner alone, made the first time something needs them. They sign the
// visitor ids the program issues and key the hashes of the one-answer records, so the same
// visitor gives the same record key in every process, and no one without the file can forge
// an id or tell an address from its record.
#pragma once

#include <optional>
#include <string>

#include "platform/os/keyed_hash.h"

namespace tallyhouse::app {

inline constexpr char kSecretFileName[] = "tallyhouse.secret";

struct TInstallationSecret {
    platform::THashKey SignKeys[2];
    platform::THashKey RecordKey;
};

// The secret of the program in folder (with its trailing separator), read or made once per
// process. Raises EFileError when it cannot be read or made, or is damaged (delete it to get
// a new one; issued ids and records made under the old one then count for nothing).
const TInstallationSecret& InstallationSecret(const std::string& folder);

// Reads the secret file, making it when missing; two processes doing so at once end up with
// the same one.
TInstallationSecret LoadOrMakeSecret(const std::string& path);

// A new secret as the file holds it: its keys in hexadecimal digits and a line break.
std::string NewSecretText();
// The secret of such a text; none when the text is not one.
std::optional<TInstallationSecret> SecretOfText(const std::string& text);

}  // namespace tallyhouse::app
