// Encoding and writing QR pictures: our encoder against libqrencode (level Q,
// version 4 or larger, the same 16-bit picture written for both), per symbol.
// Prints the time per symbol of each and their ratio.
#include "qr/qr_bitmap.h"
#include "qr/qr_encoder.h"
#include "qr/qr_image.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <filesystem>
#include <map>
#include <qrencode.h>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// Cloud ids and other texts of the kinds the device list shows, 6 to 127 bytes.
const std::vector<std::string>& Texts() {
    static const std::vector<std::string> texts = [] {
        std::vector<std::string> list = {"ABC123", "1234567890", "HV0123456789ABCDEF", "a1b2c3d4e5f6",
                                         "cloud-id_0042"};
        std::mt19937 random(42);
        const std::string alphabet = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz-_.:";
        std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
        for (std::size_t length = 8; length <= 127; length += 4) {
            std::string text;
            for (std::size_t i = 0; i < length; ++i) {
                text += alphabet[pick(random)];
            }
            list.push_back(text);
        }
        return list;
    }();
    return texts;
}

std::string BenchFolder() {
    static const std::string folder = [] {
        const auto path = std::filesystem::temp_directory_path() / ("qr_bench_" + std::to_string(::getpid()));
        std::filesystem::create_directories(path);
        return path.string();
    }();
    return folder;
}

// The same picture layout our writer uses, for libqrencode's modules (one
// pixel per module, 5-pixel white border, even width, bottom-up rows).
bool WriteQrencodePicture(const QRcode& code, const std::string& path) {
    const int size = code.width;
    const int imageWidth = (size + 11) & ~1;
    const int imageHeight = size + 10;
    const auto rowBytes = static_cast<std::size_t>(imageWidth) * 2;
    std::vector<uint8_t> file(54 + rowBytes * static_cast<std::size_t>(imageHeight), 0xFF);
    const uint32_t pixelBytes = static_cast<uint32_t>(rowBytes) * static_cast<uint32_t>(imageHeight);
    const uint32_t header[] = {
        pixelBytes + 54, 0, 54, 40, static_cast<uint32_t>(imageWidth), static_cast<uint32_t>(imageHeight)};
    file[0] = 'B';
    file[1] = 'M';
    for (int i = 0; i < 6; ++i) {
        for (int b = 0; b < 4; ++b) {
            file[2 + 4 * static_cast<std::size_t>(i) + static_cast<std::size_t>(b)] =
                static_cast<uint8_t>(header[i] >> (8 * b));
        }
    }
    file[26] = 1;
    file[27] = 0;
    file[28] = 16;
    for (std::size_t i = 29; i < 54; ++i) {
        file[i] = 0;
    }
    file[34] = static_cast<uint8_t>(pixelBytes);
    file[35] = static_cast<uint8_t>(pixelBytes >> 8);
    file[36] = static_cast<uint8_t>(pixelBytes >> 16);
    for (int y = 0; y < size; ++y) {
        const std::size_t row = 54 + static_cast<std::size_t>(imageHeight - 1 - (y + 5)) * rowBytes;
        for (int x = 0; x < size; ++x) {
            if (code.data[y * size + x] & 1) {
                file[row + static_cast<std::size_t>(x + 5) * 2] = 0x21;
                file[row + static_cast<std::size_t>(x + 5) * 2 + 1] = 0x08;
            }
        }
    }
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr) {
        return false;
    }
    const bool written = std::fwrite(file.data(), 1, file.size(), out) == file.size();
    return std::fclose(out) == 0 && written;
}

void BM_OursEncodeAndWrite(benchmark::State& state) {
    const std::string path = BenchFolder() + "/ours.bmp";
    for (auto _ : state) {
        for (const std::string& text : Texts()) {
            if (Tool::WriteQrImage(text, path) != 0) {
                state.SkipWithError("write failed");
                return;
            }
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(Texts().size()));
}

void BM_QrencodeEncodeAndWrite(benchmark::State& state) {
    const std::string path = BenchFolder() + "/qrencode.bmp";
    for (auto _ : state) {
        for (const std::string& text : Texts()) {
            QRcode* code = QRcode_encodeString(text.c_str(), 4, QR_ECLEVEL_Q, QR_MODE_8, 1);
            const bool ok = code != nullptr && WriteQrencodePicture(*code, path);
            QRcode_free(code);
            if (!ok) {
                state.SkipWithError("write failed");
                return;
            }
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(Texts().size()));
}

void BM_OursEncode(benchmark::State& state) {
    for (auto _ : state) {
        for (const std::string& text : Texts()) {
            qr::QrEncoder encoder;
            benchmark::DoNotOptimize(encoder.Encode(text, 4));
            benchmark::DoNotOptimize(encoder.Matrix().IsDark(0, 0));
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(Texts().size()));
}

void BM_QrencodeEncode(benchmark::State& state) {
    for (auto _ : state) {
        for (const std::string& text : Texts()) {
            QRcode* code = QRcode_encodeString(text.c_str(), 4, QR_ECLEVEL_Q, QR_MODE_8, 1);
            benchmark::DoNotOptimize(code->data[0]);
            QRcode_free(code);
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(Texts().size()));
}

BENCHMARK(BM_OursEncodeAndWrite)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_QrencodeEncodeAndWrite)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OursEncode)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_QrencodeEncode)->Unit(benchmark::kMicrosecond);

// Keeps the time per symbol of every run so the ratios can be printed last.
// CPU time is compared: on a shared machine the wall time of a run also
// counts whatever else the machine was doing.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& reports) override {
        ConsoleReporter::ReportRuns(reports);
        for (const Run& run : reports) {
            if (run.run_type == Run::RT_Iteration && !run.error_occurred && run.iterations > 0) {
                const double symbols =
                    static_cast<double>(run.iterations) * static_cast<double>(Texts().size());
                m_secondsPerSymbol[run.run_name.function_name] = {run.cpu_accumulated_time / symbols,
                                                                  run.real_accumulated_time / symbols};
            }
        }
    }

    void PrintRatio(const std::string& ours, const std::string& theirs) const {
        const auto a = m_secondsPerSymbol.find(ours);
        const auto b = m_secondsPerSymbol.find(theirs);
        if (a == m_secondsPerSymbol.end() || b == m_secondsPerSymbol.end()) {
            return;
        }
        const Times& our = a->second;
        const Times& their = b->second;
        std::printf("%-22s %7.2f us/symbol (wall %7.2f)   %-26s %7.2f us/symbol (wall %7.2f)   "
                    "libqrencode/ours = %.2f\n",
                    ours.c_str(), our.cpu * 1e6, our.wall * 1e6, theirs.c_str(), their.cpu * 1e6,
                    their.wall * 1e6, their.cpu / our.cpu);
    }

private:
    struct Times {
        double cpu = 0;
        double wall = 0;
    };
    std::map<std::string, Times> m_secondsPerSymbol;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\n%zu texts of 6 to 127 bytes, level Q, version 4 or larger; CPU time per symbol\n",
                Texts().size());
    reporter.PrintRatio("BM_OursEncodeAndWrite", "BM_QrencodeEncodeAndWrite");
    reporter.PrintRatio("BM_OursEncode", "BM_QrencodeEncode");
    std::filesystem::remove_all(BenchFolder());
    benchmark::Shutdown();
    return 0;
}
