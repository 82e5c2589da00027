#pragma once
// Runs the device search off the user-interface thread. The search engine's
// worker fills tables of its own; its result comes back to this object's
// thread through a queued call, so the windows only ever see a finished
// table, on their own thread.
#include "discovery/search_engine.h"

#include <QObject>
#include <functional>

class SearchController : public QObject {
    Q_OBJECT

public:
    using Handler = std::function<void(SearchResult)>;

    explicit SearchController(QObject* parent = nullptr);
    ~SearchController() override;

    // Starts one search; done runs on this object's thread with the result.
    // False (nothing started) while a search runs, that is until its done
    // handler has run.
    bool Start(SearchOptions options, Handler done);

private:
    SearchWorker m_worker;
    bool m_running = false; // touched on this object's thread only
};
