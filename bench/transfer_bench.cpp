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
//     bench_transfer [path of orvel-phonesim]   (default: $ORVEL_PHONESIM, then beside this
//     program)

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

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

void report(const char* what, unsigned baud, double secs, double line_bytes, double phone_bytes,
            bool ok) {
    double rate = file_size / secs;
    std::printf("%-6s %-9s %8.3f s %12.0f B/s", what,
                baud ? std::to_string(baud).c_str() : "unpaced", secs, rate);
    if (baud) {
        double line = baud / 10.0 * (chunk / line_bytes);
        double paced = baud / 10.0 * (chunk / phone_bytes);
        std::printf("   full line %7.0f B/s (share %.3f)   paced direction %7.0f B/s (share %.3f)"
                    "   reached %.3f",
                    line, chunk / line_bytes, paced, chunk / phone_bytes, rate / paced);
    }
    std::printf("%s\n", ok ? "" : "   FAILED");
}

bool run(const fs::path& pc, unsigned baud) {
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

    auto start = std::chrono::steady_clock::now();
    bool put = proto.putFile(str(up.u16string().c_str()), str(u"/bench.bin"));
    double put_secs = seconds_since(start);
    put = put && same_file(up, folder.file("/bench.bin"));
    report("send", baud, put_secs, write_request + write_reply + ack_bytes, write_reply, put);

    start = std::chrono::steady_clock::now();
    bool get = proto.getFile(str(u"/bench.bin"), str(down.u16string().c_str()));
    double get_secs = seconds_since(start);
    get = get && same_file(up, down);
    report("fetch", baud, get_secs, read_request + read_reply + ack_bytes, read_reply, get);
    return put && get;
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1) {
        static std::string setting = std::string("ORVEL_PHONESIM=") + argv[1];
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
    bool ok = run(pc, 0) && run(pc, 115200);
    std::error_code ec;
    fs::remove_all(pc, ec);
    return ok ? 0 : 1;
}
