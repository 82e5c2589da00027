#pragma once
// Runs work on a pool thread, then done with its result on the window
// thread, unless owner is gone by then. The result travels through the
// application object, which outlives every window.
#include <QApplication>
#include <QMetaObject>
#include <QPointer>
#include <QThreadPool>
#include <memory>

template <typename Work, typename Done> void RunThen(QObject* owner, Work work, Done done) {
    QPointer<QObject> self(owner);
    QThreadPool::globalInstance()->start([self, work = std::move(work), done = std::move(done)]() mutable {
        auto result = std::make_shared<decltype(work())>(work());
        QMetaObject::invokeMethod(
            qApp,
            [self, done = std::move(done), result]() mutable {
                if (self != nullptr) {
                    done(*result);
                }
            },
            Qt::QueuedConnection);
    });
}
