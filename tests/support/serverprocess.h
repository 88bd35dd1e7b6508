#pragma once

#include <QByteArray>
#include <QProcess>

// Start and stop of the development servers a test runs.
namespace ServerProcess {

// Waits for the started server's "listening on host:port" line, collecting its output;
// the port, or 0 when the line did not come within timeoutMs or the server ended.
quint16 waitForListening(QProcess &process, QByteArray &output, int timeoutMs);
// Terminates the server (killing it when it does not end) and collects its last output.
void stop(QProcess &process, QByteArray &output);

} // namespace ServerProcess
