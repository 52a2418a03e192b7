#pragma once

#include <QString>

class QGroupBox;
class QLabel;
class QPushButton;
class QWidget;

namespace solvane {

// Small builders for the directory windows' widgets: each gets its object
// name (and, for an input, an accessible name) so that it can be found and
// read by assistive tools and tests.
QGroupBox* MakeGroup(const QString& objectName, const QString& caption, QWidget* parent);
QLabel* MakeLabel(const QString& objectName, const QString& text, QWidget* parent, bool bold = false);
QPushButton* MakeButton(const QString& objectName, const QString& caption, QWidget* parent, bool bold = false);
void SetBold(QWidget* widget);

} // namespace solvane
