#pragma once

#include <QProcess>
#include <QStringList>

// Runs dovrin-cli on a database folder and keeps what it said.
namespace dovrin::test {

struct CliRun
{
    int status = -1; // -1: it did not finish
    QByteArray out;
    QByteArray err;
};

// `locale`, when given, is the tool's LC_ALL (the fixtures' listings are in en_GB).
inline CliRun runCli(const QString& database, const QStringList& args, const QString& locale = {})
{
    QProcess cli;
    if (!locale.isEmpty()) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("LC_ALL"), locale);
        cli.setProcessEnvironment(environment);
    }
    cli.start(QStringLiteral(DOVRIN_CLI_BINARY),
              QStringList{QStringLiteral("--database"), database} + args);
    CliRun run;
    if (cli.waitForFinished(60000))
        run.status = cli.exitCode();
    run.out = cli.readAllStandardOutput();
    run.err = cli.readAllStandardError();
    return run;
}

} // namespace dovrin::test
