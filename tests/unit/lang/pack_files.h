#pragma once
// A folder of its own for each test, so the packs one test writes never meet
// another's (CLanguage remembers paths, and the text table is process-wide).
#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <system_error>
#include <unistd.h>

class PackFolder {
public:
    PackFolder() {
        static std::atomic<int> counter{0};
        m_path = std::filesystem::temp_directory_path() /
                 ("corvane-lang-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        std::filesystem::remove_all(m_path);
        std::filesystem::create_directories(m_path);
    }
    ~PackFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    PackFolder(const PackFolder&) = delete;
    PackFolder& operator=(const PackFolder&) = delete;

    // Writes the bytes as they are and returns the file's full path.
    std::string Write(const std::string& name, std::string_view bytes) const {
        const std::filesystem::path file = m_path / name;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return file.string();
    }

    std::string Path(const std::string& name) const { return (m_path / name).string(); }
    // The folder with a trailing separator, as GetProgramFolder gives it.
    std::string Folder() const { return m_path.string() + "/"; }

private:
    std::filesystem::path m_path;
};

// UTF-8 text to UTF-16LE bytes with a byte-order mark (the test texts are
// within the Basic Multilingual Plane).
inline std::string ToUtf16LeWithBom(std::string_view utf8) {
    std::string out = "\xFF\xFE";
    for (std::size_t i = 0; i < utf8.size();) {
        const auto byte = static_cast<unsigned char>(utf8[i]);
        char32_t code = 0;
        std::size_t length = 1;
        if (byte < 0x80) {
            code = byte;
        } else if ((byte & 0xE0) == 0xC0) {
            code = byte & 0x1F;
            length = 2;
        } else {
            code = byte & 0x0F;
            length = 3;
        }
        for (std::size_t k = 1; k < length; ++k) {
            code = (code << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        }
        i += length;
        out += static_cast<char>(code & 0xFF);
        out += static_cast<char>((code >> 8) & 0xFF);
    }
    return out;
}
