#include <gtest/gtest.h>

#include <sys/stat.h>

#include "app/installation_secret.h"
#include "app/visitor_id.h"
#include "platform/os/exception.h"
#include "tests/support/cgi_runner.h"

using namespace tallyhouse::platform;
using namespace tallyhouse::app;

using testsupport::ScratchDir;

TEST(VisitorId, OnlyIdsSignedWithThisInstallationsSecretCount) {
    ScratchDir dir, other;
    const std::string path = (dir.Path() / kSecretFileName).string();
    const TInstallationSecret secret = LoadOrMakeSecret(path);
    struct stat info {};
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    const TInstallationSecret again = LoadOrMakeSecret(path);
    EXPECT_EQ(again.RecordKey.k0, secret.RecordKey.k0) << "read, not made anew";

    const std::string id = NewVisitorId();
    ASSERT_EQ(id.size(), 32u);
    EXPECT_NE(NewVisitorId(), id);
    const std::string value = SignedVisitorId(id, secret);
    std::string changed = value;
    changed[3] = changed[3] == 'a' ? 'b' : 'a';
    const std::string foreign = SignedVisitorId(id, LoadOrMakeSecret((other.Path() / kSecretFileName).string()));
    const struct {
        const char* fault;
        std::string header;
        std::string id;
    } cases[] = {
        {"issued", "tallyhouse_visitor=" + value, id},
        {"among other cookies", "a=1; tallyhouse_visitor=" + value + "; b=2", id},
        {"quoted", "tallyhouse_visitor=\"" + value + "\"", id},
        {"a forged one before the issued one", "tallyhouse_visitor=" + foreign + "; tallyhouse_visitor=" + value, id},
        {"signed by another installation", "tallyhouse_visitor=" + foreign, ""},
        {"id changed", "tallyhouse_visitor=" + changed, ""},
        {"signature cut", "tallyhouse_visitor=" + value.substr(0, 60), ""},
        {"no signature", "tallyhouse_visitor=" + id, ""},
        {"upper case", "tallyhouse_visitor=" + std::string(65, 'A'), ""},
        {"other name", "tallyhouse_visitors=" + value, ""},
        {"huge", "tallyhouse_visitor=" + std::string(100000, 'a'), ""},
        {"none", "", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(IssuedVisitorId(c.header, secret), c.id) << c.fault;
}

TEST(VisitorId, ADamagedSecretIsAnError) {
    ScratchDir dir;
    dir.Write(kSecretFileName, "short\n");
    EXPECT_THROW(LoadOrMakeSecret((dir.Path() / kSecretFileName).string()), EFileError);
}
