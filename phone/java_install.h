#pragma once
// Installing one Java game as one job of the link: its folder (unless the list shows the game),
// the .jar, the .jad when there is one, and only then the removal of the game's
// appdb/settings.bin, so that the phone builds it afresh for the new files. The first step that
// fails ends the install: a game whose .jar did not arrive keeps its settings.

#include <cstdint>

#include "core/str.h"
#include "link/jobs.h"

struct java_install;

class InstallGameCommand : public SamsungJob {
public:
    explicit InstallGameCommand(const java_install& plan);
    ~InstallGameCommand() override;

    // The sizes of the .jar and .jad files (low 32 bits), as the copies report progress.
    std::int32_t weight() override;
    // Makes the folder (a refusal is no failure: it may be there already; the .jar copy tells),
    // copies the .jar, then the .jad, then deletes the settings file (a refusal is no failure:
    // a new game has none). ok: both files were written and the settings file is gone or was
    // never there. failure(): why the step that ended the install failed.
    void execute(SamsungComm& link) override;

    // Of the last execute: the phone path of the step that failed (empty when none did).
    const str& failedStep() const { return failed_step_; }

protected:
    // kind install; phonePath the game's folder; changedFolder the games folder.
    void describe(job_report& report) const override;

private:
    // One copy of a PC file; false (with the reason kept) when it failed.
    bool copy(SamsungComm& link, const str& pc, const str& phone);
    // Ends the install at `step` with the reason.
    void stop(const str& step, const link_failure& why);

    str folder_;
    str games_folder_;
    bool make_folder_ = false;
    str jar_pc_, jar_phone_;
    str jad_pc_, jad_phone_;
    str settings_;
    str failed_step_;
    unsigned files_ = 0;
    std::uint64_t bytes_ = 0;
};
