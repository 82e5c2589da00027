// Runs in the "pc" namespace of scripts/lab with ops.lab: the program's
// ONVIF operations over real HTTP and WS-Discovery against the simulator,
// and onvif-util (an independent client) reading a change back.
#include "discovery/ip_rules.h"
#include "onvif/device_ops.h"
#include "onvif/find_again.h"
#include "onvif/onvif_link.h"
#include "onvif/wsd_listener.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <mutex>

using namespace onvif;

namespace {

std::string Url(const std::string& address, const std::string& port = {}) {
    return "http://" + address + (port.empty() ? "" : ":" + port) + "/onvif/device_service";
}

std::string Endpoint(const std::string& macDigits) {
    return "urn:uuid:c0a7e000-0000-4000-8000-" + macDigits;
}

// The Hellos heard while it lives: (endpoint, the address it came from).
class Hellos {
public:
    Hellos() { EXPECT_TRUE(m_listener.Start()); }
    bool Heard(const std::string& endpoint, const std::string& address) {
        std::lock_guard lock(m_mutex);
        return std::find(m_heard.begin(), m_heard.end(), std::pair(endpoint, address)) != m_heard.end();
    }

private:
    std::mutex m_mutex;
    std::vector<std::pair<std::string, std::string>> m_heard;
    WsDiscoveryListener m_listener{{[this](DeviceEntry entry) {
                                        std::lock_guard lock(m_mutex);
                                        m_heard.emplace_back(entry.onvif.endpointReference, entry.ip);
                                    },
                                    {}}};
};

class Lab : public ::testing::Test {
protected:
    OnvifSession As(const DeviceTarget& target, const std::string& password) {
        m_credentials.user = "admin";
        m_credentials.password = password;
        return {*m_transport, m_memory, target, m_credentials, UtcSecondsNow()};
    }
    // Who answers a unicast probe of address, in a short search window.
    bool FoundAt(const std::string& endpoint, const char* address, int tries) {
        return FindAtAddress(UnicastProbeOf(m_discovery, {}, 800), SleepMs, endpoint,
                             AddressFromText(address), {tries, 500});
    }
    CallOutcome Read(const DeviceTarget& target, const std::string& password) {
        m_credentials.user = "admin";
        m_credentials.password = password;
        return CallAuthenticated(*m_transport, m_memory, target, m_credentials,
                                 DeviceAction("GetDeviceInformation"), kGetDeviceInformation, UtcSecondsNow())
            .outcome;
    }

    std::shared_ptr<SoapTransport> m_transport = CreateCurlTransport();
    OnvifDiscovery m_discovery{m_transport};
    AuthMemory m_memory;
    OnvifCredentials m_credentials;
};

std::string Output(const std::string& command) {
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        std::array<char, 512> buffer{};
        while (fgets(buffer.data(), static_cast<int>(buffer.size()), pipe) != nullptr) {
            out += buffer.data();
        }
        pclose(pipe);
    }
    return out;
}

} // namespace

TEST_F(Lab, NetworkChangeAtOnceAndAfterARestartFoundAgain) {
    const DeviceTarget mover{Url("10.77.16.121"), 5400, 3000};
    const NetworkChangeResult moved = ChangeOnvifNetwork(
        As(mover, "mover-pass"), {false, "10.77.16.131", "255.255.0.0", "10.77.0.254", "10.77.0.53", ""});
    EXPECT_EQ(moved.outcome, OpsOutcome::Ok);
    EXPECT_FALSE(moved.rebooted);
    EXPECT_TRUE(FoundAt(Endpoint("020F00000001"), "10.77.16.131", 2));
    EXPECT_FALSE(FoundAt(Endpoint("020F00000001"), "10.77.16.121", 1));
    // An independent client logs in at the new address.
    const std::string login =
        Output("printf 'quit\\n' | timeout 15 onvif-util -u admin -p mover-pass 10.77.16.131 2>&1");
    EXPECT_NE(login.find("serial: SN020F00000001"), std::string::npos) << login;

    Hellos hellos;
    const DeviceTarget restarter{Url("10.77.16.122"), 0, 3000};
    const NetworkChangeResult restarted =
        ChangeOnvifNetwork(As(restarter, "restart-pass"), {false, "10.77.16.132", "255.255.0.0", "", "", ""});
    EXPECT_EQ(restarted.outcome, OpsOutcome::Ok);
    EXPECT_TRUE(restarted.rebooted);
    EXPECT_NE(Read({Url("10.77.16.132"), 0, 3000}, "restart-pass"), CallOutcome::Ok); // still restarting
    EXPECT_TRUE(FoundAt(Endpoint("020F00000002"), "10.77.16.132", 3));
    EXPECT_TRUE(hellos.Heard(Endpoint("020F00000002"), "10.77.16.132")); // back at its new address
    EXPECT_EQ(Read({Url("10.77.16.132"), 0, 3000}, "restart-pass"), CallOutcome::Ok);
}

TEST_F(Lab, PasswordPortsClockAndRestartThroughTheLink) {
    OnvifLink link(m_transport);
    DeviceEntry entry;
    entry.mac = "02-0F-00-00-00-05";
    entry.onvif.endpointReference = Endpoint("020F00000005");
    entry.onvif.deviceServiceUrl = Url("10.77.16.125");
    entry.onvif.clockOffsetSeconds = 5400;
    entry.onvif.clockKnown = true;
    DeviceLogin login;
    int error = 0;
    ASSERT_TRUE(link.Login(entry, "admin", "keeper-pass", login, error)) << error;
    EXPECT_EQ(link.ChangePassword(login, "keeper-pass", "keeper-new"), 1);
    DeviceLogin again;
    EXPECT_FALSE(link.Login(entry, "admin", "keeper-pass", again, error));
    EXPECT_EQ(error, 1); // wrong password
    ASSERT_TRUE(link.Login(entry, "admin", "keeper-new", again, error)) << error;

    const PortChangeResult ports = link.ChangePorts(entry, again, {8080, 34567, 8554});
    EXPECT_EQ(ports.written, 1);
    EXPECT_TRUE(ports.restarted);
    EXPECT_EQ(entry.onvif.deviceServiceUrl, Url("10.77.16.125", "8080"));
    EXPECT_EQ(Read({entry.onvif.deviceServiceUrl, 5400, 3000}, "keeper-new"), CallOutcome::Ok);

    // The clock and time zone from this computer's: the device's offset is
    // gone, and an independent client reads the zone back.
    setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
    EXPECT_EQ(link.SetTime(again, {}), OpsOutcome::Ok);
    unsetenv("TZ");
    const std::string time = Output(
        "printf 'get time\\nquit\\n' | timeout 15 onvif-util -u admin -p keeper-new 10.77.16.125 2>&1");
    EXPECT_NE(time.find("Timezone:    CET-1CEST"), std::string::npos) << time; // it shows the zone's names
    EXPECT_NE(time.find("Time Set By: Manual"), std::string::npos) << time;
    const CallResult answer = CallAnonymous(*m_transport, {entry.onvif.deviceServiceUrl, 0, 3000},
                                            DeviceAction("GetSystemDateAndTime"), kGetSystemDateAndTime);
    const auto clock = ParseSystemDateAndTime(answer.body);
    ASSERT_TRUE(clock);
    EXPECT_LE(std::llabs(clock->utcSeconds - UtcSecondsNow()), 5);

    Hellos hellos;
    EXPECT_TRUE(link.Reboot(again));
    EXPECT_NE(Read({entry.onvif.deviceServiceUrl, 0, 3000}, "keeper-new"), CallOutcome::Ok);
    EXPECT_TRUE(FoundAt(Endpoint("020F00000005"), "10.77.16.125", 3));
    EXPECT_TRUE(hellos.Heard(Endpoint("020F00000005"), "10.77.16.125")); // back, with a Hello
    EXPECT_EQ(Read({entry.onvif.deviceServiceUrl, 0, 3000}, "keeper-new"), CallOutcome::Ok);
}

TEST_F(Lab, FixedAccountsAndTheLock) {
    EXPECT_EQ(ChangeOnvifPassword(As({Url("10.77.16.123"), 0, 3000}, "fixed-pass"), "other"), 0);
    EXPECT_EQ(Read({Url("10.77.16.123"), 0, 3000}, "fixed-pass"), CallOutcome::Ok);

    const DeviceTarget locker{Url("10.77.16.124"), 0, 3000};
    EXPECT_EQ(RebootOnvif(As(locker, "wrong")), OpsOutcome::WrongPassword); // two wrong attempts
    EXPECT_EQ(RebootOnvif(As(locker, "wrong")), OpsOutcome::Locked);        // the third locks
    // Every authenticated call is refused now, the right password too.
    EXPECT_EQ(RebootOnvif(As(locker, "lock-pass")), OpsOutcome::Locked);
    EXPECT_EQ(Read(locker, "lock-pass"), CallOutcome::Locked);
    EXPECT_TRUE(FoundAt(Endpoint("020F00000004"), "10.77.16.124", 1)); // not restarted
}
