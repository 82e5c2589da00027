// Fuzz target for the "Encode.ini" reader: the value parser on any bytes,
// and the whole file path (INI reader included) on the same bytes as a file.
#include "capacity/bitrate_table.h"
#include "capacity/resolution_list.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>
#include <unistd.h>

namespace {

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "fuzz_encode_ini: %s\n", what);
    std::abort();
}

void CheckList(const capacity::ResolutionList& list, std::string_view source) {
    for (const auto& [id, name] : list) {
        if (name.size() > capacity::kMaxResolutionTokenBytes) {
            Fail("name longer than 31 bytes");
        }
        if (name.find('|') != std::string::npos || name.find(',') != std::string::npos) {
            Fail("separator inside a name");
        }
        if (!source.empty() && source.find(name) == std::string_view::npos) {
            Fail("name that is not in the value");
        }
        // Whatever the list holds, the editor's lookups stay in bounds.
        const auto resolved = capacity::ResolveResolutionId(id, list);
        if (!resolved) {
            Fail("no id resolved from a non-empty list");
        }
        if (const auto table = capacity::BuildWorkingTable(capacity::VideoStandard::Ntsc, *resolved)) {
            for (int f = 0; f <= 31; ++f) {
                (void)table->Offered(f);
            }
        }
    }
}

const std::string& ScratchFile() {
    static const std::string path = "/tmp/fuzz_encode_ini_" + std::to_string(::getpid()) + ".ini";
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view value(reinterpret_cast<const char*>(data), size);
    CheckList(capacity::ParseResolutionList(value), value);

    // The same bytes as the whole file: whatever the INI reader makes of
    // them, the list it gives is sound.
    {
        std::ofstream file(ScratchFile(), std::ios::binary | std::ios::trunc);
        file.write(value.data(), static_cast<std::streamsize>(value.size()));
    }
    CheckList(capacity::LoadResolutionList(ScratchFile()), {});
    std::remove(ScratchFile().c_str());
    return 0;
}
