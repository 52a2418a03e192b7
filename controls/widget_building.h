// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QtCore/qnamespace.h>
#include <vector>

class QAction;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QVBoxLayout;
class QWidget;

namespace solvane {

class DataSource;
class DBGrid;
class DBNavigator;
class HandlerGuard;
class Splitter;
enum class NavButton;

// Small builders for the windows' widgets: each gets its object name so that
// it can be found and read by assistive tools and tests.
QGroupBox* MakeGroup(const QString& objectName, const QString& caption, QWidget* parent);
QLabel* MakeLabel(const QString& objectName, const QString& text, QWidget* parent, bool bold = false);
QPushButton* MakeButton(const QString& objectName, const QString& caption, QWidget* parent, bool bold = false);
// A button whose hint is shown on hover and read by assistive tools.
QPushButton* MakeHintedButton(const QString& objectName, const QString& caption, const QString& hint, QWidget* parent);
QMenu* MakeMenu(const QString& objectName, QWidget* parent);
// A text box named for assistive tools (the caption that stands before it).
QLineEdit* MakeEdit(const QString& objectName, const QString& accessibleName, QWidget* parent,
                    const QString& text = QString());
QAction* MakeMenuItem(QMenu* menu, const QString& objectName, const QString& caption);
void SetBold(QWidget* widget);
// A plain widget that holds others.
QWidget* MakePanel(const QString& objectName, QWidget* parent);

// The data-aware controls and the splitter, bound to their guard (and source).
Splitter* MakeSplitter(HandlerGuard& guard, const QString& objectName, Qt::Orientation orientation, QWidget* parent);
DBGrid* MakeGrid(HandlerGuard& guard, const QString& objectName, DataSource* source, QWidget* parent);
DBNavigator* MakeNavigator(HandlerGuard& guard, const QString& objectName, DataSource* source,
                           const std::vector<NavButton>& buttons, QWidget* parent);

// The layout of a widget: its children one under the other (a column) or
// side by side (a row), with the same margin on every side and the spacing
// between them (kStyleSpacing: the style's own).
constexpr int kStyleSpacing = -1;
QVBoxLayout* MakeColumn(QWidget* widget, int margin = 4, int spacing = 4);
QHBoxLayout* MakeRow(QWidget* widget, int margin = 4, int spacing = 4);

} // namespace solvane
