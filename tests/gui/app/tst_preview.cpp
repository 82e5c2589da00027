// The preview window on an SDK of the test's own: start and stop, a refused
// preview, maximise and dragging, the connection-full callback from another
// thread, and pictures that do not decode.
#include "devlist/dlg_preview.h"
#include "devlist/open_preview.h"
#include "devlist/preview_video.h"
#include "devlist/preview_view.h"
#include "session/device_session.h"
#include "ui/dlg_tip.h"
#include "ui/skin_button.h"

#include <QBuffer>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QThreadPool>
#include <QTimer>
#include <atomic>
#include <cstring>
#include <mutex>
#include <thread>

namespace {

// The preview calls of one fake device, callable from any thread.
struct FakePreviewSdk {
    std::atomic<int> starts{0};
    std::atomic<int> stops{0};
    std::atomic<int> stoppedHandle{0};
    std::atomic<int> startAnswer{42};
    std::mutex mutex;
    SdkFrameSink* sink = nullptr;
    SdkConnectionFullCallback connectionFull = nullptr;
    void* connectionFullContext = nullptr;

    PreviewSdkCalls Calls() {
        PreviewSdkCalls calls;
        calls.setOption = [](int, int) { return 1; };
        calls.connectionFull = [this](SdkConnectionFullCallback callback, void* context) {
            std::lock_guard lock(mutex);
            connectionFull = callback;
            connectionFullContext = context;
            return 1;
        };
        calls.start = [this](int login, int, SdkFrameSink* frames, int stream, int) {
            ++starts;
            if (login != 7 || stream != 2) {
                return 0;
            }
            std::lock_guard lock(mutex);
            sink = startAnswer != 0 ? frames : nullptr;
            return startAnswer.load();
        };
        calls.stop = [this](int handle) {
            ++stops;
            stoppedHandle = handle;
            std::lock_guard lock(mutex);
            sink = nullptr;
            return 1;
        };
        return calls;
    }
};

QByteArray Jpeg(QColor colour) {
    QImage image(320, 180, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 80);
    return bytes;
}

void Feed(SdkFrameSink* sink, const QByteArray& bytes) {
    sink->OnFrame(reinterpret_cast<const uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size()),
                  320, 180);
}

// A family's own stream, fed by the test as its worker would.
struct FakeLinkStreams {
    std::atomic<int> opened{0};
    std::atomic<int> stopped{0};
    std::atomic<int> destroyed{0};
    std::mutex mutex;
    PreviewObserver* observer = nullptr;
    FrameSlot* slot = nullptr;

    struct Stream : PreviewStream {
        FakeLinkStreams& owner;
        FrameSlot frames;
        explicit Stream(FakeLinkStreams& streams) : owner(streams) {}
        ~Stream() override { ++owner.destroyed; }
        void Start(PreviewObserver& observer) override {
            std::lock_guard lock(owner.mutex);
            owner.observer = &observer;
            owner.slot = &frames;
        }
        void Stop() override {
            ++owner.stopped;
            std::lock_guard lock(owner.mutex);
            owner.observer = nullptr;
        }
        void SetTargetSize(int, int) override {}
        FrameSlot& Frames() override { return frames; }
    };

    LinkPreview::Opener Opener() {
        return [this] {
            ++opened;
            return std::make_unique<Stream>(*this);
        };
    }
    // From another thread, as the worker tells.
    void Picture(QRgb colour) {
        std::thread([this, colour] {
            VideoFrame frame;
            frame.width = 160;
            frame.height = 90;
            frame.pixels.resize(160 * 90 * 4);
            for (std::size_t i = 0; i < frame.pixels.size(); i += 4) {
                std::memcpy(&frame.pixels[i], &colour, 4);
            }
            std::lock_guard lock(mutex);
            if (observer != nullptr && slot->Put(frame)) {
                observer->OnPictureReady();
            }
        }).join();
    }
    void End(StreamEnd end) {
        std::thread([this, end] {
            std::lock_guard lock(mutex);
            if (observer != nullptr) {
                observer->OnEnded(end);
            }
        }).join();
    }
};

} // namespace

class PreviewTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void openingAndClosingStartsAndStopsOnce();
    void aRefusedPreviewShowsTheFailureAndClosingStopsNothing();
    void maximiseTwiceReturnsToTheExactPlaceAndADoubleClickInTheBandToggles();
    void aPressBelowTheBandDoesNotDrag();
    void connectionFullFromAnotherThreadShowsOneMessage();
    void undecodablePicturesAreDroppedAndLaterOnesShow();
    void openPreviewLaysTheWindowOverTheMainWindowAndRunsItModally();
    void aLinkStreamConnectsShowsPicturesAndOffersToReconnectWhenItStops();

private:
    void Open();
    void Close();

    std::unique_ptr<FakePreviewSdk> m_fake;
    std::unique_ptr<QWidget> m_main;
    std::unique_ptr<CDlgPreview> m_preview;
    QList<TipRequest> m_tips;
};

void PreviewTest::init() {
    m_fake = std::make_unique<FakePreviewSdk>();
    m_tips.clear();
    CDlgTip::SetAnswerer([this](const TipRequest& request) {
        m_tips.append(request);
        return int(kTipOk);
    });
    m_main = std::make_unique<QWidget>();
    m_main->setGeometry(100, 100, 1090, 700);
}

void PreviewTest::cleanup() {
    m_preview.reset();
    QThreadPool::globalInstance()->waitForDone();
    m_main.reset();
    CDlgTip::SetAnswerer(nullptr);
}

void PreviewTest::Open() {
    m_preview = std::make_unique<CDlgPreview>(m_main.get(), 7, "10.77.16.1", 2, m_fake->Calls());
    m_preview->setGeometry(130, 120, 1030, 665);
    m_preview->Start();
    m_preview->show();
}

void PreviewTest::Close() {
    QTest::mouseClick(m_preview->findChild<CxSkinButton*>("closeButton"), Qt::LeftButton);
    QThreadPool::globalInstance()->waitForDone();
}

void PreviewTest::openingAndClosingStartsAndStopsOnce() {
    Open();
    QCOMPARE(m_preview->findChild<QLabel*>("title")->text(),
             QString("tx.Preview - 10.77.16.1 - tx.Main_stream"));
    QSignalSpy started(m_preview.get(), &CDlgPreview::PreviewStarted);
    QTRY_COMPARE(started.size(), 1);
    QCOMPARE(started.at(0).at(0).toBool(), true);
    QCOMPARE(m_preview->PreviewHandle(), 42);
    QVERIFY(m_preview->Video()->isVisible());
    QCOMPARE(m_preview->Video()->geometry(), QRect(0, 50, 1030, 615));
    QSignalSpy closed(m_preview.get(), &CDlgPreview::PreviewClosed);
    Close();
    QCOMPARE(closed.size(), 1);
    QCOMPARE(m_fake->starts.load(), 1);
    QCOMPARE(m_fake->stops.load(), 1);
    QCOMPARE(m_fake->stoppedHandle.load(), 42);
    m_preview.reset(); // the destructor stops nothing more
    QThreadPool::globalInstance()->waitForDone();
    QCOMPARE(m_fake->stops.load(), 1);
    QVERIFY(m_tips.isEmpty());
}

void PreviewTest::aRefusedPreviewShowsTheFailureAndClosingStopsNothing() {
    m_fake->startAnswer = 0;
    Open();
    QTRY_COMPARE(m_tips.size(), 1);
    QCOMPARE(m_tips[0].text, QString("info.Preview_open_fail"));
    QCOMPARE(m_tips[0].iconType, int(kTipIconInformation));
    QVERIFY(!m_preview->Video()->isVisible());
    QVERIFY(m_preview->isVisible()); // open and empty
    Close();
    QCOMPARE(m_fake->starts.load(), 1);
    QCOMPARE(m_fake->stops.load(), 0);
}

void PreviewTest::maximiseTwiceReturnsToTheExactPlaceAndADoubleClickInTheBandToggles() {
    Open();
    const QRect before = m_preview->geometry();
    auto* maximise = m_preview->findChild<CxSkinButton*>("maximiseButton");
    QCOMPARE(maximise->geometry(), QRect(before.width() - 48, 4, 20, 20));
    QVERIFY(!m_preview->findChild<CxSkinButton*>("minimiseButton")->isVisible());
    QTest::mouseClick(maximise, Qt::LeftButton);
    QVERIFY(m_preview->IsMaximised());
    QCOMPARE(m_preview->geometry(), m_preview->screen()->availableGeometry());
    QCOMPARE(m_preview->Video()->geometry().bottomRight(), m_preview->rect().bottomRight());
    QTest::mouseClick(maximise, Qt::LeftButton);
    QVERIFY(!m_preview->IsMaximised());
    QCOMPARE(m_preview->geometry(), before);
    QTest::mouseDClick(m_preview.get(), Qt::LeftButton, {}, QPoint(500, 30));
    QVERIFY(m_preview->IsMaximised());
    QTest::mouseDClick(m_preview.get(), Qt::LeftButton, {}, QPoint(500, 60)); // in the video area
    QVERIFY(m_preview->IsMaximised());
}

void PreviewTest::aPressBelowTheBandDoesNotDrag() {
    Open();
    const QPoint start = m_preview->pos();
    const auto drag = [this](int y) {
        QTest::mousePress(m_preview.get(), Qt::LeftButton, {}, QPoint(400, y));
        QMouseEvent move(QEvent::MouseMove, QPointF(440, y + 30),
                         m_preview->mapToGlobal(QPointF(440, y + 30)), Qt::NoButton, Qt::LeftButton, {});
        QApplication::sendEvent(m_preview.get(), &move);
        QTest::mouseRelease(m_preview.get(), Qt::LeftButton, {}, QPoint(440, y + 30));
    };
    drag(51);
    QCOMPARE(m_preview->pos(), start);
    drag(49);
    QCOMPARE(m_preview->pos(), start + QPoint(40, 30));
}

void PreviewTest::connectionFullFromAnotherThreadShowsOneMessage() {
    Open();
    SdkConnectionFullCallback callback = nullptr;
    void* context = nullptr;
    {
        std::lock_guard lock(m_fake->mutex);
        callback = m_fake->connectionFull;
        context = m_fake->connectionFullContext;
    }
    QVERIFY(callback != nullptr);
    std::thread library([callback, context] {
        callback(context);
        callback(context);
    });
    library.join();
    QTRY_COMPARE(m_tips.size(), 1);
    QTest::qWait(50);
    QCOMPARE(m_tips.size(), 1);
    QCOMPARE(m_tips[0].text, QString("info.Connect_full"));
    Close();
    std::lock_guard lock(m_fake->mutex);
    QVERIFY(m_fake->connectionFull == nullptr); // the closed window is no longer called
}

void PreviewTest::undecodablePicturesAreDroppedAndLaterOnesShow() {
    Open();
    QSignalSpy started(m_preview.get(), &CDlgPreview::PreviewStarted);
    QTRY_COMPARE(started.size(), 1);
    SdkFrameSink* sink = nullptr;
    {
        std::lock_guard lock(m_fake->mutex);
        sink = m_fake->sink;
    }
    QVERIFY(sink != nullptr);
    const QByteArray red = Jpeg(Qt::red);
    QByteArray scrambled = Jpeg(Qt::blue);
    for (qsizetype i = 3; i < scrambled.size(); ++i) {
        scrambled[i] = char(scrambled[i] ^ (0xA5 + i * 7));
    }
    const QByteArray cut = Jpeg(Qt::blue).left(40);
    const QByteArray green = Jpeg(Qt::green);
    const auto* video = m_preview->Video();
    const auto centre = [video] {
        const QImage& picture = video->Picture();
        return picture.isNull() ? QColor() : picture.pixelColor(picture.width() / 2, picture.height() / 2);
    };
    std::thread([&] { Feed(sink, red); }).join();
    QTRY_VERIFY(centre().red() > 200);
    // One at a time, so that none is replaced by the next while it waits.
    const auto counts = [this] { return m_preview->VideoPath()->Counts(); };
    std::thread([&] { Feed(sink, scrambled); }).join();
    QTRY_COMPARE(counts().undecodable, uint64_t(1));
    std::thread([&] { Feed(sink, cut); }).join();
    QTRY_COMPARE(counts().undecodable, uint64_t(2));
    QVERIFY(centre().red() > 200); // the last good picture stays
    std::thread([&] { Feed(sink, green); }).join();
    QTRY_VERIFY(centre().green() > 200 && centre().red() < 60);
    QTRY_VERIFY(video->PaintedPictures() >= 1);
    // The session ends: the failure is shown once, the picture stays.
    std::thread([&] {
        sink->OnStreamEnded();
        sink->OnStreamEnded();
    }).join();
    QTRY_COMPARE(m_tips.size(), 1);
    QTest::qWait(50);
    QCOMPARE(m_tips.size(), 1);
    QCOMPARE(m_tips[0].text, QString("info.Preview_open_fail"));
    QVERIFY(centre().green() > 200);
}

void PreviewTest::openPreviewLaysTheWindowOverTheMainWindowAndRunsItModally() {
    m_main->show();
    DeviceSession session;
    DeviceEntry entry;
    entry.mac = "02-C0-00-00-00-07";
    entry.ip = "10.77.16.1";
    session.Logins().Begin(entry.mac, DeviceLogin{nullptr, 7, "admin", "pw"});
    int closedNotices = 0;
    QRect placed;
    bool runningMeanwhile = false;
    QTimer::singleShot(0, this, [&] {
        auto* preview = qobject_cast<CDlgPreview*>(QApplication::activeModalWidget());
        QVERIFY(preview != nullptr);
        placed = preview->geometry();
        runningMeanwhile = session.IsOperationRunning();
        QTRY_COMPARE(preview->PreviewHandle(), 42);
        QTest::mouseClick(preview->findChild<CxSkinButton*>("closeButton"), Qt::LeftButton);
    });
    QCOMPARE(OpenPreview(
                 m_main.get(), session, entry, 2, [&] { ++closedNotices; }, m_fake->Calls()),
             1);
    QThreadPool::globalInstance()->waitForDone();
    QCOMPARE(placed, m_main->frameGeometry().adjusted(30, 20, -30, -15));
    QVERIFY(runningMeanwhile); // a periodic search would have logged the device out
    QVERIFY(!session.IsOperationRunning());
    QCOMPARE(closedNotices, 1);
    QCOMPARE(m_fake->starts.load(), 1);
    QCOMPARE(m_fake->stops.load(), 1);
    QCOMPARE(session.Logins().Handle(entry.mac), 7); // the login stays open
}

void PreviewTest::aLinkStreamConnectsShowsPicturesAndOffersToReconnectWhenItStops() {
    FakeLinkStreams streams;
    m_preview = std::make_unique<CDlgPreview>(m_main.get(), 9, "10.77.16.141", 3, m_fake->Calls());
    m_preview->setGeometry(130, 120, 1030, 665);
    m_preview->UseLinkStream(streams.Opener());
    m_preview->Start();
    m_preview->show();
    auto* status = m_preview->findChild<QLabel*>("previewStatus");
    auto* reconnect = m_preview->findChild<CxSkinButton*>("reconnectButton");
    const auto* video = m_preview->Video();
    QCOMPARE(status->text(), QString("tx.Preview_connecting"));
    QVERIFY(status->isVisible() && !video->isVisible() && !reconnect->isVisible());
    QCOMPARE(m_fake->starts.load(), 0); // the SDK is not asked

    streams.Picture(qRgb(250, 0, 0));
    QTRY_VERIFY(video->isVisible());
    QVERIFY(!status->isVisible());
    QCOMPARE(video->Picture().size(), QSize(160, 90));
    QCOMPARE(video->Picture().pixelColor(80, 45).red(), 250);

    // Stopped: no frozen picture, the reason and the way back.
    streams.End(StreamEnd::Stopped);
    QTRY_VERIFY(reconnect->isVisible());
    QVERIFY(!video->isVisible());
    QCOMPARE(status->text(), QString("info.Preview_stopped"));
    QTRY_COMPARE(streams.destroyed.load(), 1);
    QVERIFY(m_tips.isEmpty());

    QTest::mouseClick(reconnect, Qt::LeftButton);
    QCOMPARE(streams.opened.load(), 2);
    QCOMPARE(status->text(), QString("tx.Preview_connecting"));
    QVERIFY(!reconnect->isVisible());
    streams.Picture(qRgb(0, 0, 250));
    QTRY_VERIFY(video->isVisible() && video->Picture().pixelColor(80, 45).blue() == 250);

    // Closing stops the stream at once and lets it go off this thread.
    Close();
    QCOMPARE(streams.stopped.load(), 2);
    QCOMPARE(streams.destroyed.load(), 2);
    QCOMPARE(m_fake->stops.load(), 0);
}

QTEST_MAIN(PreviewTest)
#include "tst_preview.moc"
