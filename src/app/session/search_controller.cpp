#include "session/search_controller.h"

#include <QMetaObject>
#include <memory>

SearchController::SearchController(QObject* parent) : QObject(parent) {}

// The worker is joined by its own destructor (a running search is told to
// stop); reports it posted meanwhile are dropped with this object.
SearchController::~SearchController() = default;

void SearchController::Post(std::function<void()> call) {
    QMetaObject::invokeMethod(this, std::move(call), Qt::QueuedConnection);
}

bool SearchController::Start(SearchOptions options, Handlers handlers) {
    if (m_running) {
        return false;
    }
    // The previous search has delivered its result; its thread is at most
    // returning from the publish call, so this wait is short.
    m_worker.Wait();
    m_running = true;
    auto shared = std::make_shared<Handlers>(std::move(handlers));
    options.progress.v1Found = [this, shared](std::vector<DeviceEntry> entries) {
        Post([shared, found = std::move(entries)]() mutable { shared->found(std::move(found)); });
    };
    options.progress.v3Found = [this, shared](std::vector<DeviceEntry> entries) {
        Post([shared, texts = std::move(entries)]() mutable { shared->texts(std::move(texts)); });
    };
    return m_worker.Start(std::move(options), [this, shared](SearchResult result) {
        Post([this, shared, result = std::make_shared<SearchResult>(std::move(result))] {
            m_running = false;
            shared->done(std::move(*result));
        });
    });
}
