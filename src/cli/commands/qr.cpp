// corvane-cli qr: writes the QR picture of a text, byte for byte the file the
// device list writes for a cloud id.
#include "command.h"
#include "qr/qr_image.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kMaxQrTextBytes = 127;

struct Arguments {
    std::string text;
    std::string out;
};

int RunQr(const Arguments& arguments) {
    if (arguments.text.empty()) {
        return UsageError("qr", "a non-empty TEXT is needed");
    }
    if (arguments.text.size() > kMaxQrTextBytes) {
        std::fprintf(stderr, "corvane-cli qr: only the first %zu bytes of the text are encoded\n",
                     kMaxQrTextBytes);
    }
    if (Tool::WriteQrImage(arguments.text, arguments.out) != 0) {
        std::fprintf(stderr, "corvane-cli qr: could not write %s\n", arguments.out.c_str());
        return 1;
    }
    return 0;
}

const CliCommandRegistration kRegistration({
    "qr",
    "Write the QR picture of TEXT (its first 127 bytes), as the device list writes it for a cloud id",
    [](CLI::App& command) -> std::function<int()> {
        auto arguments = std::make_shared<Arguments>();
        command.add_option("text", arguments->text, "The text to encode")->required()->type_name("TEXT");
        command.add_option("--out", arguments->out, "The picture to write")
            ->required()
            ->type_name("FILE.bmp");
        return [arguments] { return RunQr(*arguments); };
    },
});

} // namespace
