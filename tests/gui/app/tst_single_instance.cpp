// One copy per session: the lock "HV_TOOL" refuses a second copy while the
// first runs, and a copy that was killed does not block the next start.
#include "app/corvane_app.h"
#include "platform/instance_lock.h"
#include "program_folder.h"
#include "ui/dlg_tip.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// True while some process holds the lock file (probing without keeping it).
bool LockHeld(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
    ::close(fd);
    return held;
}

} // namespace

class SingleInstanceTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void lockIsExclusiveAndDiesWithItsHolder();
    void secondProgramIsRefusedUntilTheFirstIsKilled();
    void messageWithoutAConfiguredName();

private:
    QTemporaryDir m_runtime;
    QList<QPair<QString, QString>> m_messages;
};

void SingleInstanceTest::init() {
    // A runtime folder of the test's own, so a copy the user runs is never involved.
    qputenv("XDG_RUNTIME_DIR", m_runtime.path().toLocal8Bit());
    m_messages.clear();
    CDlgTip::SetAnswerer([this](const TipRequest& request) {
        m_messages.append({request.text, request.title});
        return int(kTipOk);
    });
}

void SingleInstanceTest::cleanup() {
    CDlgTip::SetAnswerer({});
}

void SingleInstanceTest::lockIsExclusiveAndDiesWithItsHolder() {
    InstanceLock probe("HV_TOOL");
    QCOMPARE(QString::fromStdString(probe.LockPath()), m_runtime.path() + "/HV_TOOL.lock");
    int ready[2];
    QCOMPARE(::pipe(ready), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        InstanceLock held("HV_TOOL");
        const char state = held.Acquire() == InstanceLock::Result::Acquired ? 'y' : 'n';
        (void)::write(ready[1], &state, 1);
        ::pause();
        ::_exit(0);
    }
    char state = 0;
    QCOMPARE(::read(ready[0], &state, 1), ssize_t(1));
    QCOMPARE(state, 'y');
    QVERIFY(probe.Acquire() == InstanceLock::Result::HeldElsewhere);
    // Another name is another lock.
    InstanceLock other("OTHER_TOOL");
    QVERIFY(other.Acquire() == InstanceLock::Result::Acquired);
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    QVERIFY(probe.Acquire() == InstanceLock::Result::Acquired);
    ::close(ready[0]);
    ::close(ready[1]);
}

void SingleInstanceTest::secondProgramIsRefusedUntilTheFirstIsKilled() {
    TestProgramFolder folder;
    folder.SetConfig("SETTING", "App_Name", "Second Copy");
    const QString program = QString::fromLocal8Bit(qgetenv("CORVANE_BIN_DIR")) + "/corvane";
    QVERIFY2(QFile::exists(program), qPrintable(program));
    QProcess first;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    first.setProcessEnvironment(environment);
    first.start(program, {});
    QVERIFY(first.waitForStarted());
    const std::string lockPath = m_runtime.path().toStdString() + "/HV_TOOL.lock";
    QTRY_VERIFY_WITH_TIMEOUT(LockHeld(lockPath), 5000);

    // Another configuration, another name: still the same lock.
    CCorvaneApp second(folder.Path());
    QVERIFY(!second.AcquireSingleInstance());
    QCOMPARE(m_messages.size(), 1);
    QCOMPARE(m_messages[0].first, QString("Second Copy is running!"));
    QCOMPARE(m_messages[0].second, QString("Second Copy"));
    QVERIFY(!second.InitInstance());
    QCOMPARE(m_messages.size(), 2);

    first.kill();
    QVERIFY(first.waitForFinished());
    CCorvaneApp third(folder.Path());
    QVERIFY(third.AcquireSingleInstance());
    QCOMPARE(m_messages.size(), 2);
}

void SingleInstanceTest::messageWithoutAConfiguredName() {
    TestProgramFolder folder;
    folder.RemoveConfig();
    InstanceLock holder("HV_TOOL");
    QVERIFY(holder.Acquire() == InstanceLock::Result::Acquired);
    // flock locks belong to the open file: a second open in this process is refused too.
    CCorvaneApp second(folder.Path());
    QVERIFY(!second.AcquireSingleInstance());
    QCOMPARE(m_messages.size(), 1);
    QCOMPARE(m_messages[0].first, QString(" is running!"));
    QCOMPARE(m_messages[0].second, QString());
}

QTEST_MAIN(SingleInstanceTest)
#include "tst_single_instance.moc"
