#pragma once

#include <QFrame>

class QCheckBox;
class QLineEdit;
class QToolButton;

/// The tool bar `ChartToolPanel1` above the chart: fill box, page-size edit, save, paging,
/// page number and enlarge/restore. It only lays out the controls (icons drawn at run time)
/// and filters the keys of `Maxrecord` (digits and backspace, as the sampling-interval edit);
/// ChartCommands gives them their commands. The controls' hints are kept as status tips, which
/// the window never shows (it has no status bar): only the window's named tooltips pop up.
/// Placed at (306, 149) in its parent, 353 x 41. GUI thread only.
class ChartToolBar : public QFrame {
public:
    explicit ChartToolBar(QWidget* parent = nullptr);

    QFrame* Bevel1() const { return m_Bevel1; }
    QCheckBox* BtFill() const { return m_BtFill; }
    QLineEdit* Maxrecord() const { return m_Maxrecord; }
    QToolButton* BtSave() const { return m_BtSave; }
    QToolButton* BtFirst() const { return m_BtFirst; }
    QToolButton* BTPrevious() const { return m_BTPrevious; }
    QToolButton* Bt10() const { return m_Bt10; }
    QToolButton* BtNext() const { return m_BtNext; }
    QToolButton* BTlast() const { return m_BTlast; }
    QToolButton* TbFd() const { return m_TbFd; }
    QToolButton* TbSx() const { return m_TbSx; }

    static constexpr QRect kStartGeometry{306, 149, 353, 41};

private:
    QFrame* m_Bevel1;
    QCheckBox* m_BtFill;
    QLineEdit* m_Maxrecord;
    QToolButton* m_BtSave;
    QToolButton* m_BtFirst;
    QToolButton* m_BTPrevious;
    QToolButton* m_Bt10;
    QToolButton* m_BtNext;
    QToolButton* m_BTlast;
    QToolButton* m_TbFd;
    QToolButton* m_TbSx;
};
