// corvane-cli qr: writes the QR picture of a text, byte for byte the file the
// device list writes for a cloud id.
#include "command.h"
#include "qr/qr_image.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kMaxQrTextBytes = 127;

int Fail(const char* what) {
    std::fprintf(stderr, "corvane-cli qr: %s\nusage: corvane-cli qr TEXT --out FILE.bmp\n", what);
    return 2;
}

int RunQr(const std::vector<std::string>& args) {
    std::string text;
    std::string out;
    bool haveText = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--out") {
            if (i + 1 >= args.size()) {
                return Fail("--out needs a file name");
            }
            out = args[++i];
        } else if (!haveText) {
            text = args[i];
            haveText = true;
        } else {
            return Fail(("unexpected argument \"" + args[i] + "\"").c_str());
        }
    }
    if (!haveText || text.empty()) {
        return Fail("a non-empty TEXT is needed");
    }
    if (out.empty()) {
        return Fail("--out FILE.bmp is needed");
    }
    if (text.size() > kMaxQrTextBytes) {
        std::fprintf(stderr, "corvane-cli qr: only the first %zu bytes of the text are encoded\n",
                     kMaxQrTextBytes);
    }
    if (Tool::WriteQrImage(text, out) != 0) {
        std::fprintf(stderr, "corvane-cli qr: could not write %s\n", out.c_str());
        return 1;
    }
    return 0;
}

const CliCommandRegistration kRegistration{
    CliCommand{"qr", "qr TEXT --out FILE.bmp        write the QR picture of TEXT (first 127 bytes)", RunQr}};

} // namespace
