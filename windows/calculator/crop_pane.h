// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QGroupBox>

class QColor;
class QLineEdit;
class QSlider;
class QVBoxLayout;

namespace solvane {

class Database;
class DataSource;
class DBGrid;
class DBNavigator;
class HandlerGuard;
class WorkingSolution;

// The calculator's "Культура:" pane: the crops' grid with its navigators,
// under "Концентрация: 100%", the strength's slider and percentage box,
// which are built hidden. The slider and the box show one strength; the
// pane tells the calculator of every change. A crop the grower clicks or
// stores gets its full target list from the working solution and becomes
// the crop in use; the crops' delete takes the crop's rows with it.
class CropPane : public QGroupBox {
    Q_OBJECT
public:
    CropPane(HandlerGuard& guard, Database& data, WorkingSolution& solution, QWidget* parent);

    // The strength percentage, and its box's text.
    int strength() const;
    QString strengthText() const;
    // The options' maximum strength, with the slider's own rule: a maximum
    // not above the minimum is ignored, and a strength above it comes down.
    void setStrengthMaximum(int maximum);
    // The background of the slider and of the panel around the percentage box.
    void setStrengthColour(const QColor& colour);

    // A crop the grower chose or stored: its target list is completed, and
    // it is remembered as the crop in use.
    void cropPosted();

    DBGrid* grid() const { return grid_; }
    // The column of the three navigators, shown with the grid.
    QWidget* navigators() const;
    // The navigator whose button deletes the current crop.
    DBNavigator* deleteNavigator() const { return deleteNavigator_; }
    // The navigator whose button stores the crop being typed.
    DBNavigator* postNavigator() const { return postNavigator_; }

signals:
    // The strength was moved or typed; emitted through the handler guard's relay.
    void strengthChanged(int percent);

private:
    void buildStrength(QVBoxLayout* layout);
    void buildCrops(QVBoxLayout* layout);
    // The crops' delete: the crop with its target rows and saved solutions.
    void deleteCrop();
    void strengthSliderMoved();
    void strengthTextChanged();
    // The group's caption shows the strength, and the calculator learns it.
    void announceStrength(int percent);
    // The user's change of a strength widget, run as one action.
    void runAction(void (CropPane::*handler)());

    HandlerGuard& guard_;
    Database& data_;
    WorkingSolution& solution_;
    // "Концентрация: 100%"
    QGroupBox* strengthGroup_ = nullptr;
    QSlider* strengthSlider_ = nullptr;
    QLineEdit* strengthBox_ = nullptr;
    // The crops' row.
    DBGrid* grid_ = nullptr;
    DBNavigator* deleteNavigator_ = nullptr;
    DBNavigator* postNavigator_ = nullptr;
};

} // namespace solvane
