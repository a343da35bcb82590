#include "ui/key_filter.h"

#include <QKeyEvent>

CharKeyFilter::CharKeyFilter(Predicate accept, QObject* parent)
    : QObject(parent), m_accept(std::move(accept)) {}

bool CharKeyFilter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    char typed = 0;
    if (key->key() == Qt::Key_Backspace) {
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
