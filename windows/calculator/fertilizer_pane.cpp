// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/calculator/fertilizer_pane.h"

#include "controls/db_grid.h"
#include "controls/handler_guard.h"
#include "controls/widget_building.h"
#include "core/number_text.h"
#include "store/columns.h"
#include "store/database.h"
#include "store/disabled_source.h"
#include "windows/directories/fertilizer_list.h"

#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace solvane {

namespace {

// The search box is 65 pixels narrower than its strip.
constexpr int kSearchBoxMargin = 65;

} // namespace

FertilizerPane::FertilizerPane(HandlerGuard& guard, Database& data, QWidget* parent)
    : QWidget(parent), guard_(guard), data_(data) {
    setObjectName(QStringLiteral("PanelFertilizers"));
    auto* layout = MakeRow(this, 0, 2);
    buildList(layout);
    buildButtons(layout);
    listName_ = data_.fertilizers.fieldByName(col::fertilizers::name);
    lineFertilizer_ = data_.composition.fieldByName(col::lines::fertilizer);
    contentName_ = data_.fertilizerContent.fieldByName(col::content::elementName);
    contentPercent_ = data_.fertilizerContent.fieldByName(col::content::percent);
    wire();
}

// "Удобрения:": the search strip, the list and its count.
void FertilizerPane::buildList(QHBoxLayout* layout) {
    auto* group = MakeGroup(QStringLiteral("GroupFertilizers"), QStringLiteral("Удобрения:"), this);
    layout->addWidget(group, 1);
    auto* listLayout = MakeColumn(group);

    searchStrip_ = MakePanel(QStringLiteral("PanelSearch"), group);
    searchStrip_->setFixedHeight(28);
    auto* searchLabel = MakeLabel(QStringLiteral("Label1"), QStringLiteral("Поиск:"), searchStrip_);
    searchLabel->setGeometry(6, 6, kFertilizerSearchBoxLeft - 8, 18);
    searchBox_ = MakeEdit(QStringLiteral("Edit1"), QStringLiteral("Поиск:"), searchStrip_);
    searchBox_->setToolTip(QStringLiteral("Название искомого удобрения"));
    searchBox_->setGeometry(kFertilizerSearchBoxLeft, 3, 120, 22);
    searchLabel->setBuddy(searchBox_);
    searchStrip_->installEventFilter(this);
    listLayout->addWidget(searchStrip_);

    grid_ = MakeGrid(guard_, QStringLiteral("dxDBGrid1"), &data_.fertilizersSource, group);
    DBGridColumn* names = grid_->addColumn(col::fertilizers::name, QStringLiteral("Названия"));
    names->setReadOnly(true);
    names->setSortMark(SortMark::Descending);
    grid_->setScrollBars(Qt::ScrollBarAsNeeded, Qt::ScrollBarAlwaysOff);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    listLayout->addWidget(grid_, 1);

    auto* countStrip = MakePanel(QStringLiteral("PanelCount"), group);
    auto* countLayout = MakeRow(countStrip, 2, 0);
    countLayout->addWidget(
        MakeLabel(QStringLiteral("Label7"), QStringLiteral("  Всего удобрений:   "), countStrip, true));
    count_ = MakeLabel(QStringLiteral("Label6"), QStringLiteral("0"), countStrip, true);
    countLayout->addWidget(count_);
    countLayout->addStretch(1);
    listLayout->addWidget(countStrip);
}

// The button column beside the list; "O" stays disabled.
void FertilizerPane::buildButtons(QHBoxLayout* layout) {
    auto* buttons = MakePanel(QStringLiteral("PanelButtons"), this);
    auto* buttonLayout = MakeColumn(buttons, 2, 4);
    layout->addWidget(buttons);
    constexpr int kButtonWidth = 34;
    addButton_ =
        MakeHintedButton(QStringLiteral("Button1"), QStringLiteral(">"), QStringLiteral("Добавить в состав"), buttons);
    removeButton_ =
        MakeHintedButton(QStringLiteral("Button2"), QStringLiteral("<"), QStringLiteral("Удалить из состава"), buttons);
    elementsButton_ = MakeHintedButton(QStringLiteral("Button6"), QStringLiteral("E"),
                                       QStringLiteral("Справочник элементов"), buttons);
    fertilizersButton_ = MakeHintedButton(QStringLiteral("Button8"), QStringLiteral("U"),
                                          QStringLiteral("Справочник удобрений"), buttons);
    QPushButton* optionsButton =
        MakeHintedButton(QStringLiteral("Button7"), QStringLiteral("O"), QStringLiteral("Опции"), buttons);
    clearButton_ = MakeHintedButton(QStringLiteral("Button3"), QStringLiteral("X"),
                                    QStringLiteral("Очистить весь состав"), buttons);
    optionsButton->setEnabled(false);
    for (QPushButton* b : {addButton_, removeButton_, elementsButton_, fertilizersButton_, optionsButton, clearButton_})
        b->setFixedWidth(kButtonWidth);
    addButton_->setMinimumHeight(60);
    removeButton_->setMinimumHeight(60);
    buttonLayout->addSpacing(14);
    buttonLayout->addWidget(addButton_);
    buttonLayout->addWidget(removeButton_);
    buttonLayout->addStretch(1);
    buttonLayout->addWidget(elementsButton_);
    buttonLayout->addWidget(fertilizersButton_);
    buttonLayout->addWidget(optionsButton);
    buttonLayout->addStretch(1);
    buttonLayout->addWidget(clearButton_);
}

void FertilizerPane::wire() {
    // A click on a button is one user action of the window.
    const auto onClick = [this](QPushButton* button, void (FertilizerPane::*signal)()) {
        connect(button, &QPushButton::clicked, this,
                [this, signal] { guard_.run(window(), [this, signal] { request(signal); }); });
    };
    onClick(addButton_, &FertilizerPane::addRequested);
    onClick(removeButton_, &FertilizerPane::removeRequested);
    onClick(clearButton_, &FertilizerPane::clearRequested);
    onClick(elementsButton_, &FertilizerPane::elementsRequested);
    onClick(fertilizersButton_, &FertilizerPane::fertilizersRequested);
    connect(searchBox_, &QLineEdit::textChanged, this,
            [this] { guard_.run(window(), [this] { searchTextChanged(); }); });
    // The grid runs these as user actions itself.
    grid_->onClick = [this] { listClicked(); };
    grid_->onDblClick = [this] { request(&FertilizerPane::addRequested); };
    grid_->onColumnClick = [this](int) { headerClicked(); };
}

void FertilizerPane::request(void (FertilizerPane::*signal)()) {
    guard_.relay([this, signal] { emit(this->*signal)(); });
}

void FertilizerPane::showCount(const QString& count) {
    count_->setText(count);
}

bool FertilizerPane::eventFilter(QObject* watched, QEvent* event) {
    if (watched == searchStrip_ && event->type() == QEvent::Resize)
        applySearchBoxWidth();
    return QWidget::eventFilter(watched, event);
}

void FertilizerPane::applySearchBoxWidth() {
    searchBox_->setGeometry(kFertilizerSearchBoxLeft, searchBox_->y(),
                            std::max(0, searchStrip_->width() - kSearchBoxMargin), searchBox_->height());
}

void FertilizerPane::searchTextChanged() {
    SearchFertilizers(data_.fertilizers, searchBox_->text());
}

void FertilizerPane::listClicked() {
    DataSet& fertilizers = data_.fertilizers;
    DataSet& content = data_.fertilizerContent;
    const QString lineBreak = QStringLiteral("\r\n");
    QString hint = listName_->asString() + QStringLiteral(":");
    QString lines;
    if (fertilizers.isActive() && content.isActive()) {
        const int rows = content.recordCount();
        for (int i = 0; i < rows; ++i) {
            const QVariant percent = content.valueAt(i, contentPercent_);
            lines += lineBreak + content.valueAt(i, contentName_).toString() + QStringLiteral(" - ") +
                     (percent.isNull() ? QString() : FormatNumber(percent.toDouble())) + QStringLiteral("%");
        }
    }
    hint += lineBreak + lines;
    grid_->setHint(hint);
}

void FertilizerPane::headerClicked() {
    ToggleNameSort(data_.fertilizers, *grid_->columnByField(col::fertilizers::name));
}

// Filtering off, the filter text on the composition's last line's key, the
// list on its first record; its grids show that once.
void FertilizerPane::leaveListAsBefore() {
    DataSet& fertilizers = data_.fertilizers;
    const int n = data_.composition.recordCount();
    if (n > 0) {
        fertilizers.checkBrowseMode();
        data_.fertilizerContent.checkBrowseMode();
    }
    const DisabledSource list(data_.fertilizersSource);
    const DisabledSource contentGrid(data_.fertilizerContentSource);
    if (n > 0) {
        const QVariant last = data_.composition.valueAt(n - 1, lineFertilizer_);
        fertilizers.setFilter(QString(col::fertilizers::key) + QLatin1Char('=') + QString::number(last.toLongLong()));
        if (!fertilizers.isFiltered())
            fertilizers.first();
    }
    fertilizers.setFiltered(false);
}

} // namespace solvane
