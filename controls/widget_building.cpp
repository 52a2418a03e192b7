#include "controls/widget_building.h"

#include <QAction>
#include <QFont>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

namespace solvane {

namespace {

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
    auto* group = new QGroupBox(caption, parent);
    group->setObjectName(objectName);
    return group;
}

QLabel* MakeLabel(const QString& objectName, const QString& text, QWidget* parent, bool bold) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(objectName);
    if (bold)
        SetBold(label);
    return label;
}

QPushButton* MakeButton(const QString& objectName, const QString& caption, QWidget* parent, bool bold) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(objectName);
    if (bold)
        SetBold(button);
    return button;
}

QPushButton* MakeHintedButton(const QString& objectName, const QString& caption, const QString& hint, QWidget* parent) {
    QPushButton* button = MakeButton(objectName, caption, parent);
    button->setToolTip(hint);
    button->setAccessibleDescription(hint);
    return button;
}

QAction* MakeMenuItem(QMenu* menu, const QString& objectName, const QString& caption) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(objectName);
    return action;
}

QVBoxLayout* MakeColumn(QWidget* widget, int margin, int spacing) {
    return MakeBox<QVBoxLayout>(widget, margin, spacing);
}

QHBoxLayout* MakeRow(QWidget* widget, int margin, int spacing) {
    return MakeBox<QHBoxLayout>(widget, margin, spacing);
}

} // namespace solvane
