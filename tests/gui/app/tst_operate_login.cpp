// The desktop program's batch login prompt: asked from a worker thread, it
// shows its dialog on the window thread and hands back what was entered, or
// the cancel.
#include "operate/batch_login_prompt.h"
#include "ui/skin_button.h"

#include <QDialog>
#include <QLineEdit>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <thread>

class LoginPromptTest : public QObject {
    Q_OBJECT

private slots:
    void loginPromptAsksOnTheWindowThreadWhileTheWorkerWaits();
};

void LoginPromptTest::loginPromptAsksOnTheWindowThreadWhileTheWorkerWaits() {
    QWidget owner;
    owner.show();
    BatchLoginPrompt prompt(&owner);
    // The dialog runs modally on this thread; a timer answers it from inside.
    QString presetUser;
    bool cancelNext = false;
    QTimer answer;
    answer.setInterval(10);
    connect(&answer, &QTimer::timeout, this, [&] {
        auto* dialog = owner.findChild<QDialog*>("batchLoginDialog");
        if (dialog == nullptr || !dialog->isVisible()) {
            return;
        }
        QVERIFY(QThread::currentThread() == owner.thread());
        presetUser = dialog->findChild<QLineEdit*>("userEdit")->text();
        if (cancelNext) {
            dialog->reject();
            return;
        }
        dialog->findChild<QLineEdit*>("passwordEdit")->setText("secret");
        QTest::mouseClick(dialog->findChild<CxSkinButton*>("okButton"), Qt::LeftButton);
    });
    answer.start();
    for (const bool cancel : {false, true}) {
        cancelNext = cancel;
        std::atomic<bool> done{false};
        bool answered = false;
        std::string user;
        std::string password;
        std::thread worker([&] {
            LoginPromptRequest request;
            request.captionKey = "msg.Login_first";
            answered = prompt.AskCredentials(request, user, password);
            done = true;
        });
        QTRY_VERIFY_WITH_TIMEOUT(done.load(), 5000);
        worker.join();
        QCOMPARE(presetUser, QString("admin"));
        QCOMPARE(answered, !cancel);
        if (!cancel) {
            QCOMPARE(user, std::string("admin"));
            QCOMPARE(password, std::string("secret"));
        }
    }
}

QTEST_MAIN(LoginPromptTest)
#include "tst_operate_login.moc"
