#pragma once

#include <optional>

#include "ui/dialogs.h"

/// Dialogs for benchmarks: file dialogs are cancelled, questions get a fixed answer (Yes, and
/// No where No is the default), and every message box is only counted.
class SilentDialogs final : public Dialogs {
public:
    int messages = 0;
    std::optional<FileDialogResult> saveFile(QWidget*, const FileDialogRequest&) override {
        return std::nullopt;
    }
    std::optional<FileDialogResult> openFile(QWidget*, const FileDialogRequest&) override {
        return std::nullopt;
    }
    void information(QWidget*, const QString&) override { ++messages; }
    void error(QWidget*, const QString&) override { ++messages; }
    void errorWithDetails(QWidget*, const QString&, const QString&) override { ++messages; }
    bool confirm(QWidget*, const QString&, const QString&) override { return true; }
    bool confirmDefaultNo(QWidget*, const QString&, const QString&) override { return false; }
    void applicationError(const QString&) override { ++messages; }
};
