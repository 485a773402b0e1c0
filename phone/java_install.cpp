#include "phone/java_install.h"

#include "link/pc_file.h"
#include "link/samsung_comm.h"
#include "phone/java_app.h"

InstallGameCommand::InstallGameCommand(const java_install& plan)
    : folder_(plan.folder), games_folder_(plan.gamesFolder), make_folder_(plan.makeFolder),
      jar_pc_(plan.jarPc), jar_phone_(plan.jarPhone), jad_pc_(plan.jadPc),
      jad_phone_(plan.jadPhone), settings_(plan.settings) {}

InstallGameCommand::~InstallGameCommand() = default;

std::int32_t InstallGameCommand::weight() {
    std::uint64_t total = 0, size = 0;
    if (pc_regular_file_size(jar_pc_, size))
        total += size;
    if (pc_regular_file_size(jad_pc_, size))
        total += size;
    return static_cast<std::int32_t>(total & 0xFFFFFFFFu);
}

void InstallGameCommand::stop(const str& step, const link_failure& why) {
    failed_step_ = step;
    outcome(false, why);
}

bool InstallGameCommand::copy(SamsungComm& link, const str& pc, const str& phone) {
    SamsungProtocol& protocol = link.protocol();
    if (protocol.cancelRequested()) {
        stop(phone, link_failure{link_error::cancelled, str()});
        return false;
    }
    std::uint64_t size = 0;
    if (!pc_regular_file_size(pc, size)) {
        stop(phone, pc_not_regular(pc));
        return false;
    }
    if (!protocol.putFile(pc, phone)) {
        stop(phone, protocol.lastFailure());
        return false;
    }
    ++files_;
    bytes_ += size;
    return true;
}

void InstallGameCommand::execute(SamsungComm& link) {
    SamsungProtocol& protocol = link.protocol();
    failed_step_.clear();
    files_ = 0;
    bytes_ = 0;
    outcome(false, link_failure());
    if (make_folder_ && !protocol.makeDir(folder_) && protocol.lastFailure().linkLost()) {
        stop(folder_, protocol.lastFailure());
        return;
    }
    if (!copy(link, jar_pc_, jar_phone_))
        return;
    if (!jad_pc_.empty() && !copy(link, jad_pc_, jad_phone_))
        return;
    if (protocol.cancelRequested()) {
        stop(settings_, link_failure{link_error::cancelled, str()});
        return;
    }
    // Only now: the phone's settings of the game go once its new files are there.
    if (!protocol.deleteFile(settings_) && protocol.lastFailure().linkLost()) {
        stop(settings_, protocol.lastFailure());
        return;
    }
    outcome(true, link_failure());
}

void InstallGameCommand::describe(job_report& report) const {
    report.kind = job_kind::install;
    report.phonePath = folder_;
    report.changedFolder = games_folder_;
    report.failedItem = failed_step_;
    report.files = files_;
    report.bytes = bytes_;
}
