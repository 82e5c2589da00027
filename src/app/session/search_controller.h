#pragma once
// Runs the device search off the user-interface thread. The search's
// threads report found devices, texts and the result; each report is
// posted, in the order it was made, to this object's thread, so the windows
// only ever see the table change on their own thread.
#include "discovery/search_engine.h"
#include "discovery/search_worker.h"

#include <QObject>
#include <functional>
#include <vector>

class SearchController : public QObject {
    Q_OBJECT

public:
    // Each runs on this object's thread.
    struct Handlers {
        std::function<void(std::vector<DeviceEntry>)> found; // devices new to this search
        std::function<void(std::vector<DeviceEntry>)> texts; // V3 texts of devices found
        std::function<void(SearchResult)> done;
    };

    explicit SearchController(QObject* parent = nullptr);
    ~SearchController() override;

    // Starts one search. False (nothing started) while a search runs, that
    // is until its done handler has run.
    bool Start(SearchOptions options, Handlers handlers);

private:
    // Runs call on this object's thread, after every report posted before.
    void Post(std::function<void()> call);

    SearchWorker m_worker;
    bool m_running = false; // touched on this object's thread only
};
