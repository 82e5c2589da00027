#include "session/search_controller.h"

#include <QMetaObject>
#include <memory>

SearchController::SearchController(QObject* parent) : QObject(parent) {}

// The worker is joined by its own destructor (a running search is told to
// stop); a result it posted meanwhile is dropped with this object.
SearchController::~SearchController() = default;

bool SearchController::Start(SearchOptions options, Handler done) {
    if (m_running) {
        return false;
    }
    // The previous search has delivered its result; its thread is at most
    // returning from the publish call, so this wait is short.
    m_worker.Wait();
    m_running = true;
    return m_worker.Start(std::move(options), [this, done = std::move(done)](SearchResult result) {
        auto shared = std::make_shared<SearchResult>(std::move(result));
        QMetaObject::invokeMethod(
            this,
            [this, done, shared]() {
                m_running = false;
                done(std::move(*shared));
            },
            Qt::QueuedConnection);
    });
}
