#pragma once
// A fresh folder under the system's temporary folder for one test, removed
// with everything in it when the test ends. Tests never write into the tree.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

class TestTempFolder {
public:
    TestTempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "corvane-test-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr) {
            m_path = pattern;
        }
    }
    ~TestTempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    TestTempFolder(const TestTempFolder&) = delete;
    TestTempFolder& operator=(const TestTempFolder&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    // The folder with a trailing separator, as the program's folder texts are.
    std::string Folder() const { return m_path.string() + "/"; }
    std::string File(std::string_view name) const { return (m_path / name).string(); }

    std::string Write(std::string_view name, std::string_view bytes) const {
        const std::filesystem::path file = m_path / name;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return file.string();
    }

    static std::string Read(const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

private:
    std::filesystem::path m_path;
};
