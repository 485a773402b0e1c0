// Installing a game as one job against the simulated phone: the first step that fails ends the
// install, so the game keeps its settings when its files did not arrive; what the report says.

#include "phone/java_install.h"

#include <gtest/gtest.h>

#include "phone/java_app.h"
#include "tests/link/phone_fixture.h"

namespace {

TEST_F(PhoneTest, AnInstallStopsAtItsFirstFailedStep) {
    const std::string games = "/AppEx/User/Java/Games/", jar = pattern(1500, 3), old = "old";
    const auto phonePath = [&](const std::string& p) {
        return str::from_utf8((games + p).c_str());
    };
    java_install plan;
    plan.gamesFolder = phonePath("");
    plan.folder = phonePath("G/");
    plan.jarPc = pc_str(pc_root.file("/G.jar"));
    plan.jarPhone = phonePath("G/G.jar");
    plan.jadPc = pc_str(pc_root.file("/G.jad"));
    plan.jadPhone = phonePath("G/G.jad");
    plan.settings = phonePath("G/appdb/settings.bin");
    const struct {
        std::vector<std::string> faults;
        const char* failedStep; // empty: done
        bool jarWritten, settingsKept;
    } cases[] = {
        {{}, "", true, false},
        // 1,500 bytes take three chunks: the first, or the .jad's, is refused.
        {{"writefail=1"}, "G/G.jar", false, true},
        {{"writefail=4"}, "G/G.jad", true, true},
        {{"silent=2"}, "G/G.jar", false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.failedStep);
        phone.stop();
        write_bytes(phone_root.file(games + "G/G.jar"), "old jar");
        write_bytes(phone_root.file(games + "G/appdb/settings.bin"), old);
        fs::remove(phone_root.file(games + "G/G.jad"));
        write_bytes(pc_root.file("/G.jar"), jar);
        write_bytes(pc_root.file("/G.jad"), "MIDlet-Name: G\r\n");
        connectPhone(c.faults);
        if (HasFatalFailure() || IsSkipped())
            return;
        ASSERT_TRUE(link.addJob(new InstallGameCommand(plan)));
        ASSERT_TRUE(wait_for_jobs(link));
        std::vector<job_report> reports = link.takeReports();
        std::erase_if(reports, [](const job_report& r) { return r.kind != job_kind::install; });
        ASSERT_EQ(reports.size(), 1u);
        EXPECT_EQ(reports[0].end, *c.failedStep ? job_end::failed : job_end::done);
        EXPECT_EQ(reports[0].failedItem.to_utf8(), *c.failedStep ? games + c.failedStep : "");
        EXPECT_EQ(reports[0].phonePath.to_utf8(), games + "G/");
        EXPECT_EQ(reports[0].changedFolder.to_utf8(), games);
        EXPECT_EQ(read_bytes(phone_root.file(games + "G/G.jar")) == jar, c.jarWritten);
        EXPECT_EQ(fs::exists(phone_root.file(games + "G/appdb/settings.bin")), c.settingsKept);
    }
}

} // namespace
