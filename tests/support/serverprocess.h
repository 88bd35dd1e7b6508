#pragma once

#include <QByteArray>
#include <QProcess>

// Start and stop of the development servers a test runs.
namespace ServerProcess {

// Waits for the started server's "listening on host:port" line, collecting its output;
// the port, or 0 when the line did not come within timeoutMs or the server ended.
quint16 waitForListening(QProcess &process, QByteArray &output, int timeoutMs);
// Once the server has ended, each time, collects what is left of its output and passes a
// sanitizer's report in it on to the test's error output, where CTest fails the test on it;
// the server's output is otherwise kept apart from the test's.
void passOnSanitizerReports(QProcess &process, QByteArray &output);
// Terminates the server (killing it when it does not end) and collects its last output.
void stop(QProcess &process, QByteArray &output);

} // namespace ServerProcess
