#include "app/launcher_form.h"

#include "app/program.h"
#include "windows/calculator/calculator_form.h"
#include "controls/widget_building.h"
#include "windows/directories/element_form.h"
#include "windows/directories/fertilizer_form.h"
#include "windows/settings/options.h"
#include "windows/settings/window_sizes.h"

#include <QPushButton>
#include <QScopeGuard>
#include <QTimer>
#include <QVBoxLayout>

namespace solvane {

namespace {
QPushButton* launcherButton(QWidget* parent, const QString& name, const QString& caption, const QColor& colour) {
    QPushButton* b = MakeButton(name, caption, parent, true);
    QPalette p = b->palette();
    p.setColor(QPalette::ButtonText, colour);
    b->setPalette(p);
    b->setMinimumHeight(34);
    return b;
}
} // namespace

TForm1::TForm1(Program& program) : Form(program.guard(), QStringLiteral("Form1")), program_(program) {
    setWindowTitle(QStringLiteral("Solvane v1.2"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    RzButton3 = launcherButton(this, QStringLiteral("RzButton3"), QStringLiteral("Элементы"), QColor(128, 0, 128));
    RzButton1 = launcherButton(this, QStringLiteral("RzButton1"), QStringLiteral("Удобрения"), QColor(0, 0, 128));
    RzButton2 = launcherButton(this, QStringLiteral("RzButton2"), QStringLiteral("Калькулятор"), QColor(0, 128, 128));
    auto* layout = MakeColumn(this, 12, 8);
    layout->addWidget(RzButton3);
    layout->addWidget(RzButton1);
    layout->addWidget(RzButton2);
    setTabOrder(RzButton1, RzButton2);
    setTabOrder(RzButton2, RzButton3);
    RzButton1->setFocus();
    setFixedSize(220, 150);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(100);
    connect(Timer1, &QTimer::timeout, this, [this] { runGuarded([this] { Timer1Timer(); }); });

    connectClick(RzButton3, [this] { RzButton3Click(); });
    connectClick(RzButton1, [this] { RzButton1Click(); });
    connectClick(RzButton2, [this] { RzButton2Click(); });

    // The connection opens with the launcher, before any other window exists.
    ADOConnection1.open();
}

TForm1::~TForm1() = default;

void TForm1::FormShow() {
    program_.NameMode = 0;
    program_.OpenTables();
    ApplyOptions(program_);
}

void TForm1::FormClose() {
    program_.storeTypedValues();
    program_.CloseTables();
    if (program_.quit)
        program_.quit();
}

void TForm1::RzButton3Click() {
    LoadSizes(program_);
    program_.Form3->showWindow();
}

void TForm1::RzButton1Click() {
    LoadSizes(program_);
    program_.Form2->showWindow();
}

void TForm1::RzButton2Click() {
    LoadSizes(program_);
    program_.Form4->showWindow();
}

void TForm1::Timer1Timer() {
    // The timer goes off even when the click fails, so that a failing start
    // is reported once instead of every 100 ms.
    const auto stop = qScopeGuard([this] { Timer1->stop(); });
    RzButton2Click();
}

} // namespace solvane
