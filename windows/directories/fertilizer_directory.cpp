// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/directories/fertilizer_directory.h"

#include "controls/db_grid.h"
#include "controls/db_record_count.h"
#include "controls/db_navigator.h"
#include "controls/splitter.h"
#include "controls/widget_building.h"
#include "core/field_limits.h"
#include "core/number_text.h"
#include "controls/handler_guard.h"
#include "controls/message_service.h"
#include "store/columns.h"
#include "store/cascade.h"
#include "store/database.h"
#include "windows/directories/fertilizer_list.h"

#include <QApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace solvane {

namespace {

// The search box is 80 pixels narrower than its row.
constexpr int kSearchBoxMargin = 80;
// After a resize of the window the search box is 90 pixels narrower than half
// the outer group.
constexpr int kSearchBoxMarginOnResize = 90;
constexpr int kSplitterBarWidth = 7;
constexpr int kInitialSplitterPosition = 309;

} // namespace

FertilizerDirectory::FertilizerDirectory(Database& data, HandlerGuard& guard)
    : Form(guard, QStringLiteral("Form2")), data_(data) {
    setWindowTitle(QStringLiteral("Справочник удобрений"));
    buildLayout();
}

FertilizerDirectory::~FertilizerDirectory() = default;

void FertilizerDirectory::buildLayout() {
    HandlerGuard& g = guard();
    auto* outer = MakeColumn(this, 4, kStyleSpacing);

    listGroup_ = MakeGroup(QStringLiteral("GroupBox1"), QStringLiteral("Список удобрений:"), this);
    outer->addWidget(listGroup_);
    auto* groupLayout = MakeColumn(listGroup_, 4, kStyleSpacing);

    splitter_ = MakeSplitter(g, QStringLiteral("RzSplitter1"), Qt::Horizontal, listGroup_);
    splitter_->setHandleWidth(kSplitterBarWidth);
    groupLayout->addWidget(splitter_);

    // ---- left pane: the fertilizers ----
    auto* listPane = MakePanel(QStringLiteral("Panel1"), splitter_);
    auto* left = MakeColumn(listPane, 0, 4);

    searchRow_ = MakePanel(QStringLiteral("PanelSearch"), listPane);
    searchRow_->setFixedHeight(28);
    QLabel* searchLabel = MakeLabel(QStringLiteral("Label1"), QStringLiteral("Поиск:"), searchRow_, true);
    searchLabel->setGeometry(4, 5, kFertilizerSearchBoxLeft - 6, 18);
    searchBox_ = MakeEdit(QStringLiteral("Edit1"), QStringLiteral("Поиск:"), searchRow_);
    searchBox_->setGeometry(kFertilizerSearchBoxLeft, 3, 200, 22);
    searchLabel->setBuddy(searchBox_);
    left->addWidget(searchRow_);

    listGrid_ = MakeGrid(g, QStringLiteral("dxDBGrid2"), &data_.fertilizersSource, listPane);
    listGrid_->setAccessibleName(QStringLiteral("Список удобрений"));
    // The columns of liquids, acids and prices beside the name and the ppm
    // scroll sideways where the pane is too narrow for them, the names kept
    // readable.
    listGrid_->setScrollBars(Qt::ScrollBarAsNeeded, Qt::ScrollBarAsNeeded);
    QPalette tooltip = listGrid_->palette();
    const QPalette system = QApplication::palette();
    tooltip.setColor(QPalette::Base, system.color(QPalette::ToolTipBase));
    tooltip.setColor(QPalette::Text, system.color(QPalette::ToolTipText));
    listGrid_->setPalette(tooltip);
    nameColumn_ = listGrid_->addColumn(col::fertilizers::name, QStringLiteral("Название"));
    nameColumn_->setWidth(154);
    nameColumn_->setNarrowest(130);
    nameColumn_->setSortMark(SortMark::Ascending);
    DBGridColumn* ppm = listGrid_->addColumn(col::fertilizers::ppm, QStringLiteral("PPM, 1г./л."));
    ppm->setWidth(74);
    ppm->setLimits(FieldLimits::Ppm());
    // A liquid's density (a solid has none), the acid mark, the grower's price.
    DBGridColumn* density = listGrid_->addColumn(col::fertilizers::density, QStringLiteral("Плотность, г/мл"));
    density->setSpin(0.001, FieldLimits::Density());
    density->setWidth(104);
    DBGridColumn* acid = listGrid_->addColumn(col::fertilizers::acid, QStringLiteral("Кислота"));
    acid->setCheck();
    acid->setWidth(58);
    DBGridColumn* price = listGrid_->addColumn(col::fertilizers::price, QStringLiteral("Цена за кг (л)"));
    price->setSpin(1, FieldLimits::Price());
    price->setWidth(92);
    left->addWidget(listGrid_, 1);

    DBNavigator* listNavigator = MakeNavigator(g, QStringLiteral("DBNavigator1"), &data_.fertilizersSource,
                                               {NavButton::Insert, NavButton::Delete, NavButton::Post}, listPane);
    listNavigator->setFixedHeight(25);
    listNavigator->deleteAction = [this] { deleteFertilizer(); };
    left->addWidget(listNavigator);

    auto* countRow = new QHBoxLayout;
    countRow->setSpacing(0);
    countRow->addWidget(MakeLabel(QStringLiteral("Label2"), QStringLiteral("Всего удобрений:   "), listPane));
    // The count follows the list through its source, whoever changes it.
    countLabel_ = new DBRecordCount(listPane);
    countLabel_->setObjectName(QStringLiteral("Label3"));
    countLabel_->setAccessibleName(QStringLiteral("Всего удобрений"));
    countLabel_->setDataSource(&data_.fertilizersSource);
    connect(countLabel_, &DBRecordCount::countChanged, this, &FertilizerDirectory::countChanged);
    countRow->addWidget(countLabel_);
    countRow->addStretch(1);
    left->addLayout(countRow);
    splitter_->addWidget(listPane);

    // ---- right pane: the content of the current fertilizer ----
    auto* contentGroup =
        MakeGroup(QStringLiteral("GroupBox2"), QStringLiteral("Содержание элементов в удобрении:"), splitter_);
    auto* right = MakeColumn(contentGroup, 4, 4);
    contentNavigator_ = MakeNavigator(g, QStringLiteral("DBNavigator3"), &data_.fertilizerContentSource,
                                      {NavButton::Insert, NavButton::Delete, NavButton::Post}, contentGroup);
    contentNavigator_->setFixedHeight(25);
    right->addWidget(contentNavigator_);
    contentGrid_ = MakeGrid(g, QStringLiteral("dxDBGrid1"), &data_.fertilizerContentSource, contentGroup);
    contentGrid_->setAccessibleName(QStringLiteral("Содержание элементов в удобрении"));
    contentGrid_->setScrollBars(Qt::ScrollBarAsNeeded, Qt::ScrollBarAlwaysOff);
    DBGridColumn* element = contentGrid_->addColumn(col::content::elementName, QStringLiteral("Название"));
    element->setLookup(&data_.elementsSource, col::elements::key, col::elements::shortName, col::content::element, 19);
    element->setWidth(110);
    contentGrid_->addColumn(col::content::percent, QStringLiteral("Кол-во, %"))
        ->setSpin(0.0001, FieldLimits::Content(), 100);
    right->addWidget(contentGrid_, 1);
    converterButton_ = MakeButton(QStringLiteral("Button1"), QStringLiteral("КОНВЕРТЕР"), contentGroup, true);
    right->addWidget(converterButton_);
    splitter_->addWidget(contentGroup);

    // The content pane keeps its width when the window is resized.
    splitter_->setFixedSecondPane(true);
    splitter_->setPosition(kInitialSplitterPosition);

    connect(searchBox_, &QLineEdit::textChanged, this, [this] { runGuarded([this] { searchTextChanged(); }); });
    listGrid_->onColumnClick = [this](int) { listHeaderClicked(); };
    contentGrid_->onClick = [this] { contentClicked(); };
    contentNavigator_->onClick = [this](NavButton button) { contentNavigatorPressed(button); };
    splitter_->onChange = [this] { splitterMoved(); };
    connectClick(converterButton_, [this] { openConverter(); });

    // The size until the stored one is applied.
    resize(627, 603);
}

void FertilizerDirectory::setSearchBoxWidth(int width) {
    searchBox_->resize(std::max(0, width), searchBox_->height());
}

void FertilizerDirectory::FormShow() {
    setSearchBoxWidth(searchRow_->width() - kSearchBoxMargin);
}

void FertilizerDirectory::splitterMoved() {
    setSearchBoxWidth(searchRow_->width() - kSearchBoxMargin);
}

void FertilizerDirectory::FormResize() {
    // A size set while the window is hidden (the stored geometry) is followed
    // by the stored splitter position, which must not be overridden when the
    // window is then shown; the rule is for resizing a window on the screen.
    if (!isVisible())
        return;
    const int half = listGroup_->width() / 2;
    splitter_->setPosition(half);
    setSearchBoxWidth(half - kSearchBoxMarginOnResize);
}

void FertilizerDirectory::searchTextChanged() {
    SearchFertilizers(data_.fertilizers, searchBox_->text());
}

void FertilizerDirectory::listHeaderClicked() {
    // Any header sorts by name.
    ToggleNameSort(data_.fertilizers, *nameColumn_);
}

void FertilizerDirectory::contentClicked() {
    if (data_.fertilizers.isActive() && data_.fertilizers.isModified())
        data_.fertilizers.post();
}

void FertilizerDirectory::contentNavigatorPressed(NavButton button) {
    DataSet& list = data_.fertilizers;
    DataSet& content = data_.fertilizerContent;
    if (button != NavButton::Insert || !list.isActive())
        return;
    // The fertilizer is stored with what the list's cell editor still holds,
    // as leaving the list would store it; an edit that changed nothing is
    // dropped. Storing it makes the content show its rows afresh, which
    // drops the row just inserted: a second press adds the row.
    const bool newFertilizer = list.state() == DataSetState::Insert;
    try {
        list.checkBrowseMode();
    } catch (...) {
        // A new fertilizer has no key yet, so a content row inserted now
        // would belong to no fertilizer.
        if (newFertilizer && list.state() == DataSetState::Insert && content.state() == DataSetState::Insert)
            content.cancel();
        throw;
    }
    // Without a fertilizer (an empty list) a content row would belong to none.
    if (list.isEmpty() && content.state() == DataSetState::Insert)
        content.cancel();
}

// A fertilizer in the working solution or in a saved solution stays, and the
// box names every place it is in; one used nowhere goes after the standard
// question, together with its content rows, in one transaction.
void FertilizerDirectory::deleteFertilizer() {
    DataSet& list = data_.fertilizers;
    MessageService& messages = guard().messages();
    if (!list.isActive())
        return;
    if (list.isEmpty() || list.state() == DataSetState::Insert) {
        // Nothing stored yet (a new row is dropped), or the data layer's own refusal.
        if (messages.confirmDelete(this))
            list.deleteRecord();
        return;
    }
    Connection& connection = data_.connection();
    const long long key = list.fieldByName(col::fertilizers::key)->asLargeInt();
    const FertilizerUse use = FertilizerUsage(connection, key);
    if (use.any()) {
        messages.show(this, MessageKind::Warning, QStringLiteral("сообщение"),
                      FertilizerRefusal(list.fieldByName(col::fertilizers::name)->asString(), use), MessageButtons::Ok);
        return;
    }
    if (!messages.confirmDelete(this))
        return;
    DataSet& content = data_.fertilizerContent;
    content.checkBrowseMode();
    const std::vector<DataSet*> rows = {&list, &content, &data_.components};
    AllOrNothing(connection, rows, [&] {
        DeleteFertilizerContent(connection, key);
        list.deleteRecord();
    });
    // The content sets show what the file now holds.
    ReloadDataSets({&content, &data_.components}, {});
}

void FertilizerDirectory::openConverter() {
    relay([this] { emit converterRequested(); });
}

void FertilizerDirectory::FormClose() {
    relay([this] { emit closing(); });
}

} // namespace solvane
