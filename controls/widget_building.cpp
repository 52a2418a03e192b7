// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/widget_building.h"

#include "controls/db_grid.h"
#include "controls/db_navigator.h"
#include "controls/splitter.h"

#include <QAction>
#include <QFont>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

namespace solvane {

namespace {

template <typename Widget> Widget* Named(Widget* widget, const QString& objectName, bool bold = false) {
    widget->setObjectName(objectName);
    if (bold)
        SetBold(widget);
    return widget;
}

template <typename Layout> Layout* MakeBox(QWidget* widget, int margin, int spacing) {
    auto* layout = new Layout(widget);
    layout->setContentsMargins(margin, margin, margin, margin);
    if (spacing != kStyleSpacing)
        layout->setSpacing(spacing);
    return layout;
}

} // namespace

void SetBold(QWidget* widget) {
    QFont font = widget->font();
    font.setBold(true);
    widget->setFont(font);
}

QGroupBox* MakeGroup(const QString& objectName, const QString& caption, QWidget* parent) {
    return Named(new QGroupBox(caption, parent), objectName);
}

QLabel* MakeLabel(const QString& objectName, const QString& text, QWidget* parent, bool bold) {
    return Named(new QLabel(text, parent), objectName, bold);
}

QPushButton* MakeButton(const QString& objectName, const QString& caption, QWidget* parent, bool bold) {
    return Named(new QPushButton(caption, parent), objectName, bold);
}

QWidget* MakePanel(const QString& objectName, QWidget* parent) {
    return Named(new QWidget(parent), objectName);
}

QPushButton* MakeHintedButton(const QString& objectName, const QString& caption, const QString& hint, QWidget* parent) {
    QPushButton* button = MakeButton(objectName, caption, parent);
    button->setToolTip(hint);
    button->setAccessibleDescription(hint);
    return button;
}

QLineEdit* MakeEdit(const QString& objectName, const QString& accessibleName, QWidget* parent, const QString& text) {
    QLineEdit* edit = Named(new QLineEdit(text, parent), objectName);
    edit->setAccessibleName(accessibleName);
    return edit;
}

QMenu* MakeMenu(const QString& objectName, QWidget* parent) {
    return Named(new QMenu(parent), objectName);
}

QAction* MakeMenuItem(QMenu* menu, const QString& objectName, const QString& caption) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(objectName);
    return action;
}

Splitter* MakeSplitter(HandlerGuard& guard, const QString& objectName, Qt::Orientation orientation, QWidget* parent) {
    return Named(new Splitter(guard, orientation, parent), objectName);
}

DBGrid* MakeGrid(HandlerGuard& guard, const QString& objectName, DataSource* source, QWidget* parent) {
    DBGrid* grid = Named(new DBGrid(guard, parent), objectName);
    grid->setDataSource(source);
    return grid;
}

DBNavigator* MakeNavigator(HandlerGuard& guard, const QString& objectName, DataSource* source,
                           const std::vector<NavButton>& buttons, QWidget* parent) {
    DBNavigator* navigator = Named(new DBNavigator(guard, parent), objectName);
    navigator->setButtons(buttons);
    navigator->setDataSource(source);
    return navigator;
}

QVBoxLayout* MakeColumn(QWidget* widget, int margin, int spacing) {
    return MakeBox<QVBoxLayout>(widget, margin, spacing);
}

QHBoxLayout* MakeRow(QWidget* widget, int margin, int spacing) {
    return MakeBox<QHBoxLayout>(widget, margin, spacing);
}

} // namespace solvane
