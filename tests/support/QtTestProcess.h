#pragma once

#include "DieWithTest.h"

#include <QProcess>

#include <unistd.h>

namespace quorvel::test {

// A program started by a test ends with the test; call before start().
inline void EndWithTest(QProcess& process) {
    const pid_t test = ::getpid();
    process.setChildProcessModifier([test] { DieWithTest(test); });
}

}  // namespace quorvel::test
