// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/solutions/solution_name_dialog.h"

#include "controls/widget_building.h"
#include "core/number_text.h"
#include "store/columns.h"
#include "model/working_solution.h"
#include "store/database.h"
#include "store/row_place.h"

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

SolutionNameDialog::SolutionNameDialog(Database& data, WorkingSolution& solution, HandlerGuard& guard)
    : Form(guard, QStringLiteral("Form5")), data_(data), solution_(solution) {
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

void SolutionNameDialog::supplyStrength(const QString& strengthText) {
    strengthText_ = strengthText;
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

// The current header takes the name; on an empty list a header for the
// current crop is made with it. Either is then the current one.
void SolutionNameDialog::rename(const QString& name) {
    DataSet& headers = data_.savedSolutions;
    headers.checkBrowseMode();
    const std::optional<long long> current =
        headers.isEmpty() ? std::nullopt
                          : std::optional<long long>(headers.fieldByName(col::solutions::key)->asLargeInt());
    showSolution(solution_.renameSolution(current, name));
}

// The composition saved under the name at the strength of the moment; the
// new solution becomes the current one, its lines listed.
void SolutionNameDialog::saveNew(const QString& name) {
    // Read before anything is stored, so that an unreadable strength leaves
    // no half-made solution behind.
    strengthText_ = QStringLiteral("100");
    relay([this] { emit newSolutionSaving(); });
    const int strength = ParseInteger(std::exchange(strengthText_, QString()));
    // What is being typed is stored first.
    data_.savedSolutions.checkBrowseMode();
    data_.composition.checkBrowseMode();
    showSolution(solution_.saveSolution(name, strength));
}

void SolutionNameDialog::showSolution(long long key) {
    RowPlace{key, 0}.returnTo(data_.savedSolutions, col::solutions::key);
}

} // namespace solvane
