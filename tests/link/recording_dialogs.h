#pragma once

#include <QStringList>

#include "app/dialogs.h"

/// Answers every dialog at once and remembers the messages shown.
class RecordingDialogs final : public Dialogs {
public:
    QStringList errors;
    QStringList informations;

    std::optional<FileDialogResult> saveFile(QWidget*, const FileDialogRequest&) override {
        return std::nullopt;
    }
    std::optional<FileDialogResult> openFile(QWidget*, const FileDialogRequest&) override {
        return std::nullopt;
    }
    void information(QWidget*, const QString& text) override { informations << text; }
    void error(QWidget*, const QString& text) override { errors << text; }
    bool confirm(QWidget*, const QString&, const QString&) override { return true; }
    void applicationError(const QString& text) override { errors << text; }
};
