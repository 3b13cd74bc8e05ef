#pragma once

#include <QProcess>
#include <QStringList>

// Runs dovrin-cli on a database folder and keeps what it said.
namespace dovrin::test {

struct CliRun
{
    int status = -1; // -1: it did not finish, or it crashed
    QByteArray out;
    QByteArray err;
};

// `locale`, when given, is the tool's LC_ALL (the fixtures' listings are in en_GB); `wrapper`
// runs the tool through another program, such as a user switch.
inline CliRun runCli(const QString& database, const QStringList& args, const QString& locale = {},
                     const QStringList& wrapper = {})
{
    QProcess cli;
    if (!locale.isEmpty()) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("LC_ALL"), locale);
        cli.setProcessEnvironment(environment);
    }
    const QStringList command =
        wrapper +
        QStringList{QStringLiteral(DOVRIN_CLI_BINARY), QStringLiteral("--database"), database} +
        args;
    cli.start(command.first(), command.mid(1));
    CliRun run;
    if (cli.waitForFinished(60000) && cli.exitStatus() == QProcess::NormalExit)
        run.status = cli.exitCode();
    run.out = cli.readAllStandardOutput();
    run.err = cli.readAllStandardError();
    return run;
}

} // namespace dovrin::test
