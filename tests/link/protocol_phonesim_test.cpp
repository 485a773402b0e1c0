// End to end: the serial port and the protocol against the phone simulator, natively over its
// pseudo-terminal and under Wine through a COM port mapped to it. Every file operation, the AT
// exchange, and each fault of the simulator ending in a clean success or a clean failure.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "link/samsung_protocol.h"
#include "tests/support/phone_folder.h"
#include "tests/support/sim_process.h"

namespace fs = std::filesystem;

namespace {

std::string contents(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void put_contents(const fs::path& p, const std::string& data) {
    std::ofstream out(p, std::ios::binary);
    out.write(data.data(), static_cast<std::streamsize>(data.size()));
}

std::string noise_pattern(std::size_t n, unsigned seed) {
    std::string s(n, '\0');
    unsigned x = seed;
    for (char& c : s) {
        x = x * 1664525u + 1013904223u;
        c = static_cast<char>(x >> 24);
    }
    return s;
}

str pc_str(const fs::path& p) {
    return str(p.u16string().c_str());
}

// A scratch PC folder, removed afterwards.
class pc_folder {
public:
    pc_folder() {
        static std::atomic<unsigned> serial{0};
        auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        path_ = fs::temp_directory_path() /
                ("orvel-pc-" + std::to_string(stamp) + "-" + std::to_string(serial++));
        fs::create_directories(path_);
    }
    ~pc_folder() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    const fs::path& path() const { return path_; }
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (const auto& e : fs::directory_iterator(path_))
            out.push_back(e.path().filename().string());
        std::sort(out.begin(), out.end());
        return out;
    }

private:
    fs::path path_;
};

class PhoneSim : public testing::Test {
protected:
    // Starts a simulated phone with the given faults and opens the port to it.
    bool connect(const std::vector<std::string>& faults = {}, unsigned baud = 0) {
        if (!folder.ok() || !sim.start(folder.simulator_path(), faults, baud))
            return false;
        return port.openPort(str::from_utf8(sim.port().c_str()));
    }

    phone_folder folder;
    pc_folder pc;
    sim_process sim;
    OrvelCom port;
    SamsungProtocol proto{&port};
};

TEST_F(PhoneSim, AtCommandsAnswerWithTheirInformationLines) {
    ASSERT_TRUE(connect());
    str reply;
    ASSERT_TRUE(port.sendAT(str(u"AT+CGMI\r"), reply));
    EXPECT_EQ(reply.to_utf8(), "SAMSUNG");
    ASSERT_TRUE(port.sendAT(str(u"AT+CGMM\r"), reply));
    EXPECT_EQ(reply.to_utf8(), "GT-S8500");
    ASSERT_TRUE(port.sendAT(str(u"AT+CGSN\r"), reply));
    EXPECT_EQ(reply.to_utf8(), "354789040123457");
    // The protocol runs on the same line afterwards.
    EXPECT_TRUE(proto.listDir(str(u"/")));
}

TEST_F(PhoneSim, SilentPhoneEndsTheAtExchange) {
    ASSERT_TRUE(connect({"silent=2"}));
    str reply;
    ASSERT_TRUE(port.sendAT(str(u"AT+CGMI\r"), reply));
    EXPECT_FALSE(port.sendAT(str(u"AT+CGMM\r"), reply));
    EXPECT_TRUE(reply.empty());
}

TEST_F(PhoneSim, OneMegabyteGoesBothWaysByteExact) {
    ASSERT_TRUE(connect());
    const std::string data = noise_pattern(1 << 20, 11);
    put_contents(pc.path() / "big.bin", data);
    ASSERT_TRUE(proto.putFile(pc_str(pc.path() / "big.bin"), str(u"/My Files/big.bin")));
    EXPECT_EQ(contents(folder.file("/My Files/big.bin")), data);

    ASSERT_TRUE(proto.getFile(str(u"/My Files/big.bin"), pc_str(pc.path() / "back.bin")));
    EXPECT_EQ(contents(pc.path() / "back.bin"), data);
    EXPECT_EQ(pc.names(), (std::vector<std::string>{"back.bin", "big.bin"}));
}

TEST_F(PhoneSim, ListingsMatchThePhoneFolders) {
    ASSERT_TRUE(connect());
    ASSERT_TRUE(proto.listDir(str(u"/My Files/Pictures")));
    std::set<std::string> listed;
    for (unsigned i = 0; i < proto.entryCount(); ++i) {
        SamsungDirEntry* e = proto.entry(i);
        if (*e == u"." || *e == u"..")
            continue; // the phone lists these too
        listed.insert(e->to_utf8());
        EXPECT_FALSE(e->isDirectory());
        EXPECT_EQ(e->size, fs::file_size(folder.file("/My Files/Pictures/" + e->to_utf8())));
        EXPECT_EQ(e->path.to_utf8(), "/My Files/Pictures/" + e->to_utf8());
    }
    EXPECT_EQ(listed, (std::set<std::string>{"Photo 001.png", "logo.bmp", "sunset.png"}));

    alist<SamsungDirEntry> root(0, true);
    ASSERT_TRUE(proto.listDir(str(u"/"), &root));
    std::set<std::string> folders;
    for (unsigned i = 0; i < root.count(); ++i)
        if (root[i]->isDirectory())
            folders.insert(root[i]->to_utf8());
    EXPECT_TRUE(folders.count("Registry") && folders.count("My Files") && folders.count("User"));

    EXPECT_FALSE(proto.listDir(str(u"/No Such Folder")));
}

TEST_F(PhoneSim, FoldersBuffersAndDeletes) {
    ASSERT_TRUE(connect());
    ASSERT_TRUE(proto.makeDir(str(u"/My Files/New")));
    EXPECT_TRUE(fs::is_directory(folder.file("/My Files/New")));

    buf out;
    out.open();
    const std::string data = noise_pattern(3000, 5);
    out.write(data.data(), static_cast<std::uint32_t>(data.size()));
    ASSERT_TRUE(proto.putBuffer(str(u"/My Files/New/a.ini"), out));
    EXPECT_EQ(contents(folder.file("/My Files/New/a.ini")), data);

    buf in;
    ASSERT_TRUE(proto.getBuffer(str(u"/Registry/MainMenu_reg.ini"), in));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(in.data()), in.size()),
              contents(folder.file("/Registry/MainMenu_reg.ini")));
    EXPECT_FALSE(proto.getBuffer(str(u"/Registry/none.ini"), in));
    EXPECT_EQ(in.size(), 0u);

    ASSERT_TRUE(proto.deleteFile(str(u"/My Files/New/a.ini")));
    EXPECT_FALSE(fs::exists(folder.file("/My Files/New/a.ini")));

    // A PC file that does not exist is not sent, and not created.
    EXPECT_FALSE(proto.putFile(pc_str(pc.path() / "absent.bin"), str(u"/My Files/absent.bin")));
    EXPECT_FALSE(fs::exists(pc.path() / "absent.bin"));
    EXPECT_FALSE(fs::exists(folder.file("/My Files/absent.bin")));

    // A phone file that does not exist leaves the PC side as it was.
    put_contents(pc.path() / "keep.txt", "keep");
    EXPECT_FALSE(proto.getFile(str(u"/My Files/none.bin"), pc_str(pc.path() / "keep.txt")));
    EXPECT_EQ(contents(pc.path() / "keep.txt"), "keep");
    EXPECT_EQ(pc.names(), std::vector<std::string>{"keep.txt"});
}

TEST_F(PhoneSim, ALongFolderIsListedWholeUpToTheEntryLimit) {
    ASSERT_TRUE(connect({"bigdir=1500"}));
    ASSERT_TRUE(proto.listDir(str(u"/big")));
    EXPECT_EQ(proto.entryCount(), 1502u) << "1,500 files, \".\" and \"..\"";
    proto.setEntryLimit(1024);
    EXPECT_FALSE(proto.listDir(str(u"/big")));
    EXPECT_EQ(proto.entryCount(), 1024u);
    // The folder was closed: the line is usable.
    EXPECT_TRUE(proto.listDir(str(u"/Registry")));
}

TEST_F(PhoneSim, UnsafeEntryNamesAreCarriedAsTheyCame) {
    ASSERT_TRUE(connect({"hostile"}));
    ASSERT_TRUE(proto.listDir(str(u"/Registry")));
    std::set<std::string> names;
    for (unsigned i = 0; i < proto.entryCount(); ++i)
        names.insert(proto.entry(i)->to_utf8());
    EXPECT_TRUE(names.count("../x") && names.count("a/b") && names.count(""));
    EXPECT_TRUE(names.count("MainMenu_reg.ini"));
}

// One fault of the simulator and whether transfers still succeed under it.
struct fault_case {
    const char* fault;
    bool transfers_succeed;
};

void PrintTo(const fault_case& c, std::ostream* out) {
    *out << c.fault;
}

class PhoneSimFault : public PhoneSim, public testing::WithParamInterface<fault_case> {};

TEST_P(PhoneSimFault, FetchEndsCleanly) {
    const fault_case& c = GetParam();
    ASSERT_TRUE(connect({c.fault}));
    const fs::path target = pc.path() / "target.wav";
    put_contents(target, "existing");
    bool ok = proto.getFile(str(u"/My Files/Sounds/ring tone.wav"), pc_str(target));
    EXPECT_EQ(ok, c.transfers_succeed);
    if (ok) {
        EXPECT_EQ(contents(target), contents(folder.file("/My Files/Sounds/ring tone.wav")));
    } else {
        EXPECT_EQ(contents(target), "existing");
    }
    EXPECT_EQ(pc.names(), std::vector<std::string>{"target.wav"});
}

TEST_P(PhoneSimFault, SendEndsCleanly) {
    const fault_case& c = GetParam();
    ASSERT_TRUE(connect({c.fault}));
    const std::string data = noise_pattern(2000, 3);
    put_contents(pc.path() / "up.bin", data);
    bool ok = proto.putFile(pc_str(pc.path() / "up.bin"), str(u"/My Files/up.bin"));
    EXPECT_EQ(ok, c.transfers_succeed);
    if (ok) {
        EXPECT_EQ(contents(folder.file("/My Files/up.bin")), data);
    }
    EXPECT_EQ(contents(pc.path() / "up.bin"), data);
}

INSTANTIATE_TEST_SUITE_P(Faults, PhoneSimFault,
                         testing::Values(fault_case{"noise", true}, fault_case{"ack", true},
                                         fault_case{"slow=1", true}, fault_case{"badcrc=3", false},
                                         fault_case{"lost=3", false}, fault_case{"silent=3", false},
                                         fault_case{"oversize=3", false}),
                         [](const testing::TestParamInfo<fault_case>& info) {
                             std::string name = info.param.fault;
                             std::replace(name.begin(), name.end(), '=', '_');
                             return name;
                         });

TEST_F(PhoneSim, PhoneSlowerThanTheReadGapStillAnswers) {
    // 200 ms between bytes: longer than the 150 ms gap that ends a read.
    ASSERT_TRUE(connect({"slow=200"}));
    EXPECT_TRUE(proto.makeDir(str(u"/Slow")));
    EXPECT_TRUE(fs::is_directory(folder.file("/Slow")));
}

} // namespace
