#include "ui/key_filter.h"

#include <QKeyEvent>
#include <QKeySequence>
#include <QLineEdit>

#include <algorithm>
#include <string>

#include "ui/ansi_text.h"

namespace {

bool isEditingShortcut(const QKeyEvent& key) {
    for (const QKeySequence::StandardKey shortcut :
         {QKeySequence::SelectAll, QKeySequence::Copy, QKeySequence::Cut, QKeySequence::Paste,
          QKeySequence::Undo, QKeySequence::Redo}) {
        if (key.matches(shortcut)) return true;
    }
    return false;
}

}  // namespace

CharKeyFilter::CharKeyFilter(Predicate accept, QObject* parent)
    : QObject(parent), m_accept(std::move(accept)) {}

bool CharKeyFilter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    char typed = 0;
    if (isEditingShortcut(*key)) {
        return false;  // what it inserts is the guard's to judge
    } else if (key->key() == Qt::Key_Backspace) {
        typed = '\b';
    } else if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
        return false;  // moves the focus to the next control, types nothing
    } else if (key->key() == Qt::Key_Delete || key->text().isEmpty()) {
        return false;  // types no character
    } else {
        const char16_t code = key->text().front().unicode();
        if (code > 0xFF) return true;
        typed = static_cast<char>(code);
    }
    return !m_accept(typed);
}

bool acceptsInsertedText(const EditKeyRule& rule, std::string_view text,
                         std::string_view inserted) {
    std::string typed(text);
    for (const char c : inserted) {
        const auto code = static_cast<unsigned char>(c);
        if (code < 0x20 || code == 0x7F) return false;
        if (!rule(c, typed)) return false;
        typed.push_back(c);
    }
    return true;
}

InsertedTextGuard::InsertedTextGuard(EditKeyRule rule, QLineEdit* edit)
    : QValidator(edit), m_rule(std::move(rule)), m_edit(edit), m_before(edit->text()) {
    edit->setValidator(this);
    connect(edit, &QLineEdit::textChanged, this, [this](const QString& text) { m_before = text; });
}

QValidator::State InsertedTextGuard::validate(QString& input, int&) const {
    // setText() clears the modified flag before the text is validated: the program's own text.
    if (!m_edit->isModified()) return Acceptable;
    // The change replaced the middle of the old text by the middle of the new one.
    const qsizetype shorter = std::min(m_before.size(), input.size());
    qsizetype prefix = 0;
    while (prefix < shorter && m_before.at(prefix) == input.at(prefix))
        ++prefix;
    qsizetype suffix = 0;
    while (suffix < shorter - prefix &&
           m_before.at(m_before.size() - 1 - suffix) == input.at(input.size() - 1 - suffix)) {
        ++suffix;
    }
    const QStringView inserted = QStringView(input).mid(prefix, input.size() - prefix - suffix);
    if (inserted.isEmpty()) return Acceptable;
    std::string bytes;
    for (const QChar c : inserted) {
        if (c.unicode() > 0xFF) return Invalid;  // as a typed key beyond 8 bits
        bytes.push_back(static_cast<char>(c.unicode()));
    }
    const std::string around = qStringToAnsi(m_before.left(prefix) + m_before.right(suffix));
    return acceptsInsertedText(m_rule, around, bytes) ? Acceptable : Invalid;
}

void filterEditKeys(QLineEdit* edit, EditKeyRule rule) {
    edit->installEventFilter(new CharKeyFilter(
        [rule, edit](char key) { return rule(key, qStringToAnsi(edit->text())); }, edit));
    new InsertedTextGuard(std::move(rule), edit);
}

void filterEditKeys(QLineEdit* edit, bool (*accept)(char key)) {
    filterEditKeys(edit, [accept](char key, std::string_view) { return accept(key); });
}
