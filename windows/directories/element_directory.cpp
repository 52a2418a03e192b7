// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/directories/element_directory.h"

#include "controls/db_grid.h"
#include "controls/db_navigator.h"
#include "controls/handler_guard.h"
#include "controls/message_service.h"
#include "controls/widget_building.h"
#include "store/columns.h"
#include "store/cascade.h"
#include "store/database.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace solvane {

ElementDirectory::ElementDirectory(Database& data, HandlerGuard& guard)
    : Form(guard, QStringLiteral("Form3")), data_(data) {
    setWindowTitle(QStringLiteral("Справочник элементов"));
    buildLayout();
}

ElementDirectory::~ElementDirectory() = default;

void ElementDirectory::setCoefficientDirectory(std::function<void()> showCoefficients) {
    showCoefficients_ = std::move(showCoefficients);
}

void ElementDirectory::setClosingSequence(std::function<void()> closingSequence) {
    closingSequence_ = std::move(closingSequence);
}

void ElementDirectory::buildLayout() {
    HandlerGuard& g = guard();
    auto* outer = MakeColumn(this, 4, kStyleSpacing);

    auto* group = MakeGroup(QStringLiteral("GroupBox1"), QStringLiteral("Список элементов:"), this);
    outer->addWidget(group);
    auto* groupLayout = MakeColumn(group, 6, 4);

    auto* top = MakePanel(QStringLiteral("Panel1"), group);
    auto* topLayout = MakeRow(top, 0, 4);
    DBNavigator* navigator = MakeNavigator(g, QStringLiteral("DBNavigator1"), &data_.elementsSource,
                                           {NavButton::Insert, NavButton::Post}, top);
    navigator->setFixedSize(56, 25);
    QPushButton* deleteButton = MakeButton(QStringLiteral("Button2"), QStringLiteral("удалить"), top);
    QPushButton* coefficientsButton = MakeButton(QStringLiteral("Button3"), QStringLiteral("коэффициэнты"), top, true);
    QPushButton* exitButton = MakeButton(QStringLiteral("Button1"), QStringLiteral("выход"), top);
    topLayout->addWidget(navigator);
    topLayout->addWidget(deleteButton);
    topLayout->addWidget(coefficientsButton);
    topLayout->addStretch(1);
    topLayout->addWidget(exitButton);
    groupLayout->addWidget(top);

    DBGrid* grid = MakeGrid(g, QStringLiteral("dxDBGrid1"), &data_.elementsSource, group);
    grid->setAccessibleName(QStringLiteral("Список элементов"));
    grid->setScrollBars(Qt::ScrollBarAsNeeded, Qt::ScrollBarAlwaysOff);
    grid->addColumn(col::elements::shortName, QStringLiteral("Обозн."))->setWidth(60);
    grid->addColumn(col::elements::fullName, QStringLiteral("Полное название"))->setWidth(160);
    DBGridColumn* oxide = grid->addColumn(col::elements::oxide, QStringLiteral("Оксид"));
    oxide->setCheck();
    oxide->setWidth(56);
    grid->addColumn(col::elements::conversionName, QStringLiteral("Коэффициент"))
        ->setLookup(&data_.coefficientsSource, col::coefficients::key, col::coefficients::name,
                    col::elements::conversion, 22);
    groupLayout->addWidget(grid, 1);

    connectClick(deleteButton, [this] { deleteElement(); });
    connectClick(coefficientsButton, [this] { openCoefficients(); });
    connectClick(exitButton, [this] { close(); });

    // The size until the stored one is applied.
    resize(465, 630);
}

void ElementDirectory::deleteElement() {
    DataSet& elements = data_.elements;
    const int key = elements.fieldByName(col::elements::key)->asInteger();
    MessageService& messages = guard().messages();
    if (key >= kFirstKeyElement && key <= kLastKeyElement) {
        messages.show(this, MessageKind::Warning, QStringLiteral("сообщение"),
                      QStringLiteral("нельзя удалить ключевой элемент!"), MessageButtons::Ok);
        return;
    }
    // An empty list, or one moved past its last row, has nothing to delete.
    if (elements.eof())
        return;
    // An element that content rows, targets, water profiles or conversion
    // records name stays: they would be left naming none.
    if (elements.state() != DataSetState::Insert) {
        const ElementUse use = ElementUsage(data_.connection(), key);
        if (use.any()) {
            messages.show(this, MessageKind::Warning, QStringLiteral("сообщение"),
                          ElementRefusal(elements.fieldByName(col::elements::shortName)->asString(), use),
                          MessageButtons::Ok);
            return;
        }
    }
    if (messages.show(this, MessageKind::Confirmation, QStringLiteral("подтверждение"), QStringLiteral("удалить?"),
                      MessageButtons::YesNo) == MessageAnswer::Yes)
        elements.deleteRecord();
}

void ElementDirectory::openCoefficients() {
    if (showCoefficients_)
        showCoefficients_();
}

void ElementDirectory::FormClose() {
    if (closingSequence_)
        closingSequence_();
}

} // namespace solvane
