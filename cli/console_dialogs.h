#pragma once

#include <QString>

#include <ostream>

#include "ui/dialogs.h"

/// The dialogs of a headless command: messages become lines on the diagnostic stream, exactly
/// as the window's boxes would word them; nobody answers a question or picks a file.
class ConsoleDialogs final : public Dialogs {
public:
    explicit ConsoleDialogs(std::ostream& err) : m_err(err) {}

    std::optional<FileDialogResult> saveFile(QWidget*, const FileDialogRequest&) override {
        return std::nullopt;
    }
    std::optional<FileDialogResult> openFile(QWidget*, const FileDialogRequest&) override {
        return std::nullopt;
    }
    void information(QWidget*, const QString& text) override { line(text); }
    void error(QWidget*, const QString& text) override { line(text); }
    void errorWithDetails(QWidget*, const QString& text, const QString& details) override {
        line(text);
        line(details);
    }
    bool confirm(QWidget*, const QString&, const QString&) override { return false; }
    bool confirmDefaultNo(QWidget*, const QString&, const QString&) override { return false; }
    void applicationError(const QString& text) override { line(text); }

private:
    void line(const QString& text) { m_err << text.toStdString() << '\n' << std::flush; }

    std::ostream& m_err;
};
