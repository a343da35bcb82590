#pragma once

#include <QFrame>

class QCheckBox;
class QLineEdit;
class QToolButton;

/// The log bar `Panel2` under the LCD panel: the repeat and sampling check boxes, the
/// sampling-interval edit placed over the blanks of the sampling caption, and the picture
/// buttons to clear the log, open and save data files and print. Only the controls; the
/// window wires their commands.
class LogPanel : public QFrame {
public:
    explicit LogPanel(QWidget* parent);

    QCheckBox* RepeatSet() const { return m_RepeatSet; }
    QCheckBox* RecordSI() const { return m_RecordSI; }
    QLineEdit* RecordSITime() const { return m_RecordSITime; }
    QToolButton* RecordNew() const { return m_RecordNew; }
    QToolButton* OpenDataFiles() const { return m_OpenDataFiles; }
    QToolButton* saveas() const { return m_saveas; }
    QToolButton* BtPrint() const { return m_BtPrint; }

private:
    QCheckBox* m_RepeatSet;
    QCheckBox* m_RecordSI;
    QLineEdit* m_RecordSITime;
    QToolButton* m_RecordNew;
    QToolButton* m_OpenDataFiles;
    QToolButton* m_saveas;
    QToolButton* m_BtPrint;
};
