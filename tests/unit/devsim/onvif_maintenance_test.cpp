// The simulator's maintenance side without sockets: firmware images checked
// as they stream in (made by the program's own firmware encoder), its backup
// file, its operations and their faults, the uploads' refusals, the state
// file, and MTOM bodies across both roles (the program's writer to the
// simulator's reader and back).
#include "onvif/config_backup.h"
#include "onvif/device_service.h"
#include "onvif/firmware_answers.h"
#include "onvif/mtom.h"
#include "onvif/onvif_state_file.h"
#include "onvif/sim_multipart.h"
#include "onvif/upload_endpoints.h"
#include "sdk/config_file.h"

#include <gtest/gtest.h>

using namespace onvifsim;

namespace {

sdkwire::Bytes Image(const std::string& model, const std::string& version, std::size_t size = 300000) {
    sdkwire::FirmwareInfo firmware{model, version, sdkwire::Bytes(size)};
    for (std::size_t i = 0; i < size; ++i) {
        firmware.payload[i] = static_cast<uint8_t>(i * 7);
    }
    return sdkwire::EncodeFirmware(firmware);
}

FirmwareCheck::Verdict Stream(const sdkwire::Bytes& image, std::size_t chunk, std::string& version) {
    FirmwareCheck check;
    for (std::size_t at = 0; at < image.size(); at += chunk) {
        check.Take(image.data() + at, std::min(chunk, image.size() - at));
    }
    return check.Finish("OC-1", version);
}

SimDevice Device(const std::string& location) {
    SimDevice device;
    device.fields.ip = 0x0A4D1001;
    device.fields.mac = {2, 0, 0, 0, 0, 9};
    device.texts.model = "OC-1";
    device.texts.version = "1.0";
    device.onvif.family = LabFamily::Onvif;
    device.onvif.location = location;
    return device;
}

OperationResult Perform(const char* name, DeviceServiceState& state, const std::string& request = "<x/>") {
    pugi::xml_document document;
    document.load_string(request.c_str());
    const Operation* operation = FindMaintenanceOperation(name, state.device);
    EXPECT_NE(operation, nullptr) << name;
    return operation ? operation->handler(document.first_child(), state, 0) : OperationResult{};
}

TEST(SimFirmware, ImagesAreCheckedInAnyChunkingAndOnlyTheirModelIsTaken) {
    const sdkwire::Bytes good = Image("OC-1", "2.5.0");
    for (const std::size_t chunk : {std::size_t{1000000}, std::size_t{139}, std::size_t{4096}}) {
        std::string version;
        EXPECT_EQ(Stream(good, chunk, version), FirmwareCheck::Verdict::Good) << chunk;
        EXPECT_EQ(version, "2.5.0");
    }
    std::string version;
    EXPECT_EQ(Stream(Image("OC-2", "2.5.0"), 4096, version), FirmwareCheck::Verdict::WrongModel);
    sdkwire::Bytes damaged = good;
    damaged[damaged.size() / 2] ^= 0x40;
    EXPECT_EQ(Stream(damaged, 4096, version), FirmwareCheck::Verdict::Damaged);
    damaged = good;
    damaged.pop_back();
    EXPECT_EQ(Stream(damaged, 4096, version), FirmwareCheck::Verdict::Damaged);
    EXPECT_EQ(Stream(sdkwire::Bytes(good.begin(), good.begin() + 100), 4096, version),
              FirmwareCheck::Verdict::Damaged);
}

TEST(SimFirmware, OperationsHandOutOneUploadAndHonourTheMissingOnes) {
    DeviceServiceState state;
    state.device = Device("hall");
    state.maintenance.rebootMs = 1500;
    const OperationResult start = Perform("StartFirmwareUpgrade", state);
    EXPECT_NE(start.body.find("<tds:UploadUri>http://10.77.16.1/onvif/upload/firmware/1</tds:UploadUri>"),
              std::string::npos)
        << start.body;
    EXPECT_NE(start.body.find("PT1.500S"), std::string::npos);

    // The upload needs a login; another address was never handed out.
    ServiceRequest head;
    head.method = "POST";
    head.path = state.maintenance.firmwarePath;
    EXPECT_EQ(FileEndpoint(head, state, 0).Finish(state).status, 401);
    EXPECT_EQ(state.maintenance.firmwarePath, head.path); // still open
    head.path = "/onvif/upload/firmware/2";
    EXPECT_EQ(FileEndpoint(head, state, 0).Finish(state).status, 404);

    // UpgradeSystemFirmware takes the attachment the request points at.
    const sdkwire::Bytes image = Image("OC-1", "3.0");
    state.maintenance.attachments = {
        {"fw", std::string_view(reinterpret_cast<const char*>(image.data()), image.size())}};
    const OperationResult upgraded =
        Perform("UpgradeSystemFirmware", state, "<u><Firmware><Include href=\"cid:fw\"/></Firmware></u>");
    EXPECT_EQ(upgraded.faultCode, nullptr);
    EXPECT_EQ(state.device.texts.version, "3.0");
    EXPECT_TRUE(state.maintenance.restartRequested);

    state.device.onvif.noStartFirmwareUpgrade = true;
    state.device.onvif.noSystemUris = true;
    for (const char* missing : {"StartFirmwareUpgrade", "GetSystemUris", "StartSystemRestore"}) {
        const OperationResult fault = Perform(missing, state);
        EXPECT_STREQ(fault.faultSubcode, "ter:ActionNotSupported") << missing;
    }
    head.method = "GET";
    head.path = kBackupPath;
    EXPECT_EQ(FileEndpoint(head, state, 0).Finish(state).status, 404);
}

TEST(SimBackup, RestoresOnlyWholeFilesOfItsModelAndTheStateFileKeepsTheChanges) {
    SimDevice source = Device("hall");
    SimDevice target = Device("roof");
    const std::string file = MakeBackupFile(source);
    std::string damaged = file;
    damaged[damaged.find("hall")] = 'b';
    EXPECT_FALSE(ApplyBackupFile(damaged, target));
    SimDevice otherModel = Device("cellar");
    otherModel.texts.model = "OC-2";
    EXPECT_FALSE(ApplyBackupFile(file, otherModel));
    ASSERT_TRUE(ApplyBackupFile(file, target));
    EXPECT_EQ(target.onvif.location, "hall");
    EXPECT_EQ(MakeBackupFile(target), file);

    target.texts.version = "4.1|x\n";
    std::vector<SimDevice> restarted{Device("roof")};
    ApplyOnvifState(restarted, WriteOnvifState({target}) + "garbage line\n");
    EXPECT_EQ(restarted[0].texts.version, "4.1|x\n");
    EXPECT_EQ(restarted[0].onvif.location, "hall");
}

TEST(SimMultipart, BodiesCrossBetweenTheProgramAndTheSimulator) {
    const std::string image("\r\n--\0\xff tail", 11);
    const onvif::MtomFrame frame = onvif::MakeMtomFrame("<e/>", "urn:a", "part-1@host");
    const std::string body = frame.head + image + frame.tail; // the parts point into it
    const auto parts = SplitMultipart(frame.contentType, body);
    ASSERT_TRUE(parts);
    ASSERT_EQ(parts->size(), 2u);
    EXPECT_EQ((*parts)[0].data, "<e/>");
    EXPECT_EQ((*parts)[1].id, "part-1@host");
    EXPECT_EQ((*parts)[1].data, image);

    DeviceServiceState state;
    state.device = Device("hall");
    const OperationResult backup = Perform("GetSystemBackup", state);
    const MultipartAnswer answer =
        JoinMultipart("<env:Envelope xmlns:env=\"http://www.w3.org/2003/05/soap-envelope\" "
                      "xmlns:tds=\"http://www.onvif.org/ver10/device/wsdl\" "
                      "xmlns:tt=\"http://www.onvif.org/ver10/schema\"><env:Body>" +
                          backup.body + "</env:Body></env:Envelope>",
                      backup.attachmentId, backup.attachment);
    EXPECT_EQ(onvif::ParseSystemBackup(answer.contentType, answer.body), MakeBackupFile(state.device));

    // A broken body is refused before any login is asked for.
    const ServiceRequest request{"POST", "/onvif/device_service", {}, frame.head + image,
                                 false,  frame.contentType};
    EXPECT_EQ(HandleDeviceService(request, state, 0).status, 400);
}

} // namespace
