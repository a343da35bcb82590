#pragma once

#include <QObject>

#include <functional>

/// Filters the characters typed into an edit, as a key-press handler that may discard the
/// key: the predicate sees each typed character (backspace as 8, other control characters
/// with their codes) and returns false to discard it. Keys that type no character (arrows,
/// Delete, Home, ...) and Tab, which moves the focus on, always pass. Characters beyond 8 bits
/// are discarded.
class CharKeyFilter : public QObject {
public:
    using Predicate = std::function<bool(char key)>;

    CharKeyFilter(Predicate accept, QObject* parent);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Predicate m_accept;
};
