// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/launcher_window.h"

#include "controls/widget_building.h"

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

LauncherWindow::LauncherWindow(HandlerGuard& guard) : Form(guard, QStringLiteral("Form1")) {
    setWindowTitle(QStringLiteral("Solvane v1.2"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    QPushButton* elements =
        launcherButton(this, QStringLiteral("RzButton3"), QStringLiteral("Элементы"), QColor(128, 0, 128));
    QPushButton* fertilizers =
        launcherButton(this, QStringLiteral("RzButton1"), QStringLiteral("Удобрения"), QColor(0, 0, 128));
    QPushButton* calculator =
        launcherButton(this, QStringLiteral("RzButton2"), QStringLiteral("Калькулятор"), QColor(0, 128, 128));
    auto* layout = MakeColumn(this, 12, 8);
    layout->addWidget(elements);
    layout->addWidget(fertilizers);
    layout->addWidget(calculator);
    setTabOrder(fertilizers, calculator);
    setTabOrder(calculator, elements);
    fertilizers->setFocus();
    setFixedSize(220, 150);

    autoStartTimer_ = new QTimer(this);
    autoStartTimer_->setObjectName(QStringLiteral("Timer1"));
    autoStartTimer_->setInterval(100);
    connect(autoStartTimer_, &QTimer::timeout, this, [this] { runGuarded([this] { autoStartDue(); }); });

    connectClick(elements, [this] { openElements(); });
    connectClick(fertilizers, [this] { openFertilizers(); });
    connectClick(calculator, [this] { openCalculator(); });
}

LauncherWindow::~LauncherWindow() = default;

void LauncherWindow::FormShow() {
    relay([this] { emit shown(); });
}

void LauncherWindow::FormClose() {
    relay([this] { emit closing(); });
}

void LauncherWindow::openElements() {
    relay([this] { emit elementsRequested(); });
}

void LauncherWindow::openFertilizers() {
    relay([this] { emit fertilizersRequested(); });
}

void LauncherWindow::openCalculator() {
    relay([this] { emit calculatorRequested(); });
}

void LauncherWindow::setAutoStart(bool on) {
    if (on)
        autoStartTimer_->start();
    else
        autoStartTimer_->stop();
}

bool LauncherWindow::autoStartPending() const {
    return autoStartTimer_->isActive();
}

void LauncherWindow::autoStartDue() {
    // The timer goes off even when the click fails, so that a failing start
    // is reported once instead of every 100 ms.
    const auto stop = qScopeGuard([this] { autoStartTimer_->stop(); });
    openCalculator();
}

} // namespace solvane
