#pragma once

#include <QString>

#include <deque>
#include <optional>
#include <vector>

#include "ui/dialogs.h"

/// Dialogs that answer as the test says and remember what was asked and shown. A file dialog
/// with no answer queued is cancelled; confirmations answer confirmAnswer.
class FakeDialogs : public Dialogs {
public:
    std::deque<std::optional<FileDialogResult>> saveAnswers, openAnswers;
    std::vector<FileDialogRequest> saveRequests, openRequests;
    std::vector<QString> informations, errors, applicationErrors;
    /// One entry per error box, in step with `errors`: its informative text, or empty.
    std::vector<QString> errorDetails;
    struct Question {
        QString caption, text;
        bool yesIsDefault = true;
    };
    std::vector<Question> questions;
    bool confirmAnswer = true;

    std::optional<FileDialogResult> saveFile(QWidget*, const FileDialogRequest& r) override {
        saveRequests.push_back(r);
        return next(saveAnswers);
    }
    std::optional<FileDialogResult> openFile(QWidget*, const FileDialogRequest& r) override {
        openRequests.push_back(r);
        return next(openAnswers);
    }
    void information(QWidget*, const QString& text) override { informations.push_back(text); }
    void error(QWidget*, const QString& text) override {
        errors.push_back(text);
        errorDetails.emplace_back();
    }
    void errorWithDetails(QWidget*, const QString& text, const QString& details) override {
        errors.push_back(text);
        errorDetails.push_back(details);
    }
    bool confirm(QWidget*, const QString& caption, const QString& text) override {
        questions.push_back({caption, text, true});
        return confirmAnswer;
    }
    bool confirmDefaultNo(QWidget*, const QString& caption, const QString& text) override {
        questions.push_back({caption, text, false});
        return confirmAnswer;
    }
    void applicationError(const QString& text) override { applicationErrors.push_back(text); }

private:
    static std::optional<FileDialogResult> next(
        std::deque<std::optional<FileDialogResult>>& answers) {
        if (answers.empty()) return std::nullopt;
        auto answer = answers.front();
        answers.pop_front();
        return answer;
    }
};
