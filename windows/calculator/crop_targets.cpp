// SPDX-License-Identifier: GPL-3.0-or-later
// The calculator's crops and their target rows: the completion of a crop's
// target list, the zero-target rule and the rows added and deleted.

#include "windows/calculator/calculator_window.h"
#include "store/columns.h"

#include "controls/db_navigator.h"
#include "controls/handler_guard.h"
#include "controls/message_service.h"
#include "store/cascade.h"
#include "store/database.h"

namespace solvane {

namespace {

bool Editing(const DataSet& set) {
    return set.state() == DataSetState::Edit || set.state() == DataSetState::Insert;
}

} // namespace

// ---------------------------------------------------------------- crops and targets

void CalculatorWindow::cropPosted() {
    completeTargetList();
    rememberCrop();
}

void CalculatorWindow::cropClicked() {
    completeTargetList();
    rememberCrop();
}

// A crop with target rows or saved solutions goes with them, after its own
// question, in one transaction; one with neither after the standard question.
void CalculatorWindow::deleteCrop() {
    DataSet& crops = data_.crops;
    MessageService& messages = guard().messages();
    if (!crops.isActive())
        return;
    // What is being typed for the crop is stored (or dropped) before it is counted.
    for (DataSet* set : {&data_.savedLines, &data_.savedSolutions, &data_.targets})
        set->checkBrowseMode();
    const CropContents contents = crops.isEmpty() || crops.state() == DataSetState::Insert
                                      ? CropContents()
                                      : CropUsage(data_.connection(), calcFields_.cropKey->asLargeInt());
    if (!contents.any()) {
        if (messages.confirmDelete(this))
            crops.deleteRecord();
        return;
    }
    const long long key = calcFields_.cropKey->asLargeInt();
    const QString question = CropDeletionQuestion(crops.fieldByName(col::crops::name)->asString(), contents);
    if (messages.show(this, MessageKind::Confirmation, QStringLiteral("подтверждение"), question,
                      MessageButtons::YesNo) != MessageAnswer::Yes)
        return;
    Connection& connection = data_.connection();
    const std::vector<DataSet*> dependent = {&data_.targets, &data_.savedSolutions, &data_.savedLines};
    std::vector<DataSet*> sets = dependent;
    sets.push_back(&crops);
    AllOrNothing(connection, sets, [&] {
        DeleteCropTargetsAndSolutions(connection, key);
        crops.deleteRecord();
    });
    // The crop's rows leave the sets as they left the file; the crop now
    // current shows what its rows give.
    ReloadDataSets(dependent, {});
    rememberCrop();
    refreshResults();
}

// Gives the current crop a target row for every plain element it lacks. A row
// appended here has no target yet, so the zero-target rule deletes it again
// as it is posted, and the deletion runs the recipe; the recipe does not move
// the element set, so the walk goes on with the next element.
void CalculatorWindow::completeTargetList() {
    DataSet& elements = data_.elements;
    for (elements.first(); !elements.eof(); elements.next()) {
        if (elementOxide_->asBoolean())
            continue;
        const long long element = elementKey_->asLargeInt();
        bool present = false;
        if (!data_.targets.isEmpty()) {
            for (data_.targets.first(); !data_.targets.eof(); data_.targets.next()) {
                if (calcFields_.targetElement->asLargeInt() == element) {
                    present = true;
                    break;
                }
            }
        }
        if (present)
            continue;
        data_.targets.append();
        calcFields_.targetElement->setAsInteger(element);
        data_.targets.post();
    }
    if (Editing(data_.targets))
        data_.targets.post();
    data_.targets.close();
    data_.targets.open();
}

// The zero-target rule: a target row without a target does not stay. A
// target the file holds but that reads as empty (not a number) is not a
// missing one, and on a base that cannot be written nothing is removed.
bool CalculatorWindow::targetMissing() const {
    return calcFields_.vega->asFloat() == 0.0 && !calcFields_.vega->readAsEmpty() && data_.connection().writable();
}

void CalculatorWindow::targetPosted() {
    if (targetMissing())
        data_.targets.deleteRecord();
}

void CalculatorWindow::targetDeleted() {
    buildRecipe();
}

void CalculatorWindow::addTargetRow() {
    targetNavigator_->press(NavButton::Insert);
}

void CalculatorWindow::deleteTargetRow() {
    targetNavigator_->press(NavButton::Delete);
}

void CalculatorWindow::openAnalysis() {
    refreshResults();
    relay([this] { emit analysisRequested(); });
}

} // namespace solvane
