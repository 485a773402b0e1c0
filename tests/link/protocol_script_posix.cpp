// The protocol against a scripted phone on a pseudo-terminal: reply parsing, acknowledgements,
// every failure rule of the exchange, and the file operations' use of the replies.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "link/samsung_protocol.h"
#include "tests/link/serial_peer_posix.h"

namespace fs = std::filesystem;

namespace {

const bytes ack = {0x7F, 0x01, 0x00, 0x42, 0x01, 0x7E};

bytes text(const std::string& s) {
    return bytes(s.begin(), s.end());
}

// A small phone: in-memory files and one listing, answering each request frame. `tweak` may
// replace the answer of the n-th reply (1-based) to inject a fault.
class mini_phone {
public:
    std::map<std::string, bytes> files;
    std::vector<std::string> listing; // entry names of any directory opened; no dot: a folder
    std::vector<std::string> made, deleted;
    bool refuse_dir = false;
    std::function<serial_peer::answer(int n, const bytes& request, serial_peer::answer normal)>
        tweak;

    std::vector<int> idle; // replies (1-based) to a read-chunk request that carry no data yet

    serial_peer::answer operator()(const bytes& f) {
        ++replies_;
        if (code_of(f) == 2 && std::count(idle.begin(), idle.end(), replies_)) {
            bytes p = reply_payload(2, 16);
            put_at(p, 8, 1);
            return {{frame_of(p), 0}};
        }
        serial_peer::answer a = {{frame_of(normal(f)), 0}};
        return tweak ? tweak(replies_, f, a) : a;
    }

private:
    static std::string path_in(const bytes& f, std::uint32_t offset) {
        std::string s;
        for (std::size_t i = offset; i < f.size() && f[i]; ++i)
            s.push_back(static_cast<char>(f[i]));
        return s;
    }

    bytes status(std::uint16_t code, std::uint32_t value = 0) {
        bytes p = reply_payload(code, 12);
        put_at(p, 8, value);
        return p;
    }

    bytes normal(const bytes& f) {
        std::uint16_t code = code_of(f);
        switch (code) {
        case 0:
        case 4: {
            std::string path = path_in(f, 12);
            if (code == 0 && !files.count(path))
                return status(code, 0xFFFFFFFF);
            if (code == 4)
                files[path].clear();
            open_ = path;
            pos_ = 0;
            return status(code, 0x1234);
        }
        case 2: {
            bytes& data = files[open_];
            std::uint32_t n = std::min<std::uint32_t>(u32_of(f, 12), data.size() - pos_);
            bytes p = reply_payload(2, 16 + n);
            put_at(p, 8, n ? 1 : 0);
            put_at(p, 12, n);
            std::copy(data.begin() + pos_, data.begin() + pos_ + n, p.begin() + 12);
            pos_ += n;
            return p;
        }
        case 3: {
            std::uint32_t n = u32_of(f, 12);
            files[open_].insert(files[open_].end(), f.begin() + 16, f.begin() + 16 + n);
            return status(3);
        }
        case 5:
            deleted.push_back(path_in(f, 8));
            return status(5);
        case 11:
            made.push_back(path_in(f, 8));
            return status(11);
        case 8:
            entry_ = 0;
            return status(8, refuse_dir ? 0xFFFFFFFF : 0x77);
        case 10: {
            bytes p = reply_payload(10, 336);
            if (entry_ < listing.size()) {
                const std::string& name = listing[entry_];
                put_at(p, 8, 1);
                put_at(p, 16, static_cast<std::uint32_t>(100 + entry_));
                put_at(p, 20, name.find('.') == std::string::npos ? 0x200 : 0x20);
                std::copy(name.begin(), name.end(), p.begin() + 44);
                put_at(p, 332, 0xABCD0000 + static_cast<std::uint32_t>(entry_));
                ++entry_;
            }
            return p;
        }
        default:
            return status(code);
        }
    }

    int replies_ = 0;
    std::string open_;
    std::uint32_t pos_ = 0;
    std::size_t entry_ = 0;
};

// Records the progress signals of a transfer.
class progress_log : public vObject {
public:
    explicit progress_log(OrvelCom& port) {
        connect(&port, u"setprogressinfo", this, &progress_log::info);
        connect(&port, u"addprogress", this, &progress_log::add);
    }
    std::vector<std::string> events;

private:
    void info(const char16_t* t) { events.push_back("info:" + str(t).to_utf8()); }
    void add(std::uint32_t n) { events.push_back("add:" + std::to_string(n)); }
};

class ProtocolScript : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(peer.ok());
        peer.on_frame([this](const bytes& f) { return phone(f); });
        ASSERT_TRUE(port.openPort(str::from_utf8(peer.path().c_str())));
        dir = fs::temp_directory_path() /
              ("orvel-protocol-" + std::to_string(::getpid()) + "-" +
               testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    str pc(const std::string& name) { return str::from_utf8((dir / name).string().c_str()); }
    static bytes pattern(std::size_t n) {
        bytes b(n);
        for (std::size_t i = 0; i < n; ++i)
            b[i] = static_cast<std::uint8_t>(i * 7 + i / 256);
        return b;
    }
    static bytes read_file(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        return bytes(std::istreambuf_iterator<char>(in), {});
    }
    static void write_file(const fs::path& p, const bytes& b) {
        std::ofstream out(p, std::ios::binary);
        out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
    }
    std::vector<std::string> folder() {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    serial_peer peer;
    mini_phone phone;
    OrvelCom port;
    SamsungProtocol proto{&port};
    progress_log progress{port};
    fs::path dir;
};

TEST_F(ProtocolScript, ExchangeAcknowledgesAndSkipsOneAckAndNoise) {
    EXPECT_TRUE(proto.deleteFile(str(u"/a")));
    EXPECT_EQ(peer.frames().at(0), (bytes{0x7F, 0x09, 0x00, 0x42, 0x05, 0x00, 0x03, 0x00, 0x2F,
                                          0x61, 0x00, 0x19, 0x91, 0x7E}));
    EXPECT_EQ(phone.deleted, std::vector<std::string>{"/a"});

    // An acknowledgement before the reply, noise before both.
    phone.tweak = [](int, const bytes&, serial_peer::answer a) {
        a.insert(a.begin(), {{0x00, 0x7E, 0x42, 0xFF, 0x0D}, 0});
        a.insert(a.begin() + 1, {ack, 0});
        return a;
    };
    EXPECT_TRUE(proto.makeDir(str(u"/Other/new")));
    EXPECT_EQ(phone.made, std::vector<std::string>{"/Other/new"});
    EXPECT_EQ(proto.reply().frameLength(), 15u) << "the reply, not the acknowledgement";

    // Two acknowledgements: the second stands in for the reply.
    phone.tweak = [](int, const bytes&, serial_peer::answer) {
        return serial_peer::answer{{ack, 0}, {ack, 0}};
    };
    EXPECT_TRUE(proto.deleteFile(str(u"/b")));
    EXPECT_TRUE(proto.reply().isAck());
    for (int i = 0; i < 200 && peer.acks() < 3; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(peer.acks(), 3) << "one acknowledgement after every exchange";
}

TEST_F(ProtocolScript, BadCrcIsReportedAndFailsTheExchange) {
    phone.tweak = [](int, const bytes& req, serial_peer::answer) {
        bytes p = reply_payload(code_of(req), 12);
        return serial_peer::answer{{frame_of(p, false), 0}};
    };
    testing::internal::CaptureStdout();
    EXPECT_FALSE(proto.deleteFile(str(u"/a")));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "10 \n");
    EXPECT_EQ(peer.acks(), 0) << "a failed exchange is not acknowledged";
}

TEST_F(ProtocolScript, LostReplyFailsInsteadOfWaitingForever) {
    phone.tweak = [](int, const bytes&, serial_peer::answer) { return serial_peer::answer{}; };
    EXPECT_FALSE(proto.makeDir(str(u"/x")));
    EXPECT_EQ(peer.frames().size(), 1u);
}

TEST_F(ProtocolScript, OversizeOrCutShortRepliesFail) {
    // A length field beyond the packet is refused before anything is read into it.
    phone.tweak = [](int, const bytes&, serial_peer::answer) {
        bytes b = {0x7F, 0xFF, 0xFF, 0x42};
        b.resize(200, 0x55);
        return serial_peer::answer{{b, 0}};
    };
    EXPECT_FALSE(proto.deleteFile(str(u"/a")));

    // A frame that stops after part of its payload.
    phone.tweak = [](int, const bytes& req, serial_peer::answer) {
        bytes f = frame_of(reply_payload(code_of(req), 12));
        f.resize(7);
        return serial_peer::answer{{f, 0}};
    };
    EXPECT_FALSE(proto.deleteFile(str(u"/a")));

    // An acknowledgement-sized frame that is no acknowledgement.
    phone.tweak = [](int, const bytes&, serial_peer::answer) {
        return serial_peer::answer{{{0x7F, 0x01, 0x00, 0x42, 0x05, 0x7E}, 0}};
    };
    EXPECT_FALSE(proto.deleteFile(str(u"/a")));

    // After all that the line is in step again.
    phone.tweak = nullptr;
    EXPECT_TRUE(proto.deleteFile(str(u"/c")));
    EXPECT_EQ(phone.deleted.back(), "/c");
}

TEST_F(ProtocolScript, SlowReplyArrivesInPiecesAndStillCounts) {
    // Pauses longer than the 150 ms gap inside a frame: the receive keeps reading.
    phone.files["/slow"] = pattern(700);
    phone.tweak = [](int n, const bytes&, serial_peer::answer a) {
        if (n != 2)
            return a;
        bytes f = a[0].data;
        serial_peer::answer pieces;
        for (std::size_t i = 0; i < f.size(); i += 200)
            pieces.push_back({bytes(f.begin() + i, f.begin() + std::min(f.size(), i + 200)), 400});
        return pieces;
    };
    buf b;
    ASSERT_TRUE(proto.getBuffer(str(u"/slow"), b));
    EXPECT_EQ(bytes(b.data(), b.data() + b.size()), pattern(700));
}

TEST_F(ProtocolScript, StrayBytesFromAnEarlierReplyFailTheNextRequestAndAreDropped) {
    // The phone answers the delete twice; the second copy must not pass for the next reply, and
    // says that replies may have been taken for the wrong requests.
    phone.tweak = [](int n, const bytes&, serial_peer::answer a) {
        if (n == 1)
            a.push_back(a[0]);
        return a;
    };
    EXPECT_TRUE(proto.deleteFile(str(u"/a")));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    phone.files["/f"] = text("hello");
    buf b;
    EXPECT_FALSE(proto.getBuffer(str(u"/f"), b));
    EXPECT_EQ(proto.lastFailure().error, link_error::out_of_step);
    ASSERT_TRUE(proto.getBuffer(str(u"/f"), b)) << "the line is in step again";
    EXPECT_EQ(bytes(b.data(), b.data() + b.size()), text("hello"));
}

TEST_F(ProtocolScript, GetFileCopiesAndReportsProgress) {
    phone.files["/Other/x.jar"] = pattern(1500);
    write_file(dir / "x.jar", text("old contents"));
    ASSERT_TRUE(proto.getFile(str(u"/Other/x.jar"), pc("x.jar")));
    EXPECT_EQ(read_file(dir / "x.jar"), pattern(1500));
    EXPECT_EQ(folder(), std::vector<std::string>{"x.jar"}) << "no temporary file stays behind";
    EXPECT_EQ(progress.events, (std::vector<std::string>{"info:kopiere x.jar", "add:620", "add:620",
                                                         "add:620", "info:"}));
    // open, three data chunks, the end chunk, close
    EXPECT_EQ(peer.codes(), (std::vector<std::uint16_t>{0, 2, 2, 2, 2, 1}));
    EXPECT_EQ(u32_of(peer.frames()[1], 8), 0x1234u) << "the handle goes back as returned";
    EXPECT_EQ(u32_of(peer.frames()[1], 12), 620u);
    EXPECT_EQ(u32_of(peer.frames()[0], 8), 2u) << "open mode 2";
    EXPECT_EQ(peer.acks(), 6);

    // An empty phone file gives an empty PC file.
    phone.files["/e"] = {};
    ASSERT_TRUE(proto.getFile(str(u"/e"), pc("empty")));
    EXPECT_TRUE(fs::exists(dir / "empty"));
    EXPECT_EQ(fs::file_size(dir / "empty"), 0u);

    // A file that happens to bear the temporary name is neither used nor removed.
    write_file(dir / "y.jar.orvel-part", text("someone's"));
    ASSERT_TRUE(proto.getFile(str(u"/Other/x.jar"), pc("y.jar")));
    EXPECT_EQ(read_file(dir / "y.jar"), pattern(1500));
    EXPECT_EQ(read_file(dir / "y.jar.orvel-part"), text("someone's"));

    // A PC folder that does not exist: nothing is asked of the phone.
    std::size_t before = peer.frames().size();
    EXPECT_FALSE(proto.getFile(str(u"/Other/x.jar"), pc("missing/x.jar")));
    EXPECT_EQ(peer.frames().size(), before);
    EXPECT_FALSE(fs::exists(dir / "missing"));
}

TEST_F(ProtocolScript, GetFileFailureLeavesTheTargetAlone) {
    write_file(dir / "keep.bin", text("precious"));

    // Refused open: all bits set.
    EXPECT_FALSE(proto.getFile(str(u"/missing"), pc("keep.bin")));
    EXPECT_FALSE(proto.getFile(str(u"/missing"), pc("new.bin")));
    EXPECT_EQ(peer.codes(), (std::vector<std::uint16_t>{0, 0})) << "no read after a refusal";

    // A reply lost in the middle of the transfer.
    phone.files["/big"] = pattern(5000);
    phone.tweak = [](int n, const bytes&, serial_peer::answer a) {
        return n == 6 ? serial_peer::answer{} : a;
    };
    EXPECT_FALSE(proto.getFile(str(u"/big"), pc("keep.bin")));

    // A chunk count beyond what was asked for.
    phone.tweak = [](int n, const bytes& req, serial_peer::answer a) {
        if (n < 2 || code_of(req) != 2)
            return a;
        bytes p = reply_payload(2, 16 + 700);
        put_at(p, 8, 1);
        put_at(p, 12, 700);
        return serial_peer::answer{{frame_of(p), 0}};
    };
    EXPECT_FALSE(proto.getFile(str(u"/big"), pc("keep.bin")));

    // A chunk count larger than the frame carries.
    phone.tweak = [](int n, const bytes& req, serial_peer::answer a) {
        if (n < 2 || code_of(req) != 2)
            return a;
        bytes p = reply_payload(2, 16 + 10);
        put_at(p, 8, 1);
        put_at(p, 12, 600);
        return serial_peer::answer{{frame_of(p), 0}};
    };
    EXPECT_FALSE(proto.getFile(str(u"/big"), pc("keep.bin")));

    // A lost reply to the close request.
    phone.tweak = [](int, const bytes& req, serial_peer::answer a) {
        return code_of(req) == 1 ? serial_peer::answer{} : a;
    };
    EXPECT_FALSE(proto.getFile(str(u"/big"), pc("keep.bin")));

    EXPECT_EQ(read_file(dir / "keep.bin"), text("precious"));
    EXPECT_EQ(folder(), std::vector<std::string>{"keep.bin"});
    // No final progress text after a failure.
    EXPECT_NE(progress.events.back(), "info:");
}

TEST_F(ProtocolScript, EmptyChunkWithMoreDataWritesNothing) {
    phone.files["/f"] = text("abc");
    phone.idle = {2, 3};
    ASSERT_TRUE(proto.getFile(str(u"/f"), pc("f")));
    EXPECT_EQ(read_file(dir / "f"), text("abc"));
    EXPECT_EQ(peer.codes(), (std::vector<std::uint16_t>{0, 2, 2, 2, 2, 1}));
    // Each reply with the more-data word set counts as progress.
    EXPECT_EQ(std::count(progress.events.begin(), progress.events.end(), "add:620"), 3);
}

TEST_F(ProtocolScript, APhoneThatNeverDeliversTheAnnouncedDataIsGivenUp) {
    phone.files["/f"] = text("abc");
    for (int n = 2; n < 400; ++n)
        phone.idle.push_back(n);
    write_file(dir / "f", text("old"));
    EXPECT_FALSE(proto.getFile(str(u"/f"), pc("f")));
    EXPECT_EQ(read_file(dir / "f"), text("old"));
    EXPECT_EQ(folder(), std::vector<std::string>{"f"});
    std::vector<std::uint16_t> codes = peer.codes();
    EXPECT_LT(codes.size(), 100u);
    EXPECT_EQ(codes.back(), 1) << "the phone's handle is closed";
}

TEST_F(ProtocolScript, PutFileSendsEveryByteInChunks) {
    write_file(dir / "a.bin", pattern(1240));
    ASSERT_TRUE(proto.putFile(pc("a.bin"), str(u"/Other/a.bin")));
    EXPECT_EQ(phone.files["/Other/a.bin"], pattern(1240));
    EXPECT_EQ(peer.codes(), (std::vector<std::uint16_t>{4, 3, 3, 1}));
    EXPECT_EQ(u32_of(peer.frames()[0], 8), 5u) << "open mode 5";
    EXPECT_EQ(u32_of(peer.frames()[1], 12), 620u);
    EXPECT_EQ(u32_of(peer.frames()[2], 12), 620u);
    EXPECT_EQ(progress.events,
              (std::vector<std::string>{"info:kopiere a.bin", "add:620", "add:620", "info:"}));

    progress.events.clear();
    write_file(dir / "b.bin", pattern(621));
    ASSERT_TRUE(proto.putFile(pc("b.bin"), str(u"\\b.bin")));
    EXPECT_EQ(phone.files["\\b.bin"], pattern(621));
    EXPECT_EQ(u32_of(peer.frames()[6], 12), 1u);
    EXPECT_EQ(progress.events,
              (std::vector<std::string>{"info:kopiere b.bin", "add:620", "add:620", "info:"}));

    // A file that starts like a 16-bit text goes out unchanged, its first two bytes included.
    bytes marked = {0xFF, 0xFE, 'h', 0, 'i', 0};
    write_file(dir / "t.txt", marked);
    ASSERT_TRUE(proto.putFile(pc("t.txt"), str(u"/t.txt")));
    EXPECT_EQ(phone.files["/t.txt"], marked);

    // An empty file: open and close, no chunk.
    write_file(dir / "zero", {});
    std::size_t before = peer.frames().size();
    ASSERT_TRUE(proto.putFile(pc("zero"), str(u"/zero")));
    EXPECT_EQ(peer.frames().size(), before + 2);
    EXPECT_TRUE(phone.files.count("/zero"));
}

TEST_F(ProtocolScript, PutFileFailures) {
    // A missing PC file: nothing sent, nothing created.
    EXPECT_FALSE(proto.putFile(pc("absent"), str(u"/absent")));
    EXPECT_FALSE(fs::exists(dir / "absent"));
    EXPECT_TRUE(peer.frames().empty());
    EXPECT_FALSE(proto.putFile(str(), str(u"/absent")));

    // A refused open.
    write_file(dir / "a.bin", pattern(100));
    phone.tweak = [](int, const bytes& req, serial_peer::answer a) {
        if (code_of(req) != 4)
            return a;
        bytes p = reply_payload(4, 12);
        put_at(p, 8, 0xFFFFFFFF);
        return serial_peer::answer{{frame_of(p), 0}};
    };
    EXPECT_FALSE(proto.putFile(pc("a.bin"), str(u"/a.bin")));
    EXPECT_EQ(peer.codes().back(), 4) << "no chunk after a refusal";

    // A lost reply to the close request.
    phone.tweak = [](int, const bytes& req, serial_peer::answer a) {
        return code_of(req) == 1 ? serial_peer::answer{} : a;
    };
    EXPECT_FALSE(proto.putFile(pc("a.bin"), str(u"/a.bin")));
    bytes p = pattern(10);
    buf b;
    b.open();
    b.write(p.data(), 10);
    EXPECT_FALSE(proto.putBuffer(str(u"/b.bin"), b));

    // A lost chunk reply.
    phone.tweak = [](int, const bytes& req, serial_peer::answer a) {
        return code_of(req) == 3 ? serial_peer::answer{} : a;
    };
    EXPECT_FALSE(proto.putFile(pc("a.bin"), str(u"/a.bin")));
    EXPECT_NE(progress.events.back(), "info:");
}

TEST_F(ProtocolScript, BuffersBothWays) {
    buf out;
    out.open();
    bytes data = pattern(2000);
    out.write(data.data(), 2000);
    // The whole stream goes, whatever its position.
    ASSERT_TRUE(proto.putBuffer(str(u"/Registry/MainMenu_reg.ini"), out));
    EXPECT_EQ(phone.files["/Registry/MainMenu_reg.ini"], data);
    EXPECT_EQ(progress.events.front(), "info:kopiere MainMenu_reg.ini");
    EXPECT_EQ(progress.events.size(), 6u); // info, four chunks, info

    progress.events.clear();
    buf in;
    in.open();
    in.write("stale", 5);
    ASSERT_TRUE(proto.getBuffer(str(u"/Registry/MainMenu_reg.ini"), in));
    EXPECT_EQ(bytes(in.data(), in.data() + in.size()), data);
    EXPECT_TRUE(progress.events.empty()) << "getBuffer emits nothing";

    // A refusal or a failure leaves the stream empty.
    EXPECT_FALSE(proto.getBuffer(str(u"/none"), in));
    EXPECT_EQ(in.size(), 0u);
    phone.tweak = [](int, const bytes& req, serial_peer::answer a) {
        return code_of(req) == 1 ? serial_peer::answer{} : a;
    };
    EXPECT_FALSE(proto.getBuffer(str(u"/Registry/MainMenu_reg.ini"), in));
    EXPECT_EQ(in.size(), 0u);
}

TEST_F(ProtocolScript, ListDirReadsEntriesUntilTheEnd) {
    // An empty directory: true, empty list, and the directory is closed.
    ASSERT_TRUE(proto.listDir(str(u"/Empty")));
    EXPECT_EQ(proto.entryCount(), 0u);
    EXPECT_EQ(peer.codes(), (std::vector<std::uint16_t>{8, 10, 9}));
    EXPECT_EQ(u32_of(peer.frames()[1], 8), 0x77u);
    EXPECT_EQ(u32_of(peer.frames()[2], 8), 0x77u);

    phone.listing = {"Pictures", "a.jpg", "\xe9t\xe9.mp3"};
    ASSERT_TRUE(proto.listDir(str(u"\\Other")));
    ASSERT_EQ(proto.entryCount(), 3u);
    SamsungDirEntry* e = proto.entry(0);
    EXPECT_EQ(*e, str(u"Pictures"));
    EXPECT_TRUE(e->isDirectory());
    EXPECT_EQ(proto.entry(1)->path, str(u"/Other/a.jpg"));
    EXPECT_FALSE(proto.entry(1)->isDirectory());
    EXPECT_EQ(proto.entry(1)->size, 101u);
    EXPECT_EQ(proto.entry(1)->attributes, 0x20u);
    EXPECT_EQ(proto.entry(1)->extra, 0xABCD0001u);
    EXPECT_EQ(*proto.entry(2), str(u"\u00e9t\u00e9.mp3")) << "names are carried byte by byte";
    EXPECT_EQ(proto.entry(3), nullptr);

    // Into a list of the caller's; the protocol's own list stays.
    alist<SamsungDirEntry> mine(0, true);
    phone.listing = {"one"};
    ASSERT_TRUE(proto.listDir(str(u"/"), &mine));
    ASSERT_EQ(mine.count(), 1u);
    EXPECT_EQ(mine[0]->path, str(u"/one"));
    EXPECT_EQ(proto.entryCount(), 3u);

    // A refused directory.
    phone.refuse_dir = true;
    EXPECT_FALSE(proto.listDir(str(u"/nope")));
    EXPECT_EQ(proto.entryCount(), 0u) << "the list is emptied first";
}

TEST_F(ProtocolScript, ListDirStopsAtTheEntryLimit) {
    for (int i = 0; i < 1500; ++i)
        phone.listing.push_back("f" + std::to_string(i));
    proto.setEntryLimit(1024);
    EXPECT_FALSE(proto.listDir(str(u"/big")));
    EXPECT_EQ(proto.entryCount(), 1024u);
    EXPECT_EQ(*proto.entry(1023), str(u"f1023"));
    EXPECT_EQ(peer.codes().back(), 9) << "the directory is closed";
}

TEST_F(ProtocolScript, EntryRepliesAreReadWithinTheirFrame) {
    // A short entry reply whose name runs to the end of the frame without a zero byte.
    phone.listing = {"x"};
    phone.tweak = [](int n, const bytes&, serial_peer::answer a) {
        if (n != 2)
            return a;
        bytes p = reply_payload(10, 56);
        put_at(p, 8, 1);
        put_at(p, 20, 0x200);
        std::fill(p.begin() + 44, p.end(), 'n');
        return serial_peer::answer{{frame_of(p), 0}};
    };
    ASSERT_TRUE(proto.listDir(str(u"/d")));
    ASSERT_EQ(proto.entryCount(), 1u);
    EXPECT_EQ(*proto.entry(0), str(u"nnnnnnnn"));
    EXPECT_EQ(proto.entry(0)->extra, 0u);

    // Too short for size and attributes: malformed.
    phone.tweak = [](int n, const bytes&, serial_peer::answer a) {
        if (n != 6)
            return a;
        bytes p = reply_payload(10, 16);
        put_at(p, 8, 1);
        return serial_peer::answer{{frame_of(p), 0}};
    };
    EXPECT_FALSE(proto.listDir(str(u"/d")));
}

TEST_F(ProtocolScript, RequestsThatCannotBeFramedSendNothing) {
    str longPath(u"/");
    while (longPath.length() < 20000)
        longPath.append(u'z');
    EXPECT_FALSE(proto.deleteFile(longPath));
    EXPECT_FALSE(proto.makeDir(longPath));
    EXPECT_FALSE(proto.listDir(longPath));
    EXPECT_FALSE(proto.getFile(longPath, pc("z")));
    EXPECT_FALSE(fs::exists(dir / "z"));
    buf b;
    EXPECT_FALSE(proto.getBuffer(str(u"/\u20ac"), b));
    EXPECT_TRUE(peer.frames().empty());
}

TEST(ProtocolNoPort, OperationsFailWithoutAnOpenPort) {
    OrvelCom port;
    SamsungProtocol proto(&port);
    buf b;
    EXPECT_FALSE(proto.deleteFile(str(u"/a")));
    EXPECT_FALSE(proto.getBuffer(str(u"/a"), b));
    EXPECT_FALSE(proto.putBuffer(str(u"/a"), b));
    EXPECT_FALSE(proto.listDir(str(u"/")));
    EXPECT_FALSE(proto.sendAck());
    SamsungProtocol none(nullptr);
    EXPECT_FALSE(none.makeDir(str(u"/a")));
}

} // namespace
