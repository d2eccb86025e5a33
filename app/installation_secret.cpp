#include "app/installation_secret.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <mutex>

#include "platform/os/exception.h"
#include "platform/os/file_descriptor.h"
#include "platform/os/open_file.h"
#include "platform/os/random_bytes.h"
#include "platform/os/read_up_to.h"
#include "platform/os/write_all.h"

namespace tallyhouse::app {

using namespace tallyhouse::platform;

namespace {

constexpr size_t kKeys = 3;
constexpr size_t kTextSize = kKeys * 32 + 1;  // hexadecimal digits and a line break

[[noreturn]] void Fail(const std::string& what, const std::string& path) {
    throw EFileError(what + " \"" + path + "\": " + std::strerror(errno));
}

std::string HexText(const unsigned char* bytes, size_t size) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string text;
    for (size_t i = 0; i < size; ++i) {
        text += kHex[bytes[i] >> 4];
        text += kHex[bytes[i] & 0xF];
    }
    return text;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::uint64_t Word(const std::string& text, size_t at) {
    std::uint64_t word = 0;
    for (size_t i = at; i < at + 16; ++i) word = word << 4 | static_cast<std::uint64_t>(HexDigit(text[i]));
    return word;
}

// Written whole under a name of its own, then linked into place: a reader never sees half a
// secret, and of two processes making one at once the second link fails and both read the first.
void MakeSecret(const std::string& path) {
    const std::string text = NewSecretText();
    const std::string temporary = path + "." + std::to_string(getpid()) + ".new";
    const TFileDescriptor file = TryOpenFile(temporary, {.Access = O_WRONLY | O_CREAT | O_TRUNC, .CreationMode = 0600});
    if (!file.IsOpen()) Fail("Cannot make the secret file", temporary);
    const bool written = WriteAll(file.Get(), text.data(), text.size()) && fsync(file.Get()) == 0;
    const int writeError = errno;
    const int linkError = written && link(temporary.c_str(), path.c_str()) != 0 ? errno : 0;
    unlink(temporary.c_str());
    if (!written) {
        errno = writeError;
        Fail("Cannot write the secret file", temporary);
    }
    if (linkError != 0 && linkError != EEXIST) {
        errno = linkError;
        Fail("Cannot make the secret file", path);
    }
}

std::string ReadSecretText(const std::string& path) {
    const TFileDescriptor file = TryOpenFile(path, {.Access = O_RDONLY, .NonBlocking = true});
    if (!file.IsOpen()) Fail("Cannot read the secret file", path);
    std::string text(kTextSize + 1, '\0');
    const ssize_t got = ReadUpToAt(file.Get(), text.data(), text.size(), 0);
    if (got < 0) Fail("Cannot read the secret file", path);
    text.resize(static_cast<size_t>(got));
    return text;
}

}  // namespace

std::string NewSecretText() {
    unsigned char bytes[kKeys * 16];
    RandomBytes(bytes, sizeof bytes);
    return HexText(bytes, sizeof bytes) + "\n";
}

std::optional<TInstallationSecret> SecretOfText(const std::string& text) {
    bool valid = text.size() == kTextSize && text.back() == '\n';
    for (size_t i = 0; valid && i + 1 < text.size(); ++i) valid = HexDigit(text[i]) >= 0;
    if (!valid) return std::nullopt;
    TInstallationSecret secret;
    secret.SignKeys[0] = {Word(text, 0), Word(text, 16)};
    secret.SignKeys[1] = {Word(text, 32), Word(text, 48)};
    secret.RecordKey = {Word(text, 64), Word(text, 80)};
    return secret;
}

TInstallationSecret LoadOrMakeSecret(const std::string& path) {
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0) {
        if (errno != ENOENT) Fail("Cannot read the secret file", path);
        MakeSecret(path);
    }
    const std::optional<TInstallationSecret> secret = SecretOfText(ReadSecretText(path));
    if (!secret) {
        errno = EINVAL;
        Fail("The secret file is damaged (delete it to make a new one)", path);
    }
    return *secret;
}

const TInstallationSecret& InstallationSecret(const std::string& folder) {
    static std::mutex lock;
    static std::map<std::string, TInstallationSecret> secrets;
    const std::lock_guard<std::mutex> guard(lock);
    const auto found = secrets.find(folder);
    if (found != secrets.end()) return found->second;
    return secrets.emplace(folder, LoadOrMakeSecret(folder + kSecretFileName)).first->second;
}

}  // namespace tallyhouse::app
