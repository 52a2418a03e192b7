// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/solutions/solution_name_dialog.h"

#include "controls/widget_building.h"
#include "core/number_text.h"
#include "store/columns.h"
#include "store/database.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <utility>

namespace solvane {

namespace {
constexpr int kEnterKey = 13;
constexpr int kEscapeKey = 27;
} // namespace

SolutionNameDialog::SolutionNameDialog(Database& data, HandlerGuard& guard)
    : Form(guard, QStringLiteral("Form5")), data_(data) {
    setWindowTitle(QStringLiteral("Введите название"));
    // A small sizeable tool window with only the close icon.
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    auto* layout = MakeColumn(this, 8, 8);
    nameBox_ = MakeEdit(QStringLiteral("Edit1"), QStringLiteral("Введите название"), this);
    // No longer than the name field holds: a longer name could not be stored.
    nameBox_->setMaxLength(data_.savedSolutions.fieldByName(col::solutions::name)->size());
    nameBox_->installEventFilter(this);
    layout->addWidget(nameBox_);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    QPushButton* saveButton = MakeButton(QStringLiteral("Button1"), QStringLiteral("Сохранить"), this);
    QPushButton* cancelButton = MakeButton(QStringLiteral("Button2"), QStringLiteral("Отмена"), this);
    // Enter is the text box's own key; the buttons take no default role.
    saveButton->setAutoDefault(false);
    cancelButton->setAutoDefault(false);
    buttons->addWidget(saveButton);
    buttons->addWidget(cancelButton);
    layout->addLayout(buttons);
    connectClick(saveButton, [this] { save(); });
    connectClick(cancelButton, [this] { cancel(); });
    resize(300, 90);
}

SolutionNameDialog::~SolutionNameDialog() = default;

void SolutionNameDialog::supplySavedWith(SavedWith with) {
    savedWith_ = std::move(with);
}

// A new solution starts from an empty name; a rename shows the name, all of
// it selected, so that typing replaces it.
void SolutionNameDialog::askForNewSolution() {
    mode_ = Mode::NewSolution;
    nameBox_->clear();
    showWindow();
    nameBox_->setFocus();
}

void SolutionNameDialog::askForNewName(const QString& currentName) {
    mode_ = Mode::Rename;
    showWindow();
    nameBox_->setText(currentName);
    nameBox_->selectAll();
    nameBox_->setFocus();
}

void SolutionNameDialog::save() {
    const QString name = nameBox_->text();
    if (mode_ == Mode::Rename)
        rename(name);
    else if (!name.isEmpty())
        saveNew(name);
    close();
}

void SolutionNameDialog::cancel() {
    close();
}

bool SolutionNameDialog::nameKeyPressed(int key) {
    if (key == kEnterKey) {
        save();
        return true;
    }
    if (key == kEscapeKey) {
        cancel();
        return true;
    }
    return false;
}

bool SolutionNameDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == nameBox_ && event->type() == QEvent::KeyPress) {
        const auto* keyEvent = static_cast<QKeyEvent*>(event);
        int key = 0;
        switch (keyEvent->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            key = kEnterKey;
            break;
        case Qt::Key_Escape:
            key = kEscapeKey;
            break;
        default:
            return Form::eventFilter(watched, event);
        }
        bool handled = false;
        runGuarded([this, key, &handled] { handled = nameKeyPressed(key); });
        return true;
    }
    return Form::eventFilter(watched, event);
}

// The current header takes the name; on an empty list the edit inserts a
// header for the current crop instead.
void SolutionNameDialog::rename(const QString& name) {
    DataSet& headers = data_.savedSolutions;
    headers.edit();
    headers.fieldByName(col::solutions::name)->setAsString(name);
    headers.post();
}

// A header for the current crop with the strength of the moment, then one
// line per composition row with its amount per litre as composed.
void SolutionNameDialog::saveNew(const QString& name) {
    // Read before anything is appended, so that an unreadable strength
    // leaves no half-made header behind.
    savedWith_ = SavedWith{QStringLiteral("100"), {}};
    relay([this] { emit newSolutionSaving(); });
    const SavedWith with = std::exchange(savedWith_, SavedWith{});
    const int strength = ParseInteger(with.strengthText);

    DataSet& headers = data_.savedSolutions;
    headers.append();
    headers.fieldByName(col::solutions::name)->setAsString(name);
    headers.fieldByName(col::solutions::strength)->setAsInteger(strength);
    headers.post();
    const QVariant header = headers.fieldByName(col::solutions::key)->value();

    DataSet& lines = data_.savedLines;
    DataSet& composition = data_.composition;
    composition.checkBrowseMode();
    Field* const lineHeader = lines.fieldByName(col::savedLines::solution);
    Field* const lineFertilizer = lines.fieldByName(col::savedLines::fertilizer);
    Field* const lineAmount = lines.fieldByName(col::savedLines::amount);
    Field* const rowFertilizer = composition.fieldByName(col::lines::fertilizer);
    Field* const rowAmount = composition.fieldByName(col::lines::amount);
    for (composition.first(); !composition.eof(); composition.next()) {
        lines.append();
        lineHeader->setValue(header);
        lineFertilizer->setValue(rowFertilizer->value());
        lineAmount->setValue(rowAmount->value());
        lines.post();
    }
    // The acid's line is saved as an ordinary line.
    for (const LineRecord& added : with.addedLines) {
        lines.append();
        lineHeader->setValue(header);
        lineFertilizer->setValue(added.fertilizer ? QVariant(*added.fertilizer) : QVariant());
        lineAmount->setValue(added.amount.value_or(0.0));
        lines.post();
    }
}

} // namespace solvane
