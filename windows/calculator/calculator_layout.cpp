// SPDX-License-Identifier: GPL-3.0-or-later
// The calculator window's panes, controls and their wiring.

#include "windows/calculator/calculator_window.h"

#include "controls/db_grid.h"
#include "controls/db_navigator.h"
#include "controls/handler_guard.h"
#include "controls/hint_text.h"
#include "controls/splitter.h"
#include "controls/widget_building.h"
#include "core/field_limits.h"
#include "core/number_text.h"
#include "store/columns.h"
#include "store/database.h"
#include "windows/calculator/added_line_row.h"
#include "windows/calculator/crop_pane.h"
#include "windows/calculator/saved_solutions_pane.h"
#include "windows/directories/fertilizer_list.h"

#include <QAction>
#include <QComboBox>
#include <QEvent>
#include <QFont>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <QVBoxLayout>

namespace solvane {

namespace {

// A sum in a totals strip. The strips share a narrow pane: the sums take
// equal shares of the width they are given, apart by a gap, and a sum too
// wide for its share loses its leading blanks first.
QLabel* totalLabel(QLabel* sum) {
    sum->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    sum->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return sum;
}
constexpr int kTotalsGap = 4;

const QString kSplitterHint = QStringLiteral("Изменить размер");

// The search box is 65 pixels narrower than its strip.
constexpr int kSearchBoxMargin = 65;

} // namespace

void CalculatorWindow::buildLayout() {
    HandlerGuard& g = guard();
    auto* hints = new LineHintFilter(this);
    auto* outer = MakeColumn(this, 2, 0);

    // Left part | concentrations and crops.
    mainSplitter_ = MakeSplitter(g, QStringLiteral("RzSplitter1"), Qt::Horizontal, this);
    outer->addWidget(mainSplitter_);

    // Working area / saved solutions.
    leftSplitter_ = MakeSplitter(g, QStringLiteral("RzSplitter2"), Qt::Vertical, mainSplitter_);
    mainSplitter_->addWidget(leftSplitter_);

    // The working area: "Подбор:" and "Вода:" above the fertilizer list with
    // the button column | composition; the whole width shows their items whole.
    auto* workArea = MakePanel(QStringLiteral("PanelWork"), leftSplitter_);
    auto* workAreaLayout = MakeColumn(workArea, 0, 0);
    leftSplitter_->addWidget(workArea);
    buildFitChoice(workArea, workAreaLayout);
    workSplitter_ = MakeSplitter(g, QStringLiteral("RzSplitter4"), Qt::Horizontal, workArea);
    workAreaLayout->addWidget(workSplitter_, 1);

    // The panes are built in the order of the tab stops.
    buildFertilizerPane();
    buildCompositionPane();
    savedPane_ = new SavedSolutionsPane(g, data_, solution_, hints, leftSplitter_);
    leftSplitter_->addWidget(savedPane_);
    savedAmountColumn_ = savedPane_->amountColumn();
    litresAmountColumn_ = savedPane_->litresAmountColumn();
    buildConcentrationsPane();
    buildCropPane();

    // Every pane keeps the minimum its contents need (the grids their header
    // and three rows), so the window cannot be made smaller than that and no
    // bar can crush a pane.
    for (Splitter* s : {mainSplitter_, leftSplitter_, savedPane_->splitter(), workSplitter_, concentrationSplitter_})
        s->setHint(kSplitterHint);

    // Set up by installCalculation().
    recalculationTimer_ = new QTimer(this);
    recalculationTimer_->setObjectName(QStringLiteral("Timer1"));

    wireControls();
    resize(936, 738);
    applyInitialProportions();
}

// The fertilizer list with its search box and count, and the button column beside it.
void CalculatorWindow::buildFertilizerPane() {
    HandlerGuard& g = guard();
    auto* fertilizerSide = MakePanel(QStringLiteral("PanelFertilizers"), workSplitter_);
    auto* fertilizerSideLayout = MakeRow(fertilizerSide, 0, 2);
    workSplitter_->addWidget(fertilizerSide);

    auto* groupFertilizers =
        MakeGroup(QStringLiteral("GroupFertilizers"), QStringLiteral("Удобрения:"), fertilizerSide);
    fertilizerSideLayout->addWidget(groupFertilizers, 1);
    auto* fertilizerLayout = MakeColumn(groupFertilizers);

    searchStrip_ = MakePanel(QStringLiteral("PanelSearch"), groupFertilizers);
    searchStrip_->setFixedHeight(28);
    auto* searchLabel = MakeLabel(QStringLiteral("Label1"), QStringLiteral("Поиск:"), searchStrip_);
    searchLabel->setGeometry(6, 6, kFertilizerSearchBoxLeft - 8, 18);
    searchBox_ = MakeEdit(QStringLiteral("Edit1"), QStringLiteral("Поиск:"), searchStrip_);
    searchBox_->setToolTip(QStringLiteral("Название искомого удобрения"));
    searchBox_->setGeometry(kFertilizerSearchBoxLeft, 3, 120, 22);
    searchLabel->setBuddy(searchBox_);
    searchStrip_->installEventFilter(this);
    fertilizerLayout->addWidget(searchStrip_);

    fertilizerGrid_ = MakeGrid(g, QStringLiteral("dxDBGrid1"), &data_.fertilizersSource, groupFertilizers);
    DBGridColumn* names = fertilizerGrid_->addColumn(col::fertilizers::name, QStringLiteral("Названия"));
    names->setReadOnly(true);
    names->setSortMark(SortMark::Descending);
    fertilizerGrid_->setScrollBars(Qt::ScrollBarAsNeeded, Qt::ScrollBarAlwaysOff);
    fertilizerGrid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    fertilizerLayout->addWidget(fertilizerGrid_, 1);

    auto* countStrip = MakePanel(QStringLiteral("PanelCount"), groupFertilizers);
    auto* countLayout = MakeRow(countStrip, 2, 0);
    countLayout->addWidget(
        MakeLabel(QStringLiteral("Label7"), QStringLiteral("  Всего удобрений:   "), countStrip, true));
    fertilizerCount_ = MakeLabel(QStringLiteral("Label6"), QStringLiteral("0"), countStrip, true);
    countLayout->addWidget(fertilizerCount_);
    countLayout->addStretch(1);
    fertilizerLayout->addWidget(countStrip);

    // The button column.
    auto* buttons = MakePanel(QStringLiteral("PanelButtons"), fertilizerSide);
    auto* buttonLayout = MakeColumn(buttons, 2, 4);
    fertilizerSideLayout->addWidget(buttons);
    constexpr int kButtonWidth = 34;
    addButton_ =
        MakeHintedButton(QStringLiteral("Button1"), QStringLiteral(">"), QStringLiteral("Добавить в состав"), buttons);
    removeButton_ =
        MakeHintedButton(QStringLiteral("Button2"), QStringLiteral("<"), QStringLiteral("Удалить из состава"), buttons);
    elementsButton_ = MakeHintedButton(QStringLiteral("Button6"), QStringLiteral("E"),
                                       QStringLiteral("Справочник элементов"), buttons);
    fertilizersButton_ = MakeHintedButton(QStringLiteral("Button8"), QStringLiteral("U"),
                                          QStringLiteral("Справочник удобрений"), buttons);
    optionsButton_ = MakeHintedButton(QStringLiteral("Button7"), QStringLiteral("O"), QStringLiteral("Опции"), buttons);
    clearButton_ = MakeHintedButton(QStringLiteral("Button3"), QStringLiteral("X"),
                                    QStringLiteral("Очистить весь состав"), buttons);
    optionsButton_->setEnabled(false);
    for (QPushButton* b :
         {addButton_, removeButton_, elementsButton_, fertilizersButton_, optionsButton_, clearButton_})
        b->setFixedWidth(kButtonWidth);
    addButton_->setMinimumHeight(60);
    removeButton_->setMinimumHeight(60);
    buttonLayout->addSpacing(14);
    buttonLayout->addWidget(addButton_);
    buttonLayout->addWidget(removeButton_);
    buttonLayout->addStretch(1);
    buttonLayout->addWidget(elementsButton_);
    buttonLayout->addWidget(fertilizersButton_);
    buttonLayout->addWidget(optionsButton_);
    buttonLayout->addStretch(1);
    buttonLayout->addWidget(clearButton_);
}

// The working composition with its menu, the acid's line and "Сохранить".
void CalculatorWindow::buildCompositionPane() {
    HandlerGuard& g = guard();
    auto* groupComposition =
        MakeGroup(QStringLiteral("GroupComposition"), QStringLiteral("Состав раствора:"), workSplitter_);
    workSplitter_->addWidget(groupComposition);
    auto* compositionLayout = MakeColumn(groupComposition);
    compositionGrid_ = MakeGrid(g, QStringLiteral("dxDBGrid2"), &data_.compositionSource, groupComposition);
    compositionGrid_->setRowSelect(true);
    compositionGrid_->setScrollBars(Qt::ScrollBarAlwaysOff, Qt::ScrollBarAlwaysOff);
    compositionGrid_->addColumn(col::lines::name, QStringLiteral("Наименование"))->setReadOnly(true);
    amountColumn_ = compositionGrid_->addColumn(col::lines::amount, QStringLiteral("Кол-во г./л."));
    amountColumn_->setSpin(0.01, FieldLimits::Amount());
    // The recipe gives a negative amount to a fertilizer the solution does
    // not need: it stands out.
    amountColumn_->setNegativeColour(Qt::red);
    // The limits of each amount for the grower's fit, in g/l; empty: none.
    minimumColumn_ = compositionGrid_->addColumn(col::lines::minimum, QStringLiteral("Мин"));
    maximumColumn_ = compositionGrid_->addColumn(col::lines::maximum, QStringLiteral("Макс"));
    for (DBGridColumn* limit : {minimumColumn_, maximumColumn_}) {
        limit->setSpin(0.01, FieldLimits::Amount());
        limit->setWidth(40);
    }
    // A liquid's amount in ml; empty for a solid.
    millilitresColumn_ = compositionGrid_->addColumn(col::lines::millilitres, QStringLiteral("мл/л"));
    millilitresColumn_->setReadOnly(true);
    millilitresColumn_->setWidth(54);
    millilitresColumn_->setSignificantDigits(4);
    millilitresColumn_->setVisible(false);
    minimumColumn_->onValidate = [this](const QVariant& value) { return amountLimitRefusal(value, true); };
    maximumColumn_->onValidate = [this](const QVariant& value) { return amountLimitRefusal(value, false); };
    // Without scroll bars every column must stay in sight: the name takes
    // what the figures leave.
    amountColumn_->setWidth(74);
    compositionGrid_->horizontalHeader()->setStretchLastSection(false);
    compositionGrid_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    compositionMenu_ = MakeMenu(QStringLiteral("PopupMenu2"), this);
    removeItem_ = MakeMenuItem(compositionMenu_, QStringLiteral("N7"), QStringLiteral("Удалить"));
    addItem_ = MakeMenuItem(compositionMenu_, QStringLiteral("N8"), QStringLiteral("Добавить"));
    compositionStockItem_ =
        MakeMenuItem(compositionMenu_, QStringLiteral("N11"), QStringLiteral("Маточные растворы..."));
    compositionGrid_->setContextMenu(compositionMenu_);
    compositionLayout->addWidget(compositionGrid_, 1);
    // The acid's line, which the program adds and sets, under the stored ones.
    acidLineRow_ = new AddedLineRow(*compositionGrid_, QStringLiteral("AcidLineRow"), groupComposition);
    acidLineRow_->setAccessibleName(QStringLiteral("Кислота в составе"));
    compositionLayout->addWidget(acidLineRow_);

    auto* compositionButtons = MakePanel(QStringLiteral("PanelSave"), groupComposition);
    auto* compositionButtonLayout = MakeRow(compositionButtons, 0, 4);
    saveButton_ = MakeButton(QStringLiteral("Button5"), QStringLiteral("Сохранить"), compositionButtons);
    calculateButton_ = MakeButton(QStringLiteral("Button4"), QStringLiteral("Рассчитать >>"), compositionButtons);
    recipeButton_ = MakeButton(QStringLiteral("Button10"), QStringLiteral("?"), compositionButtons);
    calculateButton_->hide();
    recipeButton_->hide();
    compositionButtonLayout->addWidget(saveButton_);
    compositionButtonLayout->addWidget(calculateButton_);
    compositionButtonLayout->addWidget(recipeButton_);
    compositionButtonLayout->addStretch(1);
    compositionLayout->addWidget(compositionButtons);
}

// The current crop's targets with what the composition gives, its menu and
// navigator, over the totals strips and the EC and cost row.
void CalculatorWindow::buildConcentrationsPane() {
    HandlerGuard& g = guard();
    auto* groupConcentrations = MakeGroup(QStringLiteral("GroupConcentrations"),
                                          QStringLiteral("Концентрация элементов: мг/л."), mainSplitter_);
    mainSplitter_->addWidget(groupConcentrations);
    auto* concentrationsLayout = MakeColumn(groupConcentrations, 2, 0);
    concentrationSplitter_ = MakeSplitter(g, QStringLiteral("RzSplitter5"), Qt::Vertical, groupConcentrations);
    concentrationsLayout->addWidget(concentrationSplitter_);

    auto* upper = MakePanel(QStringLiteral("PanelConcentrations"), concentrationSplitter_);
    auto* upperLayout = MakeColumn(upper, 2, 2);
    concentrationSplitter_->addWidget(upper);
    targetGrid_ = MakeGrid(g, QStringLiteral("dxDBGrid3"), &data_.targetsSource, upper);
    // The weight and the water's share may not fit beside the three
    // columns in a narrow pane: then the grid scrolls sideways.
    targetGrid_->setScrollBars(Qt::ScrollBarAsNeeded, Qt::ScrollBarAsNeeded);
    elementColumn_ = targetGrid_->addColumn(col::targets::elementName, QStringLiteral("Элемент"));
    elementColumn_->setLookup(&data_.elementsSource, col::elements::key, col::elements::shortName,
                              col::targets::element, 8);
    targetColumn_ = targetGrid_->addColumn(col::targets::vega, QStringLiteral("Необходимость (Введите)"));
    targetColumn_->setSpin(1, FieldLimits::Target());
    resultColumn_ = targetGrid_->addColumn(col::targets::result, QStringLiteral("Расчёт"));
    resultColumn_->setReadOnly(true);
    // The grower's fit weighs each row; the source water's share is shown
    // while a water is counted. Neither goes into the spreadsheet.
    weightColumn_ = targetGrid_->addColumn(col::targets::weight, QStringLiteral("Вес"));
    weightColumn_->setSpin(0.1, FieldLimits::Weight());
    weightColumn_->setWidth(34);
    weightColumn_->setExported(false);
    // How far the cheapest fit may let each row stray, in % of its target.
    toleranceColumn_ = targetGrid_->addColumn(col::targets::tolerance, QStringLiteral("Допуск, %"));
    toleranceColumn_->setSpin(1, FieldLimits::Tolerance());
    toleranceColumn_->setWidth(60);
    toleranceColumn_->setExported(false);
    toleranceColumn_->setVisible(false);
    waterColumn_ = targetGrid_->addColumn(col::targets::water, QStringLiteral("Вода"));
    waterColumn_->setReadOnly(true);
    waterColumn_->setWidth(48);
    waterColumn_->setExported(false);
    waterColumn_->setVisible(false);
    elementColumn_->setWidth(54);
    // The short names stay readable ("N-NH4"): with the weight, the tolerance
    // and the water beside them the grid scrolls sideways instead.
    elementColumn_->setNarrowest(54);
    targetColumn_->setWidth(166);
    resultColumn_->setWidth(68);
    targetMenu_ = MakeMenu(QStringLiteral("PopupMenu1"), this);
    addTargetItem_ = MakeMenuItem(targetMenu_, QStringLiteral("N9"), QStringLiteral("Добавить"));
    deleteTargetItem_ = MakeMenuItem(targetMenu_, QStringLiteral("N10"), QStringLiteral("Удалить"));
    analysisItem_ = MakeMenuItem(targetMenu_, QStringLiteral("N13"), QStringLiteral("Анализ раствора..."));
    targetGrid_->setContextMenu(targetMenu_);
    upperLayout->addWidget(targetGrid_, 1);

    targetNavigator_ = MakeNavigator(g, QStringLiteral("DBNavigator1"), &data_.targetsSource,
                                     {NavButton::Insert, NavButton::Delete, NavButton::Post}, upper);
    upperLayout->addWidget(targetNavigator_);
    buildTotalsStrips(upper, upperLayout);
}

// The PPM and mg/l strips and the row of the EC, "Под EC" and the cost.
void CalculatorWindow::buildTotalsStrips(QWidget* upper, QVBoxLayout* upperLayout) {
    ppmStrip_ = MakePanel(QStringLiteral("PanelPpm"), upper);
    auto* ppmLayout = MakeRow(ppmStrip_, 2, kTotalsGap);
    QLabel* ppmCaption =
        MakeLabel(QStringLiteral("Label12"), QStringLiteral(" Общее кол-во солей (PPM):  "), ppmStrip_);
    ppmCaption->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    ppmLayout->addWidget(ppmCaption);
    ppmTotal_ = MakeLabel(QStringLiteral("Label10"), QStringLiteral("   0"), ppmStrip_);
    ppmTotalAtStrength_ = MakeLabel(QStringLiteral("Label11"), QStringLiteral("   0"), ppmStrip_);
    for (QLabel* l : {ppmTotal_, ppmTotalAtStrength_})
        ppmLayout->addWidget(totalLabel(l), 1);
    ppmStrip_->hide();
    upperLayout->addWidget(ppmStrip_);

    mglStrip_ = MakePanel(QStringLiteral("PanelMgl"), upper);
    // Four sums beside the caption would not fit in the pane: they get the
    // line under it.
    auto* mglLayout = MakeColumn(mglStrip_, 2, 0);
    QLabel* mglCaption =
        MakeLabel(QStringLiteral("Label8"), QStringLiteral(" Общее кол-во солей (мг./л.):  "), mglStrip_);
    mglLayout->addWidget(mglCaption);
    auto* mglSums = new QHBoxLayout;
    mglSums->setSpacing(kTotalsGap);
    mglLayout->addLayout(mglSums);
    resultsTotal_ = MakeLabel(QStringLiteral("Label4"), QStringLiteral("   0"), mglStrip_);
    resultsTotalAtStrength_ = MakeLabel(QStringLiteral("Label13"), QStringLiteral("   0"), mglStrip_);
    targetsTotal_ = MakeLabel(QStringLiteral("Label5"), QStringLiteral("   0"), mglStrip_);
    floweringTotal_ = MakeLabel(QStringLiteral("Label9"), QStringLiteral("   0"), mglStrip_);
    for (QLabel* l : {resultsTotal_, resultsTotalAtStrength_, targetsTotal_, floweringTotal_})
        mglSums->addWidget(totalLabel(l), 1);
    mglStrip_->hide();
    upperLayout->addWidget(mglStrip_);
    // What a meter should read and what the tank costs, after every recipe
    // and calculation.
    auto* figuresRow = new QHBoxLayout;
    figuresRow->setContentsMargins(4, 0, 4, 0);
    ecLabel_ = MakeLabel(QStringLiteral("EcLabel"), QString(), upper, true);
    ecFitButton_ = MakeButton(QStringLiteral("EcFitButton"), QStringLiteral("Под EC"), upper);
    ecFitButton_->setToolTip(QStringLiteral("Умножить цели культуры на один множитель так, чтобы EC раствора стала "
                                            "EC культуры"));
    ecFitButton_->setEnabled(false);
    ecFitButton_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    connectClick(ecFitButton_, [this] { fitTargetsToCropEc(); });
    costLabel_ = MakeLabel(QStringLiteral("CostLabel"), QString(), upper);
    costLabel_->setWordWrap(true);
    costLabel_->hide();
    ecLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    costLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    figuresRow->addWidget(ecLabel_);
    figuresRow->addWidget(ecFitButton_);
    figuresRow->addWidget(costLabel_, 1);
    figuresRow->addStretch(0);
    upperLayout->addLayout(figuresRow);
    // The strips sit in the narrow right half: one point smaller than the
    // window's text, so that they take little of it.
    for (QWidget* strip : {ppmStrip_, mglStrip_}) {
        QFont f = strip->font();
        if (f.pointSizeF() > 7)
            f.setPointSizeF(f.pointSizeF() - 1);
        strip->setFont(f);
    }
}

// The crops under the strength. The calculator keeps the widgets its
// handlers read; the crops' delete is its own.
void CalculatorWindow::buildCropPane() {
    cropPane_ = new CropPane(guard(), data_.cropsSource, concentrationSplitter_);
    concentrationSplitter_->addWidget(cropPane_);
    cropPane_->deleteNavigator()->deleteAction = [this] { deleteCrop(); };
    strengthGroup_ = cropPane_->strengthGroup();
    strengthSlider_ = cropPane_->strengthSlider();
    strengthBox_ = cropPane_->strengthBox();
    cropGrid_ = cropPane_->grid();
}

void CalculatorWindow::wireControls() {
    connectClick(addButton_, [this] { addToComposition(); });
    connectClick(removeButton_, [this] { removeFromComposition(); });
    connectClick(clearButton_, [this] { clearComposition(); });
    connectClick(calculateButton_, [this] { calculate(); });
    connectClick(saveButton_, [this] { saveComposition(); });
    connectClick(elementsButton_, [this] { openElementDirectory(); });
    connectClick(fertilizersButton_, [this] { openFertilizerDirectory(); });
    connectClick(recipeButton_, [this] { buildRecipe(); });
    const auto onMenu = [this](QAction* action, void (CalculatorWindow::*handler)()) {
        connect(action, &QAction::triggered, this,
                [this, handler] { runGuarded([this, handler] { (this->*handler)(); }); });
    };
    onMenu(removeItem_, &CalculatorWindow::removeFromComposition);
    onMenu(addItem_, &CalculatorWindow::addToComposition);
    onMenu(addTargetItem_, &CalculatorWindow::addTargetRow);
    onMenu(deleteTargetItem_, &CalculatorWindow::deleteTargetRow);
    onMenu(compositionStockItem_, &CalculatorWindow::openStockSolutionsOfComposition);
    onMenu(analysisItem_, &CalculatorWindow::openAnalysis);
    connect(recalculationTimer_, &QTimer::timeout, this, [this] { runGuarded([this] { recalculationDue(); }); });
    connect(searchBox_, &QLineEdit::textChanged, this, [this] { runGuarded([this] { searchTextChanged(); }); });
    connect(strengthBox_, &QLineEdit::textChanged, this, [this] { runGuarded([this] { strengthTextChanged(); }); });
    connect(strengthSlider_, &QSlider::valueChanged, this, [this] { runGuarded([this] { strengthSliderMoved(); }); });

    // The controls run these as user actions themselves.
    fertilizerGrid_->onClick = [this] { fertilizerListClicked(); };
    fertilizerGrid_->onDblClick = [this] { addToComposition(); };
    fertilizerGrid_->onColumnClick = [this](int) { fertilizerHeaderClicked(); };
    // Typing a target or an amount arms the recalculation.
    amountColumn_->onChange = [this] { armRecalculation(); };
    targetColumn_->onChange = [this] { armRecalculation(); };
    // An edit of a weight, a tolerance or a limit refits, as an amount's does.
    for (DBGridColumn* column : {weightColumn_, toleranceColumn_, minimumColumn_, maximumColumn_})
        column->onChange = [this] { armRecalculation(); };
    connect(fitModeBox_, &QComboBox::activated, this,
            [this] { runGuarded([this] { chooseFitMode(fitModeBox_->currentData().toInt()); }); });
    connect(waterBox_, &QComboBox::activated, this,
            [this] { runGuarded([this] { chooseWater(waterBox_->currentData()); }); });
    connect(acidBox_, &QComboBox::activated, this,
            [this] { runGuarded([this] { chooseAcid(acidBox_->currentData()); }); });
    connectClick(waterButton_, [this] { relay([this] { emit waterProfilesRequested(); }); });
    compositionGrid_->onEditorClosed = [this] { cellEditorClosed(); };
    targetGrid_->onEditorClosed = [this] { cellEditorClosed(); };
    // What the saved solutions' pane asks for, inside the action it runs.
    const auto answer = [this](void (SavedSolutionsPane::*request)(), std::function<void()> handler) {
        connect(savedPane_, request, this, [this, handler = std::move(handler)] { guard().carry(handler); });
    };
    answer(&SavedSolutionsPane::calculationRequested, [this] { calculateSavedSolution(); });
    answer(&SavedSolutionsPane::exportRequested, [this] { savedPane_->exportToSpreadsheets(*targetGrid_); });
    answer(&SavedSolutionsPane::stockSolutionsRequested, [this] {
        refreshResults();
        relay([this] { emit stockSolutionsRequested(true); });
    });
    connect(savedPane_, &SavedSolutionsPane::renameRequested, this, &CalculatorWindow::renameRequested);
    cropGrid_->onClick = [this] { cropClicked(); };
    workSplitter_->onChange = [this] { applySearchBoxWidth(); };
}

void CalculatorWindow::wireDataSets() {
    lineFertilizer_ = data_.composition.fieldByName(col::lines::fertilizer);
    DataSet& fertilizers = data_.fertilizers;
    listKey_ = fertilizers.fieldByName(col::fertilizers::key);
    listName_ = fertilizers.fieldByName(col::fertilizers::name);
    DataSet& elements = data_.elements;
    elementKey_ = elements.fieldByName(col::elements::key);
    elementOxide_ = elements.fieldByName(col::elements::oxide);
    contentName_ = data_.fertilizerContent.fieldByName(col::content::elementName);
    contentPercent_ = data_.fertilizerContent.fieldByName(col::content::percent);

    data_.crops.afterPost = [this](DataSet&) { cropPosted(); };
    data_.targets.afterPost = [this](DataSet&) { targetPosted(); };
    data_.targets.afterDelete = [this](DataSet&) { targetDeleted(); };
}

// The default proportions of the panes, before any stored geometry is
// applied. The window is not shown yet, so each level is laid out here to
// learn the size of the splitter it holds; the splitters keep the position
// and apply it again when they are first shown.
void CalculatorWindow::applyInitialProportions() {
    const auto layOut = [](QWidget* container) {
        if (container->layout())
            container->layout()->activate();
    };
    const auto place = [](Splitter* splitter, int first) {
        const int extent = splitter->orientation() == Qt::Horizontal ? splitter->width() : splitter->height();
        splitter->setSizes({first, std::max(0, extent - first - splitter->handleWidth())});
        splitter->setPosition(first);
    };
    const auto share = [](Splitter* splitter, double fraction) {
        const int extent = splitter->orientation() == Qt::Horizontal ? splitter->width() : splitter->height();
        return static_cast<int>(extent * fraction + 0.5);
    };
    layOut(this);
    place(mainSplitter_, share(mainSplitter_, 0.51));
    place(leftSplitter_, share(leftSplitter_, 0.62));
    layOut(workSplitter_->parentWidget());
    place(workSplitter_, share(workSplitter_, 0.60));
    layOut(concentrationSplitter_->parentWidget());
    place(concentrationSplitter_, share(concentrationSplitter_, 0.82));
    layOut(savedPane_);
    place(savedPane_->splitter(), 240);
}

bool CalculatorWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == searchStrip_ && event->type() == QEvent::Resize)
        applySearchBoxWidth();
    return Form::eventFilter(watched, event);
}

void CalculatorWindow::applySearchBoxWidth() {
    searchBox_->setGeometry(kFertilizerSearchBoxLeft, searchBox_->y(),
                            std::max(0, searchStrip_->width() - kSearchBoxMargin), searchBox_->height());
}

} // namespace solvane
