#pragma once
// A program folder of its own for each test, with the data tree's
// Config.ini written as the test needs it.
#include "config/app_config.h"
#include "test_temp_folder.h"
#include "util/tool.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

class ConfigTest : public ::testing::Test {
protected:
    std::string WriteConfig(std::string_view text) {
        return m_program.Write("Config File/Config/Config.ini", text);
    }

    std::string ConfigPath() const { return m_program.File("Config File/Config/Config.ini"); }

    AppConfig Load() {
        AppConfig config;
        LoadConfig(config, m_program.Folder(),
                   [this](const char* codes) { m_customerCalls.emplace_back(codes); });
        return config;
    }

    static std::string Enciphered(std::string text) {
        EXPECT_EQ(Tool::EncryptText(text), 1);
        return text;
    }

    TestTempFolder m_program;
    std::vector<std::string> m_customerCalls;
};
