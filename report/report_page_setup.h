#pragma once

#include <QPageLayout>

/// The report's page at first: A4 portrait with margins of 10 mm on each side.
QPageLayout reportPageLayout();
