#pragma once
// A program folder of its own for one test: a copy of the shipped data tree
// ("Config File/") in a temporary folder, whose Config.ini the test may
// change. Removed when the test ends.
#include <QTemporaryDir>
#include <string>

class TestProgramFolder {
public:
    TestProgramFolder();

    // Ends in a separator, as the program folder does.
    std::string Path() const;
    std::string ConfigPath() const;
    void SetConfig(const char* section, const char* key, const std::string& value) const;
    std::string GetConfig(const char* section, const char* key) const;
    void RemoveConfig() const;

private:
    QTemporaryDir m_dir;
};
