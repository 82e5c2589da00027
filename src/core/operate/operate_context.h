#pragma once
// What working with the found devices needs beside the device table: the
// links of the device families, the logins and the leases on the records.
// The device session owns one for the program's life, a command of the
// command line one for its run; the batch engine and the device actions
// work through it.
#include "operate/family_links.h"
#include "operate/login_table.h"
#include "operate/native_link.h"
#include "operate/record_lease.h"

#include <memory>

struct OperateContext {
    explicit OperateContext(const SdkCalls& sdk = RealSdk())
        : native(std::make_shared<NativeLink>(sdk)), links(native) {}

    std::shared_ptr<NativeLink> native;
    FamilyLinks links;
    // After the links, so that logins end before the links they name.
    LoginTable logins;
    RecordLeases leases;
};
