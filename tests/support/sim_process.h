#pragma once
// Runs the phone simulator program (named by the environment variable ORVEL_PHONESIM) for a test
// and ends it when destroyed. Natively the test opens the pseudo-terminal /dev/pts/N; under Wine
// the simulator claims a COM port of the Wine prefix and the test opens "COMn".
//
//     sim_process phone;
//     ASSERT_TRUE(phone.start(folder.simulator_path(), {"lost=3", "noise"}));
//     com.openPort(str::from_utf8(phone.port().c_str()));

#include <string>
#include <vector>

class sim_process {
public:
    sim_process();
    ~sim_process();
    sim_process(const sim_process&) = delete;
    sim_process& operator=(const sim_process&) = delete;

    // Starts a phone serving `root` (a path the simulator can use: see phone_folder) with the
    // given fault words ("noise", "badcrc=2", ...) and, when baud is not 0, paced output.
    // False when the simulator is missing or did not report its terminal within 10 seconds.
    bool start(const std::string& root, const std::vector<std::string>& faults = {},
               unsigned baud = 0);
    // Ends the phone and waits until it has gone (its COM port link is removed by then).
    void stop();
    bool running() const;

    // The name for OrvelCom::openPort: the device path natively, "COMn" under Wine.
    const std::string& port() const { return port_; }
    // The pseudo-terminal's device path (also under Wine).
    const std::string& device() const { return device_; }

    struct platform;

private:
    platform* platform_;
    std::string port_;
    std::string device_;
};
