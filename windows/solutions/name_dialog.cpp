#include "windows/solutions/name_dialog.h"

#include "app/program.h"
#include "windows/calculator/calculator_form.h"
#include "controls/widget_building.h"
#include "core/number_text.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace solvane {

namespace {
constexpr int kEnterKey = 13;
constexpr int kEscapeKey = 27;
} // namespace

TForm5::TForm5(Program& program) : Form(program.guard(), QStringLiteral("Form5")), program_(program) {
    setWindowTitle(QStringLiteral("Введите название"));
    // A small sizeable tool window with only the close icon.
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    auto* layout = MakeColumn(this, 8, 8);
    Edit1 = MakeEdit(QStringLiteral("Edit1"), QStringLiteral("Введите название"), this);
    // No longer than the name field holds: a longer name could not be stored.
    Edit1->setMaxLength(program.Form4->T_HEAD_RAR.fieldByName(QStringLiteral("name_rar"))->size());
    Edit1->installEventFilter(this);
    layout->addWidget(Edit1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    Button1 = MakeButton(QStringLiteral("Button1"), QStringLiteral("Сохранить"), this);
    Button2 = MakeButton(QStringLiteral("Button2"), QStringLiteral("Отмена"), this);
    // Enter is the text box's own key; the buttons take no default role.
    Button1->setAutoDefault(false);
    Button2->setAutoDefault(false);
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    layout->addLayout(buttons);
    connectClick(Button1, [this] { Button1Click(); });
    connectClick(Button2, [this] { Button2Click(); });
    resize(300, 90);
}

TForm5::~TForm5() = default;

void TForm5::Button1Click() {
    const QString name = Edit1->text();
    if (program_.NameMode == 1)
        rename(name);
    else if (!name.isEmpty())
        saveNew(name);
    close();
}

void TForm5::Button2Click() {
    close();
}

bool TForm5::Edit1KeyDown(int key) {
    if (key == kEnterKey) {
        Button1Click();
        return true;
    }
    if (key == kEscapeKey) {
        Button2Click();
        return true;
    }
    return false;
}

bool TForm5::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Edit1 && event->type() == QEvent::KeyPress) {
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
        runGuarded([this, key, &handled] { handled = Edit1KeyDown(key); });
        return true;
    }
    return Form::eventFilter(watched, event);
}

// The current header takes the name; on an empty list the edit inserts a
// header for the current crop instead.
void TForm5::rename(const QString& name) {
    DataSet& headers = program_.Form4->T_HEAD_RAR;
    headers.edit();
    headers.fieldByName(QStringLiteral("name_rar"))->setAsString(name);
    headers.post();
}

// A header for the current crop with the strength of the moment, then one
// line per composition row with its amount per litre as composed.
void TForm5::saveNew(const QString& name) {
    TForm4& calculator = *program_.Form4;
    // Read before anything is appended, so that an unreadable strength
    // leaves no half-made header behind.
    const int strength = ParseInteger(calculator.Edit2->text());

    DataSet& headers = calculator.T_HEAD_RAR;
    headers.append();
    headers.fieldByName(QStringLiteral("name_rar"))->setAsString(name);
    headers.fieldByName(QStringLiteral("konc"))->setAsInteger(strength);
    headers.post();
    const QVariant header = headers.fieldByName(QStringLiteral("id_head_rar"))->value();

    DataSet& lines = calculator.T_save_rar;
    DataSet& composition = calculator.T_rachet;
    composition.checkBrowseMode();
    Field* const lineHeader = lines.fieldByName(QStringLiteral("id_head_rar"));
    Field* const lineFertilizer = lines.fieldByName(QStringLiteral("id_udobra"));
    Field* const lineAmount = lines.fieldByName(QStringLiteral("kol"));
    Field* const rowFertilizer = composition.fieldByName(QStringLiteral("id_udobra"));
    Field* const rowAmount = composition.fieldByName(QStringLiteral("kol"));
    for (composition.first(); !composition.eof(); composition.next()) {
        lines.append();
        lineHeader->setValue(header);
        lineFertilizer->setValue(rowFertilizer->value());
        lineAmount->setValue(rowAmount->value());
        lines.post();
    }
}

} // namespace solvane
