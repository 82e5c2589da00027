// Writes a firmware image of our format for the lab tests:
//   make_firmware MODEL VERSION PAYLOAD_BYTES OUT [corrupt]
#include "sdk/config_file.h"

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fprintf(stderr, "usage: make_firmware MODEL VERSION PAYLOAD_BYTES OUT [corrupt]\n");
        return 2;
    }
    sdkwire::FirmwareInfo firmware{argv[1], argv[2],
                                   sdkwire::Bytes(std::strtoul(argv[3], nullptr, 10), 0xA5)};
    sdkwire::Bytes image = sdkwire::EncodeFirmware(firmware);
    if (argc > 5 && std::string(argv[5]) == "corrupt") {
        image.back() ^= 0xFF;
    }
    return sdkwire::WriteWholeFile(argv[4], image) ? 0 : 1;
}
