#include "tracker/live/watched_program.h"

#include <QProcess>
#include <QStringList>

namespace marlovex::tracker {
namespace {

// The first line of what a program wrote: the import program says what it has to say in one.
std::string firstLine(const QByteArray& bytes) {
    const QByteArray line = bytes.left(bytes.indexOf('\n')).trimmed();
    return QString::fromUtf8(line).toStdString();
}

} // namespace

void startWatchedProgram(QObject* owner, const std::string& program,
                         const std::vector<std::string>& arguments, ProgramFinished finished) {
    // Not the owner's child: a child would be killed while the owner's own destructors run, and
    // its end would be reported into an object half gone. It is stopped, unreported, once the
    // owner is destroyed.
    auto* process = new QProcess;
    QObject::connect(owner, &QObject::destroyed, process, [process] {
        process->disconnect();
        delete process;
    });
    QStringList argumentList;
    for (const std::string& argument : arguments) {
        argumentList << QString::fromStdString(argument);
    }
    process->setProgram(QString::fromStdString(program));
    process->setArguments(argumentList);
    process->setStandardInputFile(QProcess::nullDevice());
    QObject::connect(process, &QProcess::finished, process,
                     [process, finished](int exitCode, QProcess::ExitStatus status) {
                         ProgramOutcome outcome;
                         outcome.exitCode = status == QProcess::NormalExit ? exitCode : -1;
                         outcome.output = firstLine(process->readAllStandardOutput());
                         outcome.error = firstLine(process->readAllStandardError());
                         process->deleteLater();
                         finished(outcome);
                     });
    QObject::connect(process, &QProcess::errorOccurred, process,
                     [process, finished](QProcess::ProcessError error) {
                         // A program that ran and crashed also ends in finished(); only a failed start ends
                         // here.
                         if (error != QProcess::FailedToStart) {
                             return;
                         }
                         ProgramOutcome outcome;
                         outcome.error = process->errorString().toStdString();
                         process->deleteLater();
                         finished(outcome);
                     });
    process->start();
}

} // namespace marlovex::tracker
