#include "directories/directory_widgets.h"

#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

namespace solvane {

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

} // namespace solvane
