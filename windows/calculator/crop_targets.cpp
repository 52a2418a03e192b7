// SPDX-License-Identifier: GPL-3.0-or-later
// The calculator's crops and their target rows: the completion of a crop's
// target list, the zero-target rule and the rows added and deleted.

#include "windows/calculator/calculator_window.h"
#include "store/columns.h"

#include "controls/handler_guard.h"
#include "controls/message_service.h"
#include "store/cascade.h"
#include "store/database.h"

namespace solvane {

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
                                      : CropUsage(data_.connection(), cropKey_->asLargeInt());
    if (!contents.any()) {
        if (messages.confirmDelete(this))
            crops.deleteRecord();
        return;
    }
    const long long key = cropKey_->asLargeInt();
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

// Gives the current crop a target row for every plain element it lacks; such
// a row has no target, so the zero-target rule removes it again, and the
// recipe runs once over what is left.
void CalculatorWindow::completeTargetList() {
    data_.targets.checkBrowseMode();
    if (solution_.completeTargets())
        buildRecipe();
    data_.targets.close();
    data_.targets.open();
}

// A target row the grower stored (by the navigator, or by leaving the row or
// the grid): one without a target goes at once, and the amounts are fitted
// again without it.
void CalculatorWindow::targetPosted() {
    if (solution_.removeMissingTargets())
        buildRecipe();
}

// The navigator's delete, the grower having agreed: the row goes and the
// recipe runs again; a new row not yet stored is only dropped.
void CalculatorWindow::deleteTarget() {
    DataSet& targets = data_.targets;
    const bool stored = targets.isActive() && !targets.isEmpty() && targets.state() != DataSetState::Insert;
    targets.deleteRecord();
    if (stored)
        buildRecipe();
}

} // namespace solvane
