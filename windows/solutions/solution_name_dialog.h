// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "controls/form.h"

class QLineEdit;

namespace solvane {

class Database;
class WorkingSolution;

// The name dialog "Введите название": a small tool window, shown without
// blocking the calculator, that saves the working composition as a new
// saved solution or renames the current one. Closing it only hides it.
class SolutionNameDialog : public Form {
    Q_OBJECT
public:
    // What "Сохранить" does: save the composition as a new solution, or
    // rename the current saved solution.
    enum class Mode { NewSolution, Rename };

    SolutionNameDialog(Database& data, WorkingSolution& solution, HandlerGuard& guard);
    ~SolutionNameDialog() override;

    // The strength percentage, as the calculator's strength box holds it,
    // that a new solution is saved with: asked for by newSolutionSaving()
    // when "Сохранить" saves, not when the dialog opens, since the dialog
    // does not block the calculator, whose strength may change while a name
    // is typed. Without a receiver a solution is saved at 100 %.
    void supplyStrength(const QString& strengthText);

    Mode mode() const { return mode_; }
    // Back to saving new solutions (the launcher does it each time it is shown).
    void resetMode() { mode_ = Mode::NewSolution; }
    // Shows the dialog to save the composition, the box empty.
    void askForNewSolution();
    // Shows the dialog to rename the current saved solution, its whole name
    // in the box selected.
    void askForNewName(const QString& currentName);

    // "Сохранить": saves or renames by the mode, then closes. An error stops
    // it with the dialog still open; what was posted until then stays stored.
    void save();
    // "Отмена"
    void cancel();
    // Enter acts as "Сохранить", Escape as "Отмена"; returns whether the key was one of them.
    bool nameKeyPressed(int key);

signals:
    // A new solution is being saved, before anything is appended: the
    // receiver supplies the strength (supplyStrength).
    void newSolutionSaving();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void saveNew(const QString& name);
    void rename(const QString& name);
    // The saved solution with the key becomes the current one.
    void showSolution(long long key);

    Database& data_;
    WorkingSolution& solution_;
    QString strengthText_;
    Mode mode_ = Mode::NewSolution;
    QLineEdit* nameBox_ = nullptr;
};

} // namespace solvane
