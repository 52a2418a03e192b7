// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/directories/element_directory.h"

#include "controls/db_grid.h"
#include "controls/db_navigator.h"
#include "controls/handler_guard.h"
#include "controls/message_service.h"
#include "controls/widget_building.h"
#include "store/columns.h"
#include "core/ions.h"
#include "store/cascade.h"
#include "store/database.h"
#include "store/element_rows.h"

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
    // The columns of forms and ions scroll sideways where the window is too
    // narrow for them, the names kept readable.
    grid->setScrollBars(Qt::ScrollBarAsNeeded, Qt::ScrollBarAsNeeded);
    DBGridColumn* symbol = grid->addColumn(col::elements::shortName, QStringLiteral("Обозн."));
    symbol->setWidth(60);
    symbol->setNarrowest(60);
    DBGridColumn* fullName = grid->addColumn(col::elements::fullName, QStringLiteral("Полное название"));
    fullName->setWidth(160);
    fullName->setNarrowest(120);
    DBGridColumn* oxide = grid->addColumn(col::elements::oxide, QStringLiteral("Оксид"));
    oxide->setCheck();
    oxide->setWidth(56);
    DBGridColumn* conversion = grid->addColumn(col::elements::conversionName, QStringLiteral("Коэффициент"));
    conversion->setLookup(&data_.coefficientsSource, col::coefficients::key, col::coefficients::name,
                          col::elements::conversion, 22);
    conversion->setWidth(110);
    conversion->setNarrowest(85);
    // What an element is a form of (N-NH4 of N), and the ion it stands for.
    DBGridColumn* total = grid->addColumn(col::elements::totalName, QStringLiteral("Форма элемента"));
    total->setLookup(&data_.plainElementsSource, col::elements::key, col::elements::shortName, col::elements::total,
                     22);
    total->setEmptyEntry(true);
    total->setWidth(110);
    total->setNarrowest(100);
    QStringList codes;
    for (std::size_t i = 0; i < kIonCount; ++i)
        codes << QString::fromLatin1(InfoOf(static_cast<Ion>(i)).code);
    DBGridColumn* ion = grid->addColumn(col::elements::ion, QStringLiteral("Ион"));
    ion->setPickList(codes, static_cast<int>(kIonCount) + 1);
    ion->setEmptyEntry(true);
    ion->setWidth(70);
    // A change that would make a chain of forms, or an oxide part of one, is
    // refused and nothing is stored.
    const auto refusalOf = [this](const QString& field) {
        return [this, field](const QVariant& value) { return ElementChangeRefusal(data_.elements, field, value); };
    };
    oxide->onValidate = refusalOf(col::elements::oxide);
    conversion->onValidate = refusalOf(col::elements::conversion);
    total->onValidate = refusalOf(col::elements::total);
    groupLayout->addWidget(grid, 1);

    connectClick(deleteButton, [this] { deleteElement(); });
    connectClick(coefficientsButton, [this] { openCoefficients(); });
    connectClick(exitButton, [this] { close(); });

    // The size until the stored one is applied.
    resize(640, 630);
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
    relay([this] { emit coefficientsRequested(); });
}

void ElementDirectory::FormClose() {
    relay([this] { emit closing(); });
}

} // namespace solvane
