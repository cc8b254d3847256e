#include "ordinaryuser.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTest>

#include <cstdio>
#include <cstdlib>
#include <grp.h>
#include <unistd.h>

namespace {

const char *const kUserVariable = "RANGE_TEST_AS_UID";
const char *const kFunctionTimeoutVariable = "QTEST_FUNCTION_TIMEOUT";
// QTest's own limit of a test function when its variable does not set one.
constexpr int kQTestFunctionTimeoutMs = 300000;
// Left of this process's function limit once the child's has passed: the
// child is killed and what it printed is read before this process is.
constexpr int kChildMarginMs = 60000;

int functionTimeoutMs()
{
    bool ok = false;
    const int set = qEnvironmentVariableIntValue(kFunctionTimeoutVariable, &ok);
    return ok && set > 0 ? set : kQTestFunctionTimeoutMs;
}

} // namespace

namespace OrdinaryUser {

bool becomeAskedUser()
{
    const char *asked = std::getenv(kUserVariable);
    if (!asked || !*asked)
        return true;
    const auto id = static_cast<unsigned>(std::strtoul(asked, nullptr, 10));
    // Groups first: once the user is dropped, they can no longer be.
    if (setgroups(0, nullptr) != 0 || setgid(id) != 0 || setuid(id) != 0 || geteuid() != id) {
        std::perror("becoming an ordinary user");
        return false;
    }
    unsetenv(kUserVariable);
    // Root's runtime folder and home are not the user's.
    unsetenv("XDG_RUNTIME_DIR");
    setenv("HOME", "/tmp", 1);
    return true;
}

bool modesHold()
{
    return geteuid() != 0;
}

bool runCurrentTest(QByteArray *output)
{
    QString function = QString::fromLatin1(QTest::currentTestFunction());
    if (const char *row = QTest::currentDataTag())
        function += QLatin1Char(':') + QString::fromLocal8Bit(row);
    // The child's own limit ends it first, with its own word on where it
    // stood; failing that, it is killed while this process still runs.
    const int ownLimitMs = functionTimeoutMs();
    const int childLimitMs = ownLimitMs > 2 * kChildMarginMs ? ownLimitMs - kChildMarginMs
                                                               : ownLimitMs / 2;
    const int waitMs = childLimitMs + (ownLimitMs - childLimitMs) / 2;
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(kUserVariable), QString::number(kNobody));
    environment.insert(QString::fromLatin1(kFunctionTimeoutVariable), QString::number(childLimitMs));
    environment.insert(QStringLiteral("TMPDIR"), QStringLiteral("/tmp"));
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    // From "/tmp": the child cannot use root's current directory as its own.
    child.setWorkingDirectory(QStringLiteral("/tmp"));
    child.start(QCoreApplication::applicationFilePath(), {function});
    const bool finished = child.waitForFinished(waitMs);
    if (!finished) {
        child.kill();
        child.waitForFinished();
    }
    output->clear();
    const QByteArray printed = child.readAll();
    if (finished && child.exitStatus() == QProcess::NormalExit) {
        // What failed, without the child's warnings.
        for (const QByteArray &line : printed.split('\n')) {
            if (line.startsWith("FAIL!") || line.startsWith("   ") || line.startsWith("Totals"))
                *output += line + '\n';
        }
        return child.exitCode() == 0;
    }
    // Ended by its limit, killed or crashed: where it stood is in its
    // warnings, too long for a failure message; into this process's log.
    *output = finished ? QByteArray("the child crashed")
                       : QByteArray("the child ran ") + QByteArray::number(waitMs / 1000)
            + " s and was killed";
    std::fprintf(stderr, "%s; it printed:\n%s\n", output->constData(), printed.constData());
    *output += "; what it printed is above";
    return false;
}

} // namespace OrdinaryUser
