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
constexpr int kChildTimeoutMs = 300000;

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
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(kUserVariable), QString::number(kNobody));
    environment.insert(QStringLiteral("TMPDIR"), QStringLiteral("/tmp"));
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    // From "/tmp": the child cannot use root's current directory as its own.
    child.setWorkingDirectory(QStringLiteral("/tmp"));
    child.start(QCoreApplication::applicationFilePath(), {function});
    const bool finished = child.waitForFinished(kChildTimeoutMs);
    // What failed, without the child's warnings.
    output->clear();
    for (const QByteArray &line : child.readAll().split('\n')) {
        if (line.startsWith("FAIL!") || line.startsWith("   ") || line.startsWith("Totals"))
            *output += line + '\n';
    }
    return finished && child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0;
}

} // namespace OrdinaryUser
