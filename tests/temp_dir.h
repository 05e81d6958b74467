#pragma once
// A fresh folder per test, removed afterwards.

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>

namespace orbistan::test {

class TempDirTest : public testing::Test {
protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("orbistan-test-" + std::to_string(std::random_device{}()));
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    std::filesystem::path dir_;
};

} // namespace orbistan::test
