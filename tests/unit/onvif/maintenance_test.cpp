// The maintenance operations against fake transports and a clock that moves
// only when they wait: the messages of the ONVIF documents parsed, MTOM
// bodies taken apart, and the upgrade, export and restore decided from what
// the device answers.
#include "fake_transport.h"
#include "fixtures.h"
#include "onvif/config_backup.h"
#include "onvif/firmware_upgrade.h"
#include "onvif/mtom.h"
#include "onvif/onvif_link.h"
#include "onvif/system_messages.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace onvif;

namespace {

const std::string kUrl = "http://10.0.1.5/onvif/device_service";

class StepClock : public Clock {
public:
    int64_t NowMs() override { return m_now; }
    void SleepMs(int64_t ms) override { m_now += ms; }

private:
    int64_t m_now = 0;
};

// Keeps what was sent, with the ranges' addresses (to see that nothing was
// copied), and answers from a handler.
class FakeFiles : public FileTransport {
public:
    using Handler = std::function<FileReply(const FileTransfer&)>;
    explicit FakeFiles(Handler handler) : m_handler(std::move(handler)) {}
    FileReply Transfer(const FileTransfer& transfer) override {
        sent.push_back(transfer);
        std::string whole; // the ranges end with the call
        for (const ByteRange& range : transfer.body) {
            whole.append(reinterpret_cast<const char*>(range.data()), range.size());
        }
        bodies.push_back(whole);
        if (transfer.progress && reportsProgress) {
            const uint64_t total = TotalSize(transfer.body);
            for (uint64_t at = 0; at <= total; at += total / 7 + 1) {
                transfer.progress(at, total);
            }
            transfer.progress(total, total);
        }
        return m_handler(transfer);
    }
    std::vector<FileTransfer> sent;
    std::vector<std::string> bodies;
    bool reportsProgress = true; // the whole body, before the handler answers

private:
    Handler m_handler;
};

FileReply Http(long status, std::string body = {}, std::string type = {}) {
    return {TransportResult::Ok, status, std::move(type), std::move(body)};
}

std::string Information(const std::string& version) {
    return fixtures::Response("<tds:GetDeviceInformationResponse><tds:Manufacturer>Acme</tds:Manufacturer>"
                              "<tds:Model>IPC-4M</tds:Model><tds:FirmwareVersion>" +
                              version +
                              "</tds:FirmwareVersion><tds:SerialNumber>1</tds:SerialNumber>"
                              "<tds:HardwareId>H</tds:HardwareId></tds:GetDeviceInformationResponse>");
}

const std::string kStartUpgrade = fixtures::Response(
    "<tds:StartFirmwareUpgradeResponse><tds:UploadUri>http://10.0.1.5/upload/fw-77</tds:UploadUri>"
    "<tds:UploadDelay>PT2S</tds:UploadDelay><tds:ExpectedDownTime>PT1M30S</tds:ExpectedDownTime>"
    "</tds:StartFirmwareUpgradeResponse>");

bool Asks(const SentRequest& request, const std::string& name) {
    return request.action.ends_with("/" + name);
}

struct Rig {
    FakeTransport soap;
    FakeFiles files;
    AuthMemory auth;
    OnvifCredentials login{"admin", "secret"};
    StepClock clock;

    Rig(FakeTransport::Handler soapHandler, FakeFiles::Handler filesHandler)
        : soap(std::move(soapHandler)), files(std::move(filesHandler)) {}
    DeviceChannel Channel() {
        return {soap, files, auth, {kUrl}, login, [] { return int64_t{0}; }, clock, {}};
    }
};

TEST(MaintenanceMessages, DurationsAndStartAnswersAsTheSchemaWritesThem) {
    EXPECT_EQ(ParseDurationMs("PT30S"), 30000);
    EXPECT_EQ(ParseDurationMs("PT1M30.5S"), 90500);
    EXPECT_EQ(ParseDurationMs("P1DT2H"), 93600000);
    EXPECT_EQ(ParseDurationMs("PT0S"), 0);
    for (const char* bad : {"30S", "P1Y", "P2M", "PT", "P", "PT1.5M", "PTS", "P-1D", "P999999999D", "PT5"}) {
        EXPECT_FALSE(ParseDurationMs(bad)) << bad;
    }
    const auto ticket = ParseStartFirmwareUpgrade(kStartUpgrade);
    ASSERT_TRUE(ticket);
    EXPECT_EQ(ticket->uploadUri, "http://10.0.1.5/upload/fw-77");
    EXPECT_EQ(ticket->uploadDelayMs, 2000);
    EXPECT_EQ(ticket->expectedDownMs, 90000);
    // Only HTTP addresses are posted to.
    std::string ftp = kStartUpgrade;
    ftp.replace(ftp.find("http://10.0.1.5/upload"), 4, "ftp");
    EXPECT_FALSE(ParseStartFirmwareUpgrade(ftp));
    EXPECT_FALSE(ParseStartFirmwareUpgrade(fixtures::Fault("ter:ActionNotSupported")));

    EXPECT_EQ(
        ParseSystemBackupUri(fixtures::Response(
            "<tds:GetSystemUrisResponse><tds:SupportInfoUri>http://h/s</tds:SupportInfoUri>"
            "<tds:SystemBackupUri>http://h/backup.tgz</tds:SystemBackupUri></tds:GetSystemUrisResponse>")),
        "http://h/backup.tgz");
    EXPECT_EQ(ParseSystemBackupUri(fixtures::Response("<tds:GetSystemUrisResponse/>")), "");

    // A device that names itself by a host it cannot be reached at.
    EXPECT_EQ(ReachableUri("http://169.254.3.4:8080/up?t=1", kUrl), "http://10.0.1.5:8080/up?t=1");
    EXPECT_EQ(ReachableUri("http://127.0.0.1/up", kUrl), "http://10.0.1.5/up");
    EXPECT_EQ(ReachableUri("http://10.9.9.9/up", kUrl), "http://10.9.9.9/up");
}

TEST(MaintenanceMessages, MtomPartsSurviveBinaryDataAndBrokenBodiesAreRefused) {
    const std::string attachment("\r\n--not-the-boundary\r\n\0\xff--", 27);
    const MtomFrame frame = MakeMtomFrame("<env/>", "urn:act", "file@x");
    const std::string body = frame.head + attachment + frame.tail;
    const auto parsed = ParseMultipart(frame.contentType, body);
    ASSERT_TRUE(parsed);
    ASSERT_EQ(parsed->parts.size(), 2u);
    EXPECT_EQ(parsed->parts[parsed->root].data, "<env/>");
    EXPECT_EQ(parsed->parts[1].contentId, "file@x");
    EXPECT_EQ(parsed->parts[1].data, attachment);
    EXPECT_FALSE(ParseMultipart(frame.contentType, body.substr(0, body.size() - frame.tail.size())));
    EXPECT_FALSE(ParseMultipart("application/soap+xml", body));

    // A backup answer as a device writes it: the root named by "start",
    // not first; and one with its data inline.
    const std::string envelope = fixtures::Response(
        "<tds:GetSystemBackupResponse><tds:BackupFiles><tt:Name>cfg</tt:Name><tt:Data>"
        "<xop:Include xmlns:xop=\"http://www.w3.org/2004/08/xop/include\" href=\"cid:b1\"/>"
        "</tt:Data></tds:BackupFiles></tds:GetSystemBackupResponse>");
    const std::string answer = "--B\r\nContent-ID: <b1>\r\n\r\nSETTINGS\x01\r\n--B\r\nContent-Type: "
                               "application/xop+xml\r\nContent-ID: <root>\r\n\r\n" +
                               envelope + "\r\n--B--\r\n";
    EXPECT_EQ(ParseSystemBackup("Multipart/Related; boundary=B; start=\"<root>\"", answer), "SETTINGS\x01");
    EXPECT_EQ(
        ParseSystemBackup("application/soap+xml",
                          fixtures::Response("<tds:GetSystemBackupResponse><tds:BackupFiles><tt:Name>c"
                                             "</tt:Name><tt:Data>U0VUVElOR1M=</tt:Data></tds:BackupFiles>"
                                             "</tds:GetSystemBackupResponse>")),
        "SETTINGS");
}

TEST(FirmwareUpgrade, PostsTheSharedImageAndSucceedsOnlyWithANewVersion) {
    const std::vector<uint8_t> image(100000, 0x5A);
    int informationCalls = 0;
    std::string after = "2.0";
    Rig rig(
        [&](const SentRequest& request) {
            if (Asks(request, "GetDeviceInformation")) {
                return Reply(200, Information(++informationCalls == 1 ? "1.0" : after));
            }
            return Reply(200, kStartUpgrade);
        },
        [](const FileTransfer&) { return Http(200); });
    std::vector<int> percents;
    const UpgradeResult done =
        UpgradeOnvifFirmware(rig.Channel(), image, [&](int p) { percents.push_back(p); });
    EXPECT_EQ(done.outcome, UpgradeOutcome::Ok);
    EXPECT_EQ(done.newVersion, "2.0");
    ASSERT_EQ(rig.files.sent.size(), 1u);
    const FileTransfer& post = rig.files.sent[0];
    EXPECT_EQ(post.url, "http://10.0.1.5/upload/fw-77");
    EXPECT_EQ(post.contentType, "application/octet-stream");
    EXPECT_EQ(post.auth, HttpAuth::Digest);
    EXPECT_EQ(post.user, "admin");
    ASSERT_EQ(post.body.size(), 1u);
    EXPECT_EQ(post.body[0].data(), image.data()); // the caller's image, not a copy
    ASSERT_EQ(percents.size(), 101u);
    EXPECT_EQ(percents.front(), 0);
    EXPECT_EQ(percents.back(), 100);
    // Upload delay and expected time away were waited for.
    EXPECT_GE(rig.clock.NowMs(), 92000);

    // Answers with the old version for the whole time: not a success.
    informationCalls = 0;
    after = "1.0";
    EXPECT_EQ(UpgradeOnvifFirmware(rig.Channel(), image, {}).outcome, UpgradeOutcome::VersionUnchanged);
}

TEST(FirmwareUpgrade, RefusalsSilenceAndTheFallbackAreToldApart) {
    const std::vector<uint8_t> image(5000, 1);
    bool down = false;
    Rig rig(
        [&](const SentRequest& request) {
            if (down) {
                return SoapReply{TransportResult::Unreachable, 0, {}};
            }
            return Asks(request, "GetDeviceInformation") ? Reply(200, Information("1.0"))
                                                         : Reply(200, kStartUpgrade);
        },
        [&](const FileTransfer&) {
            down = true;
            return Http(200);
        });
    const UpgradeResult gone = UpgradeOnvifFirmware(rig.Channel(), image, {});
    EXPECT_EQ(gone.outcome, UpgradeOutcome::NotBack);
    EXPECT_EQ(gone.errorKey, "info.Fail_not_back");

    // The answer to a whole image lost (the device restarted first): the
    // version read back decides; a transfer broken off midway fails.
    int reads = 0;
    bool wholeSent = true;
    Rig restarting(
        [&](const SentRequest& request) {
            return Asks(request, "GetDeviceInformation")
                       ? Reply(200, Information(++reads == 1 ? "1.0" : "1.1"))
                       : Reply(200, kStartUpgrade);
        },
        [&](const FileTransfer& transfer) {
            transfer.progress(wholeSent ? 5000 : 2500, 5000);
            return FileReply{TransportResult::Failed, 0, {}, {}};
        });
    restarting.files.reportsProgress = false;
    EXPECT_EQ(UpgradeOnvifFirmware(restarting.Channel(), image, {}).outcome, UpgradeOutcome::Ok);
    reads = 0;
    wholeSent = false;
    EXPECT_EQ(UpgradeOnvifFirmware(restarting.Channel(), image, {}).outcome, UpgradeOutcome::TransferFailed);

    Rig refusing(
        [](const SentRequest& request) {
            return Asks(request, "GetDeviceInformation") ? Reply(200, Information("1.0"))
                                                         : Reply(200, kStartUpgrade);
        },
        [](const FileTransfer&) { return Http(415); });
    EXPECT_EQ(UpgradeOnvifFirmware(refusing.Channel(), image, {}).outcome, UpgradeOutcome::Refused);

    // No StartFirmwareUpgrade: the image goes as an attachment of
    // UpgradeSystemFirmware to the device service.
    int calls = 0;
    Rig older(
        [&](const SentRequest& request) {
            if (Asks(request, "GetDeviceInformation")) {
                return Reply(200, Information(++calls == 1 ? "1.0" : "1.1"));
            }
            return Reply(500, fixtures::Fault("ter:ActionNotSupported"));
        },
        [](const FileTransfer&) {
            return Http(200, fixtures::Response("<tds:UpgradeSystemFirmwareResponse/>"),
                        "application/soap+xml");
        });
    const UpgradeResult fallback = UpgradeOnvifFirmware(older.Channel(), image, {});
    EXPECT_EQ(fallback.outcome, UpgradeOutcome::Ok);
    EXPECT_TRUE(fallback.usedFallback);
    ASSERT_EQ(older.files.sent.size(), 1u);
    const FileTransfer& post = older.files.sent[0];
    EXPECT_EQ(post.url, kUrl);
    ASSERT_EQ(post.body.size(), 3u);
    EXPECT_EQ(post.body[1].data(), image.data());
    const auto parts = ParseMultipart(post.contentType, older.files.bodies[0]);
    ASSERT_TRUE(parts);
    EXPECT_NE(parts->parts[parts->root].data.find("UpgradeSystemFirmware"), std::string_view::npos);

    // A wrong password ends it before anything is sent.
    Rig wrong([](const SentRequest&) { return Reply(401, ""); },
              [](const FileTransfer&) { return Http(200); });
    EXPECT_EQ(UpgradeOnvifFirmware(wrong.Channel(), image, {}).outcome, UpgradeOutcome::WrongPassword);
    EXPECT_TRUE(wrong.files.sent.empty());
}

TEST(ConfigBackup, ExportKeepsTheBytesWithinTheLimitAndRestoreReportsRefusal) {
    const auto folder = std::filesystem::temp_directory_path() / ("onvif-backup-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    const std::string path = (folder / "device.cfg").string();
    const std::string backup("CFG\0\r\n\xfe", 7);
    Rig rig(
        [](const SentRequest& request) {
            if (Asks(request, "GetSystemUris")) {
                return Reply(200, fixtures::Response("<tds:GetSystemUrisResponse><tds:SystemBackupUri>"
                                                     "http://10.0.1.5/b.bin</tds:SystemBackupUri>"
                                                     "</tds:GetSystemUrisResponse>"));
            }
            if (Asks(request, "StartSystemRestore")) {
                return Reply(200,
                             fixtures::Response("<tds:StartSystemRestoreResponse><tds:UploadUri>http://"
                                                "10.0.1.5/r</tds:UploadUri><tds:ExpectedDownTime>PT0S"
                                                "</tds:ExpectedDownTime></tds:StartSystemRestoreResponse>"));
            }
            return Reply(200, Information("1.0"));
        },
        [&](const FileTransfer& transfer) {
            if (transfer.upload) {
                return Http(transfer.body[0].size() == backup.size() ? 200 : 415);
            }
            return transfer.maxReplyBytes < backup.size() ? FileReply{TransportResult::TooLarge, 200, {}, {}}
                                                          : Http(200, backup);
        });
    const BackupResult exported = ExportOnvifBackup(rig.Channel(), path);
    EXPECT_EQ(exported.outcome, BackupOutcome::Ok);
    std::ifstream in(path, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), backup);
    EXPECT_EQ(ExportOnvifBackup(rig.Channel(), path, 4).outcome, BackupOutcome::TransferFailed);
    EXPECT_EQ(RestoreOnvifBackup(rig.Channel(), path).outcome, BackupOutcome::Ok);
    std::ofstream(path, std::ios::binary) << "other";
    EXPECT_EQ(RestoreOnvifBackup(rig.Channel(), path).outcome, BackupOutcome::Refused);
    EXPECT_EQ(RestoreOnvifBackup(rig.Channel(), (folder / "missing").string()).outcome,
              BackupOutcome::FileError);
    std::filesystem::remove_all(folder);
}

TEST(OnvifLinkImport, EachLoginRestoresItsOwnDeviceUntilItsLogout) {
    auto soap = std::make_shared<FakeTransport>([](const SentRequest& request) {
        if (Asks(request, "GetDeviceInformation")) {
            return Reply(200, Information("1.0"));
        }
        if (Asks(request, "StartSystemRestore")) {
            const std::string host = request.url.substr(0, request.url.find("/onvif/"));
            return Reply(200, fixtures::Response("<tds:StartSystemRestoreResponse><tds:UploadUri>" + host +
                                                 "/restore</tds:UploadUri><tds:ExpectedDownTime>PT0S"
                                                 "</tds:ExpectedDownTime></tds:StartSystemRestoreResponse>"));
        }
        return Reply(500, fixtures::Fault("ter:ActionNotSupported"));
    });
    auto files = std::make_shared<FakeFiles>([](const FileTransfer&) { return Http(200); });
    OnvifLink link(soap);
    link.UseFileTransport(files);
    const auto path = std::filesystem::temp_directory_path() / ("onvif-import-" + std::to_string(getpid()));
    std::ofstream(path, std::ios::binary) << "settings";
    std::vector<DeviceLogin> logins(2);
    for (int i = 0; i < 2; ++i) {
        DeviceEntry entry;
        entry.mac = "00-11-22-33-44-5" + std::to_string(i);
        entry.onvif.deviceServiceUrl = "http://10.0.1." + std::to_string(5 + i) + "/onvif/device_service";
        int error = 0;
        ASSERT_TRUE(link.Login(entry, "admin", "secret", logins[i], error));
    }
    EXPECT_NE(logins[0].handle, logins[1].handle);
    EXPECT_TRUE(link.ImportConfig(logins[1], path.string()));
    ASSERT_EQ(files->sent.size(), 1u);
    EXPECT_EQ(files->sent[0].url, "http://10.0.1.6/restore");
    EXPECT_EQ(files->bodies[0], "settings");
    link.Logout(logins[1]);
    EXPECT_FALSE(link.ImportConfig(logins[1], path.string()));
    EXPECT_EQ(files->sent.size(), 1u);
    std::filesystem::remove(path);
}

} // namespace
