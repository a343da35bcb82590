#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

#include "report/report_dialogs.h"

/// The report's dialogs answered by the test. The print dialog runs `answerSetup` on the
/// printer as a user's choices would change it (none set: the dialog is cancelled); the
/// progress window is a record of what it shows, with its Cancel button at hand.
class FakeReportDialogs : public ReportDialogs {
public:
    struct Progress {
        bool open = false;
        int opened = 0;
        std::size_t done = 0, total = 0;
        std::function<void()> cancel;  ///< the "Cancel" button
    };

    std::function<bool(QPrinter& printer, int pageCount)> answerSetup;
    std::vector<int> setupPageCounts;  ///< the page count each print dialog was given
    std::shared_ptr<Progress> progress = std::make_shared<Progress>();

    bool printSetup(QWidget*, QPrinter& printer, int pageCount) override {
        setupPageCounts.push_back(pageCount);
        return answerSetup && answerSetup(printer, pageCount);
    }

    std::unique_ptr<PrintProgress> printProgress(QWidget*,
                                                 std::function<void()> onCancel) override {
        progress->open = true;
        ++progress->opened;
        progress->cancel = std::move(onCancel);
        return std::make_unique<Window>(progress);
    }

private:
    class Window : public PrintProgress {
    public:
        explicit Window(std::shared_ptr<Progress> state) : m_state(std::move(state)) {}
        ~Window() override {
            m_state->open = false;
            m_state->cancel = nullptr;
        }
        void setProgress(std::size_t done, std::size_t total) override {
            m_state->done = done;
            m_state->total = total;
        }

    private:
        std::shared_ptr<Progress> m_state;
    };
};
