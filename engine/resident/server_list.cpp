// Locked accesses to the server list, each retried the number of times the hand-over allows.
#include "engine/resident/server_list.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>

#include "engine/resident/cgi_server_files.h"
#include "platform/text/ascii_text.h"
#include "engine/resident/locked_file.h"
#include "platform/os/file_descriptor.h"
#include "platform/os/open_file.h"

namespace tallyhouse::engine {

using namespace tallyhouse::platform;

namespace {

constexpr int Attempts = 11;

bool SameName(const std::string& a, const std::string& b) { return UpperCase(a) == UpperCase(b); }

bool ListExists(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0;
}

}  // namespace

TRequestState ReadRequestState(const std::string& listPath, const std::string& requestName) {
    if (!ListExists(listPath)) return TRequestState::NoServerList;
    if (auto list = TLockedFile::Open(listPath, TLockedFile::Access::Read, Attempts, 100)) {
        for (const TServerRecord& record : DecodeServerList(list->ReadAll()))
            if (SameName(record.RequestName, requestName))
                return record.State == srsWaiting ? TRequestState::Waiting : TRequestState::Taken;
        return TRequestState::Done;
    }
    if (!ListExists(listPath)) return TRequestState::NoServerList;
    if (FileAgeSeconds(listPath) > StaleServerListSeconds) unlink(listPath.c_str());
    return TRequestState::Unreadable;
}

bool AppendRequestRecord(const std::string& listPath, const std::function<std::string()>& writeRequest) {
    auto list = TLockedFile::Open(listPath, TLockedFile::Access::ReadWrite, Attempts, 50);
    if (!list) return false;
    TServerRecord record;
    record.RequestName = UpperCase(writeRequest());
    record.TimeStamp = LocalDateTimeNow();
    const std::size_t whole = list->ReadAll().size() / TServerRecord::Size * TServerRecord::Size;
    list->WriteAt(static_cast<long>(whole), record.Encode());
    list->Touch();
    return true;
}

std::optional<TServerRecord> TakeNextRecord(const std::string& listPath, bool (*OwnsRecord)(const std::string&)) {
    if (!ListExists(listPath)) return std::nullopt;
    auto list = TLockedFile::Open(listPath, TLockedFile::Access::ReadWrite, Attempts, 100);
    if (!list) return std::nullopt;
    const std::vector<TServerRecord> records = DecodeServerList(list->ReadAll());
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (records[i].State != srsWaiting) continue;
        TServerRecord taken = records[i];
        if (OwnsRecord(taken.RequestName)) {
            taken.State = srsTaken;
            list->WriteAt(static_cast<long>(i * TServerRecord::Size), taken.Encode());
        }
        return records[i];
    }
    list->Touch();
    return std::nullopt;
}

void RemoveRequestRecords(const std::string& listPath, const std::string& requestName) {
    if (!ListExists(listPath)) return;
    auto list = TLockedFile::Open(listPath, TLockedFile::Access::ReadWrite, Attempts, 50);
    if (!list) return;
    std::vector<TServerRecord> kept;
    for (const TServerRecord& record : DecodeServerList(list->ReadAll()))
        if (record.State < srsDone && !SameName(record.RequestName, requestName)) kept.push_back(record);
    list->Rewrite(EncodeServerList(kept));
    list->Touch();
}

bool CreateEmptyServerList(const std::string& listPath) {
    const TFileDescriptor list = TryOpenFile(listPath, {.Access = O_WRONLY | O_CREAT | O_TRUNC, .CreationMode = 0644});
    if (!list.IsOpen()) return false;
    futimens(list.Get(), nullptr);
    return true;
}

void CreateServerListIfMissing(const std::string& listPath) {
    const TFileDescriptor created = TryOpenFile(listPath, {.Access = O_WRONLY | O_CREAT | O_EXCL, .CreationMode = 0644});
}

double FileAgeSeconds(const std::string& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) return -1;
    using namespace std::chrono;
    const auto now = duration_cast<nanoseconds>(system_clock::now().time_since_epoch()).count();
    const auto date = static_cast<long long>(info.st_mtim.tv_sec) * 1000000000LL + info.st_mtim.tv_nsec;
    return static_cast<double>(now - date) / 1e9;
}

}  // namespace tallyhouse::engine
