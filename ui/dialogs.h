#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class QWidget;

/// A file dialog as the window asks for it.
struct FileDialogRequest {
    QStringList filters;  ///< e.g. {"Excel File(*.xls)", "XML(*.xml)", "Txt File(*.txt)"}
    int filterIndex = 0;  ///< the entry shown first; the dialog reports the confirmed one
    /// A typed name without extension takes the chosen entry's extension, or this one when the
    /// entry offers none (see savedFileName); empty: the name stays as typed.
    QString defaultSuffix;
    QString fileName;  ///< the name the dialog starts with
    bool confirmOverwrite = false;
};

struct FileDialogResult {
    QString fileName;  ///< full path; the overwrite question, if any, was about this name
    int filterIndex = 0;
};

/// Every dialog and message box the window shows, behind one seam so tests answer them.
/// All calls are made on the GUI thread; modal dialogs keep serving timers and received data.
class Dialogs {
public:
    virtual ~Dialogs() = default;
    virtual std::optional<FileDialogResult> saveFile(QWidget* owner,
                                                     const FileDialogRequest& r) = 0;
    virtual std::optional<FileDialogResult> openFile(QWidget* owner,
                                                     const FileDialogRequest& r) = 0;
    /// Plain message box captioned "Information" (information icon, OK).
    virtual void information(QWidget* owner, const QString& text) = 0;
    /// Plain message box captioned "Error" (error icon, OK).
    virtual void error(QWidget* owner, const QString& text) = 0;
    /// The same box with `details` as its informative text, under the message.
    virtual void errorWithDetails(QWidget* owner, const QString& text, const QString& details) = 0;
    /// Message dialog with Yes (default) and No; Esc answers No. True for Yes.
    virtual bool confirm(QWidget* owner, const QString& caption, const QString& text) = 0;
    /// The same dialog with No as the default, for a question whose Yes discards data: Enter
    /// and Esc both answer No. True for Yes.
    virtual bool confirmDefaultNo(QWidget* owner, const QString& caption, const QString& text) = 0;
    /// The general error report: caption "VXM-90", error icon, OK; text already punctuated.
    virtual void applicationError(const QString& text) = 0;
};
