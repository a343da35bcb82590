#pragma once

#include "ui/dialogs.h"

/// The real dialogs: platform file dialogs and Qt message boxes.
class QtDialogs : public Dialogs {
public:
    std::optional<FileDialogResult> saveFile(QWidget* owner, const FileDialogRequest& r) override;
    std::optional<FileDialogResult> openFile(QWidget* owner, const FileDialogRequest& r) override;
    void information(QWidget* owner, const QString& text) override;
    void error(QWidget* owner, const QString& text) override;
    void errorWithDetails(QWidget* owner, const QString& text, const QString& details) override;
    bool confirm(QWidget* owner, const QString& caption, const QString& text) override;
    bool confirmDefaultNo(QWidget* owner, const QString& caption, const QString& text) override;
    void applicationError(const QString& text) override;
};
