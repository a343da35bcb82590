#pragma once

#include <QColor>
#include <QFrame>
#include <memory>
#include <string>

class QLabel;
class QLineEdit;
class LimitComparator;
class Timer;
class Timers;

/// The circular verdict lamp `Shape1`.
class VerdictLamp : public QWidget {
public:
    explicit VerdictLamp(QWidget* parent);
    void setFill(const QColor& fill);
    QColor fill() const { return m_fill; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_fill;
};

/// The limits panel `Panel4`: the high and low limit edits with their key filters and
/// 500 ms validation timers, the measured value, and the verdict lamp with its caption.
/// The comparator holds the limits; this panel mirrors them into the edits and back.
/// The comparator and the timers must outlive the panel.
class LimitsPanel : public QFrame {
public:
    static inline const QColor kPassColour{0, 128, 0};
    static inline const QColor kFailColour{255, 0, 0};

    LimitsPanel(LimitComparator& limits, Timers& timers, QWidget* parent);
    ~LimitsPanel() override;

    /// After every decoded packet: take back the limit texts (the comparator may have changed
    /// their decimal separator), show the value and the comparator's last verdict.
    void showReading(const std::string& valueText);

    QLineEdit* T1HI() const { return m_T1HI; }
    QLineEdit* T1LO() const { return m_T1LO; }
    QLineEdit* T1VALUE() const { return m_T1VALUE; }
    QLabel* judge() const { return m_judge; }
    VerdictLamp* Shape1() const { return m_Shape1; }
    Timer& Timer1() const { return *m_Timer1; }
    Timer& Timer4() const { return *m_Timer4; }

private:
    void T1HIChange();
    void T1LOChange();
    void Timer1Timer();
    void Timer4Timer();
    void applyVerdictColour(const QColor& colour);

    LimitComparator& m_limits;
    QLineEdit* m_T1HI;
    QLineEdit* m_T1LO;
    QLineEdit* m_T1VALUE;
    VerdictLamp* m_Shape1;
    QLabel* m_judge;
    std::unique_ptr<Timer> m_Timer1;
    std::unique_ptr<Timer> m_Timer4;
    QColor m_verdictColour;
};
