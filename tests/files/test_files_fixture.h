#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>

#include "log/log_table.h"

/// A fresh scratch folder per test, removed afterwards.
class ScratchFolder : public testing::Test {
protected:
    ScratchFolder() {
        const auto* info = testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string(info->test_suite_name()) + "_" + info->name();
        for (char& c : name) {
            if (c == '/') c = '_';
        }
        m_dir = std::filesystem::temp_directory_path() / ("vxm_files_" + name);
        std::filesystem::remove_all(m_dir);
        std::filesystem::create_directories(m_dir);
    }
    ~ScratchFolder() override {
        std::error_code ec;
        std::filesystem::permissions(m_dir, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(m_dir, ec);
    }

    std::string path(const std::string& name) const { return (m_dir / name).string(); }

    static void writeBytes(const std::string& file, const std::string& bytes) {
        std::ofstream out(file, std::ios::binary);
        out << bytes;
    }
    static std::string readBytes(const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    std::size_t entries() const {
        return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(m_dir),
                                                      std::filesystem::directory_iterator()));
    }

    std::filesystem::path m_dir;
};

inline LogRecord makeRecord(std::optional<std::int32_t> no, std::optional<std::string> time,
                            std::optional<std::string> function, std::optional<std::string> value,
                            std::optional<std::string> unit, std::optional<std::string> judge,
                            std::optional<std::int32_t> nval = std::nullopt) {
    LogRecord r;
    r.No = no;
    r.Time = std::move(time);
    r.DcAc = std::move(function);
    r.Value = std::move(value);
    r.Unit = std::move(unit);
    r.Auto = std::move(judge);
    r.NVal = nval;
    return r;
}

inline std::vector<LogRecord> recordsOf(const LogTable& table) {
    std::vector<LogRecord> records;
    for (std::size_t i = 0; i < table.rowCount(); ++i)
        records.push_back(table.record(i));
    return records;
}
