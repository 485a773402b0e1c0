// Listing a folder of 10,000 entries through the phone simulator: the bare listing of the
// protocol against `orvelctl ls` of the same folder (the whole program: start, connect, list,
// print). The ratio shows that neither the entry list nor the printing grows faster than the
// listing itself; a figure near 1 means orvelctl adds only its start.
//
//     bench_listing [--entries N] [--repeat N] [path of orvel-phonesim]
//
// The simulator defaults to $ORVEL_PHONESIM, then the one beside this program; orvelctl is taken
// from beside this program.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "link/samsung_protocol.h"
#include "tests/support/phone_folder.h"
#include "tests/support/sim_process.h"

namespace fs = std::filesystem;

namespace {

double seconds_since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double median(std::vector<double> s) {
    std::sort(s.begin(), s.end());
    return s.empty() ? 0 : s[s.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    unsigned entries = 10000;
    int repeat = 5;
    const char* simulator = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--entries") == 0 && i + 1 < argc)
            entries = static_cast<unsigned>(std::max(1, std::atoi(argv[++i])));
        else if (std::strcmp(argv[i], "--repeat") == 0 && i + 1 < argc)
            repeat = std::max(1, std::atoi(argv[++i]));
        else
            simulator = argv[i];
    }
    const fs::path here = fs::absolute(argv[0]).parent_path();
    static std::string setting;
    if (simulator)
        setting = std::string("ORVEL_PHONESIM=") + simulator;
    else if (!std::getenv("ORVEL_PHONESIM"))
        setting = "ORVEL_PHONESIM=" + (here / "orvel-phonesim").string();
    if (!setting.empty())
        putenv(setting.data());

    phone_folder folder{fs::path()};
    sim_process sim;
    if (!folder.ok() ||
        !sim.start(folder.simulator_path(), {"bigdir=" + std::to_string(entries)})) {
        std::fprintf(stderr, "cannot start the simulator (set ORVEL_PHONESIM)\n");
        return 1;
    }

    std::vector<double> bare, ctl;
    bool ok = true;
    const std::string command = "\"" + (here / "orvelctl").string() + "\" --port \"" + sim.port() +
                                "\" ls /big > /dev/null";
    for (int i = 0; i < repeat && ok; ++i) {
        {
            OrvelCom port;
            SamsungProtocol proto(&port);
            if (!port.openPort(str::from_utf8(sim.port().c_str())))
                return 1;
            const auto start = std::chrono::steady_clock::now();
            ok = proto.listDir(str(u"/big")) && proto.entryCount() == entries + 2;
            bare.push_back(seconds_since(start));
        }
        const auto start = std::chrono::steady_clock::now();
        ok = ok && std::system(command.c_str()) == 0;
        ctl.push_back(seconds_since(start));
    }
    std::printf("a folder of %u entries, median of %d runs\n", entries, repeat);
    std::printf("listing      %8.3f s\n", median(bare));
    std::printf("orvelctl ls  %8.3f s   ratio %.3f%s\n", median(ctl), median(ctl) / median(bare),
                ok ? "" : "   FAILED");
    return ok ? 0 : 1;
}
