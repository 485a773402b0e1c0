// Browsing speed over the Qt driver (see browse_bench.h), drawn off-screen unless
// QT_QPA_PLATFORM asks for a display (the application and the pump are the test support's);
// orvelctl is started with QProcess, its output going nowhere.

#include <QtCore/QCoreApplication>
#include <QtCore/QProcess>
#include <QtCore/QStringList>

#include "bench/browse_bench.h"

int run_quietly(const fs::path& program, const std::vector<std::string>& arguments) {
    QStringList list;
    for (const std::string& argument : arguments)
        list.push_back(QString::fromStdString(argument));
    QProcess process;
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(QString::fromStdString(program.string()), list);
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit)
        return -1;
    return process.exitCode();
}

fs::path orvelctl_path() {
    return fs::path(QCoreApplication::applicationDirPath().toStdString()) / "orvelctl";
}

int main(int argc, char** argv) {
    return browse_bench_main(argc, argv);
}
