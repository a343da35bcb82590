#pragma once

#include <gtest/gtest.h>
#include <QApplication>
#include <QColor>
#include <QImage>
#include <QRect>

#include <array>
#include <memory>

/// The one application object of the widget tests (widgets need it, timers its loop). It is
/// made before the first test and destroyed after the last, while Qt's own objects still exist.
class WidgetsTestEnvironment : public testing::Environment {
public:
    void SetUp() override { m_app = std::make_unique<QApplication>(m_argc, m_argv.data()); }
    void TearDown() override { m_app.reset(); }

private:
    int m_argc = 1;
    char m_name[18] = "app_widgets_tests";
    std::array<char*, 2> m_argv{m_name, nullptr};
    std::unique_ptr<QApplication> m_app;
};

inline testing::Environment* const kWidgetsTestEnvironment =
    testing::AddGlobalTestEnvironment(new WidgetsTestEnvironment);

inline QApplication& widgetsTestApp() {
    return *static_cast<QApplication*>(QCoreApplication::instance());
}

/// Pixels inside `area` (clipped to the image) darker than mid grey.
inline int darkPixels(const QImage& image, const QRect& area) {
    const QRect r = area.intersected(image.rect());
    int dark = 0;
    for (int y = r.top(); y <= r.bottom(); ++y) {
        for (int x = r.left(); x <= r.right(); ++x) {
            if (qGray(image.pixel(x, y)) < 128) ++dark;
        }
    }
    return dark;
}
