// Installing a game as one job against the simulated phone: the steps in order, the first failed
// one ending the install (so the game's settings stay when its files did not arrive), and what
// the report says.

#include "phone/java_install.h"

#include <gtest/gtest.h>

#include "phone/java_app.h"
#include "tests/link/phone_fixture.h"

namespace {

constexpr const char* games = "/AppEx/User/Java/Games/";

class InstallGame : public PhoneTest {
protected:
    // The plan for game `name` from PC files drop/<name>.jar (and .jad when `withJad`).
    java_install plan(const std::string& name, bool withJad, bool makeFolder) {
        java_install p;
        p.gamesFolder = str::from_utf8(games);
        p.folder = str::from_utf8((std::string(games) + name + "/").c_str());
        p.makeFolder = makeFolder;
        p.jarPc = pc_str(pc_root.file("/drop/" + name + ".jar"));
        p.jarPhone = str::from_utf8((std::string(games) + name + "/" + name + ".jar").c_str());
        if (withJad) {
            p.jadPc = pc_str(pc_root.file("/drop/" + name + ".jad"));
            p.jadPhone = str::from_utf8((std::string(games) + name + "/" + name + ".jad").c_str());
        }
        p.settings = str::from_utf8((std::string(games) + name + "/appdb/settings.bin").c_str());
        return p;
    }
    std::string onPhone(const std::string& name) {
        return read_bytes(phone_root.file(std::string(games) + name));
    }
    bool existsOnPhone(const std::string& name) {
        return fs::exists(phone_root.file(std::string(games) + name));
    }
};

TEST_F(InstallGame, StepsInOrderAndTheFirstFailureEndsTheInstall) {
    const std::string jar = pattern(1500, 3), jad = "MIDlet-Name: G\r\n", old = "old settings";
    struct {
        const char* what;
        std::vector<std::string> faults;
        bool folderThere; // with an old .jar and settings file
        bool withJad;
        bool jarOnPc;
        job_end end;
        const char* failedStep; // below the games folder
        bool jarWritten, jadWritten, settingsKept;
        unsigned files;
    } cases[] = {
        {"a new game", {}, false, true, true, job_end::done, "", true, true, false, 2},
        {"over a listed game", {}, true, true, true, job_end::done, "", true, true, false, 2},
        {"no .jad", {}, true, false, true, job_end::done, "", true, false, false, 1},
        // 1,500 bytes take three chunks: the first is refused.
        {"the .jar is refused",
         {"writefail=1"},
         true,
         true,
         true,
         job_end::failed,
         "G/G.jar",
         false,
         false,
         true,
         0},
        {"the .jad is refused",
         {"writefail=4"},
         true,
         true,
         true,
         job_end::failed,
         "G/G.jad",
         true,
         false,
         true,
         1},
        {"no .jar on the PC",
         {},
         true,
         true,
         false,
         job_end::failed,
         "G/G.jar",
         false,
         false,
         true,
         0},
        {"the phone stops answering",
         {"silent=3"},
         false,
         true,
         true,
         job_end::failed,
         "G/G.jar",
         false,
         false,
         false,
         0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        phone.stop();
        fs::remove_all(phone_root.file(games));
        fs::remove_all(pc_root.file("/drop"));
        fs::create_directories(phone_root.file(games));
        if (c.folderThere) {
            write_bytes(phone_root.file(std::string(games) + "G/G.jar"), "old jar");
            write_bytes(phone_root.file(std::string(games) + "G/appdb/settings.bin"), old);
        }
        if (c.jarOnPc)
            write_bytes(pc_root.file("/drop/G.jar"), jar);
        write_bytes(pc_root.file("/drop/G.jad"), jad);
        connectPhone(c.faults);
        if (HasFatalFailure() || IsSkipped())
            return;
        link.takeReports();

        auto* job = new InstallGameCommand(plan("G", c.withJad, !c.folderThere));
        EXPECT_EQ(job->weight(), static_cast<std::int32_t>((c.jarOnPc ? jar.size() : 0) +
                                                           (c.withJad ? jad.size() : 0)));
        ASSERT_TRUE(link.addJob(job));
        ASSERT_TRUE(wait_for_jobs(link));
        std::vector<job_report> reports = link.takeReports();
        // wait_for_jobs ends with a job of its own.
        std::erase_if(reports, [](const job_report& r) { return r.kind != job_kind::install; });
        ASSERT_EQ(reports.size(), 1u);
        const job_report& r = reports[0];
        EXPECT_EQ(r.kind, job_kind::install);
        EXPECT_EQ(r.end, c.end) << r.reason.to_utf8();
        EXPECT_EQ(r.phonePath.to_utf8(), std::string(games) + "G/");
        EXPECT_EQ(r.changedFolder.to_utf8(), games);
        EXPECT_EQ(r.files, c.files);
        if (c.end == job_end::done)
            EXPECT_TRUE(r.failedItem.empty()) << r.failedItem.to_utf8();
        else
            EXPECT_EQ(r.failedItem.to_utf8() + " " + std::to_string(r.reason.empty()),
                      std::string(games) + c.failedStep + " 0");

        EXPECT_EQ(onPhone("G/G.jar") == jar, c.jarWritten);
        EXPECT_EQ(onPhone("G/G.jad") == jad, c.jadWritten);
        EXPECT_EQ(existsOnPhone("G/appdb/settings.bin") && onPhone("G/appdb/settings.bin") == old,
                  c.settingsKept);
    }
}

} // namespace
