// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class QComboBox;
class QGridLayout;
class QLabel;
class QPushButton;

namespace solvane {

class Database;
class HandlerGuard;
class WorkingSolution;

// "Подбор:", "Вода:" and "Кислота:" above the fertilizer list and the
// composition: the fit with the message of the last one under it, the source
// water with the button to its profiles, the acid with its dose beside it.
// The fit and the acid chosen are stored here (an acid that gives no acidity
// is refused); the water chosen, and the profiles' window, it asks for by its
// signals, each emitted as a user action through the handler guard's relay.
class FitChoicePanel : public QWidget {
    Q_OBJECT
public:
    FitChoicePanel(HandlerGuard& guard, Database& data, const WorkingSolution& solution, QWidget* parent);

    // The fit and the water shown as chosen, the water among the base's
    // profiles, and "Кислота:" on the stored acid among the base's acids.
    void showChoice(int fit, const QVariant& water);
    // The acid is an amount fixed at its dose, which the classic fit does not know.
    void applyFit(int fit);
    // The last fit's message under "Подбор:", hidden while it has none.
    void showFitMessage(const QString& message);
    // The acid's dose beside "Кислота:".
    void showAcidDose(const QString& dose);

signals:
    void fitModeChosen(); // stored already
    void waterChosen(const QVariant& profile);
    void acidChosen(); // stored already
    void waterProfilesRequested();

private:
    void buildFitAndWater(QGridLayout* grid);
    void buildAcid(QGridLayout* grid);
    void showAcidChoice();
    void chooseFitMode();
    // An acid that gives no acidity is refused, and the choice stays.
    void chooseAcid();
    // Emits one of the panel's requests through the guard's relay.
    void request(void (FitChoicePanel::*signal)());
    // The user's change of a drop-down or the button's click, run as one action.

    HandlerGuard& guard_;
    Database& data_;
    const WorkingSolution& solution_;
    QComboBox* fitModeBox_ = nullptr;
    QLabel* fitMessage_ = nullptr; // "Укажите цену для: ...", "Допуски недостижимы для: ..."
    QComboBox* waterBox_ = nullptr;
    QPushButton* waterButton_ = nullptr;
    QComboBox* acidBox_ = nullptr;
    QLabel* acidDose_ = nullptr; // "0,1926 мл/л (19,26 мл на 100 л) — остаток HCO3 30,5 мг/л"
};

} // namespace solvane
