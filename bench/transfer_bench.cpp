// Transfer speed of the link: fetches and sends a 1 MB file through the phone simulator, unpaced
// and with the simulator's output paced at 115,200 baud, and prints the bytes per second and the
// share of the wire bound reached.
//
// The wire bound is baud / 10 bytes per second (8N1) times the payload share of the frames: each
// chunk of 620 data bytes moves a request, a reply and an acknowledgement across the line. Two
// bounds are printed: the full line (every frame byte at the baud rate, as on a real serial line)
// and the paced direction alone (the simulator paces only what the phone sends; the PC's frames
// cross the pseudo-terminal at once). "reached" is measured against the paced direction's bound.
//
//     bench_transfer [--repeat N] [--quick] [path of orvel-phonesim]
//
// The simulator defaults to $ORVEL_PHONESIM, then the one beside this program. --repeat runs
// every measurement N times and reports the median and the fastest (a loaded machine spreads
// single runs widely); --quick leaves out the paced fetch, which takes a minute and a half.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "link/samsung_protocol.h"
#include "tests/support/phone_folder.h"
#include "tests/support/sim_process.h"

namespace fs = std::filesystem;

namespace {

constexpr std::uint32_t file_size = 1 << 20;
constexpr double chunk = SamsungProtocol::chunk_size;
// Frame bytes per chunk: handle-form request of d data bytes = d + 15; acknowledgement 6.
constexpr double ack_bytes = 6;
constexpr double read_request = 4 + 15;          // read chunk: the wanted count
constexpr double read_reply = 16 + chunk + 3;    // more-data word, count, data, CRC, end byte
constexpr double write_request = 4 + chunk + 15; // write chunk: the count and the data
constexpr double write_reply = 16 + 3;           // the simulator's status and count

double seconds_since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

bool same_file(const fs::path& a, const fs::path& b) {
    std::ifstream x(a, std::ios::binary), y(b, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(x), {}) ==
           std::string(std::istreambuf_iterator<char>(y), {});
}

// Times of one measurement over the repeats.
struct timings {
    std::vector<double> seconds;
    bool ok = true;
    double median() const {
        std::vector<double> s = seconds;
        std::sort(s.begin(), s.end());
        return s.empty() ? 0 : s[s.size() / 2];
    }
    double fastest() const {
        return seconds.empty() ? 0 : *std::min_element(seconds.begin(), seconds.end());
    }
};

void report(const char* what, unsigned baud, const timings& t, double line_bytes,
            double phone_bytes) {
    const double secs = t.median();
    double rate = file_size / secs;
    std::printf("%-6s %-9s %8.3f s %12.0f B/s", what,
                baud ? std::to_string(baud).c_str() : "unpaced", secs, rate);
    if (t.seconds.size() > 1)
        std::printf("   (median of %zu; fastest %.3f s)", t.seconds.size(), t.fastest());
    if (baud) {
        double line = baud / 10.0 * (chunk / line_bytes);
        double paced = baud / 10.0 * (chunk / phone_bytes);
        std::printf("   full line %7.0f B/s (share %.3f)   paced direction %7.0f B/s (share %.3f)"
                    "   reached %.3f",
                    line, chunk / line_bytes, paced, chunk / phone_bytes, rate / paced);
    }
    std::printf("%s\n", t.ok ? "" : "   FAILED");
}

bool run(const fs::path& pc, unsigned baud, int repeat, bool fetch) {
    phone_folder folder{fs::path()};
    sim_process sim;
    if (!folder.ok() || !sim.start(folder.simulator_path(), {}, baud)) {
        std::fprintf(stderr, "cannot start the simulator (set ORVEL_PHONESIM)\n");
        return false;
    }
    OrvelCom port;
    SamsungProtocol proto(&port);
    if (!port.openPort(str::from_utf8(sim.port().c_str()))) {
        std::fprintf(stderr, "cannot open %s\n", sim.port().c_str());
        return false;
    }
    const fs::path up = pc / "up.bin", down = pc / "down.bin";

    timings put, get;
    for (int i = 0; i < repeat; ++i) {
        auto start = std::chrono::steady_clock::now();
        bool ok = proto.putFile(str(up.u16string().c_str()), str(u"/bench.bin"));
        put.seconds.push_back(seconds_since(start));
        put.ok = put.ok && ok && same_file(up, folder.file("/bench.bin"));
    }
    report("send", baud, put, write_request + write_reply + ack_bytes, write_reply);
    if (!fetch)
        return put.ok;

    for (int i = 0; i < repeat; ++i) {
        auto start = std::chrono::steady_clock::now();
        bool ok = proto.getFile(str(u"/bench.bin"), str(down.u16string().c_str()));
        get.seconds.push_back(seconds_since(start));
        get.ok = get.ok && ok && same_file(up, down);
    }
    report("fetch", baud, get, read_request + read_reply + ack_bytes, read_reply);
    return put.ok && get.ok;
}

} // namespace

int main(int argc, char** argv) {
    int repeat = 1;
    bool quick = false;
    const char* simulator = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--repeat") == 0 && i + 1 < argc)
            repeat = std::max(1, std::atoi(argv[++i]));
        else if (std::strcmp(argv[i], "--quick") == 0)
            quick = true;
        else
            simulator = argv[i];
    }
    if (simulator) {
        static std::string setting = std::string("ORVEL_PHONESIM=") + simulator;
        putenv(setting.data());
    } else if (!std::getenv("ORVEL_PHONESIM")) {
        static std::string setting =
            "ORVEL_PHONESIM=" + (fs::absolute(argv[0]).parent_path() / "orvel-phonesim").string();
        putenv(setting.data());
    }

    fs::path pc = fs::temp_directory_path() / ("orvel-bench-" + std::to_string(std::rand()));
    fs::create_directories(pc);
    {
        std::ofstream out(pc / "up.bin", std::ios::binary);
        unsigned x = 1;
        for (std::uint32_t i = 0; i < file_size; ++i) {
            x = x * 1664525u + 1013904223u;
            out.put(static_cast<char>(x >> 24));
        }
    }
    std::printf("1 MB through the phone simulator, chunks of %u bytes\n",
                SamsungProtocol::chunk_size);
    bool ok = run(pc, 0, repeat, true) && run(pc, 115200, repeat, !quick);
    std::error_code ec;
    fs::remove_all(pc, ec);
    return ok ? 0 : 1;
}
