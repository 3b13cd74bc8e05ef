#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace dovrin {

// Starts a program that runs on its own: no shell, each argument passed as it is, byte for
// byte, and the program is not the caller's child, so it needs no waiting for and outlives
// the caller. `program` is a path, or a bare name looked up in PATH. Standard input is
// /dev/null; the working folder is `workingFolder` when given. Returns false, with the
// reason in `error`, when the program could not be executed.
bool startDetached(const QByteArray& program, const QList<QByteArray>& arguments,
                   const QByteArray& workingFolder = {}, QString* error = nullptr);

// Runs a program the same way (no shell, arguments byte for byte, standard input /dev/null)
// and waits for it: its exit status, or -1 when it could not be run or was killed.
int runProgram(const QByteArray& program, const QList<QByteArray>& arguments);

} // namespace dovrin
