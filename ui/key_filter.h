#pragma once

#include <QObject>
#include <QValidator>

#include <functional>
#include <string_view>

class QLineEdit;

/// Filters the characters typed into an edit, as a key-press handler that may discard the
/// key: the predicate sees each typed character (backspace as 8, other control characters
/// with their codes) and returns false to discard it. Keys that type no character (arrows,
/// Delete, Home, ...), Tab, which moves the focus on, and the editing shortcuts (select all,
/// copy, cut, paste, undo, redo) always pass. Characters beyond 8 bits are discarded.
class CharKeyFilter : public QObject {
public:
    using Predicate = std::function<bool(char key)>;

    CharKeyFilter(Predicate accept, QObject* parent);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Predicate m_accept;
};

/// Whether `key` may be typed into an edit whose text is `text` (code-page bytes).
using EditKeyRule = std::function<bool(char key, std::string_view text)>;

/// Whether `inserted` passes `rule` as if typed into `text` one character after the other, each
/// seeing the text with the characters before it. Control characters are keys, never text, so
/// an insertion holding one (a line break, a tab, a backspace) is refused.
bool acceptsInsertedText(const EditKeyRule& rule, std::string_view text, std::string_view inserted);

/// The validator of a filtered edit: a change the user makes that inserts text (a paste, a drop,
/// QLineEdit::insert, an input method) is refused whole unless its characters pass the edit's
/// key rule (acceptsInsertedText; a character beyond 8 bits never does). Deletions always pass,
/// and so do texts the program sets (setText, and undo back to them).
class InsertedTextGuard : public QValidator {
public:
    /// Becomes the validator of `edit`, which owns it.
    InsertedTextGuard(EditKeyRule rule, QLineEdit* edit);

    State validate(QString& input, int& pos) const override;

private:
    EditKeyRule m_rule;
    QLineEdit* m_edit;
    QString m_before;  // the edit's text before the change being validated
};

/// Filters an edit by `rule`: typed keys through a CharKeyFilter that shows the rule the edit's
/// text, inserted text through an InsertedTextGuard. Both are owned by the edit.
void filterEditKeys(QLineEdit* edit, EditKeyRule rule);
/// The same for a rule that looks at the key alone.
void filterEditKeys(QLineEdit* edit, bool (*accept)(char key));
