// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/directories/converter_window.h"

#include "controls/widget_building.h"
#include "core/error.h"
#include "core/field_limits.h"
#include "core/number_text.h"

#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>
#include <array>

namespace solvane {

namespace {

// The units in the order of their positions, and what an amount in each is
// divided by to give percent: 1 % is 10 g (or 10 ml, a millilitre of the
// substance counting as a gram) or 10000 mg per litre, a cubic decimetre
// counting as a litre.
struct Unit {
    const char* text;
    double divisor;
};
constexpr std::array<Unit, 6> kUnits{{
    {"мг./л.", 10000},
    {"г./л.", 10},
    {"мл./л.", 10},
    {"мг./дм3", 10000},
    {"г./дм3", 10},
    {"мл./дм3", 10},
}};
constexpr int kInitialUnit = 1;

// The result label holds the number followed by two blanks.
const QString kResultTail = QStringLiteral("  ");

// The window's width when the result and its caption fit in it.
constexpr int kWidth = 300;
constexpr int kHeight = 112;

// The caption of the result gives way to it: when the result leaves it too
// little room, it shows the start of its text followed by "…", and the whole
// text as its hint. Its text stays whole.
class ElidingLabel : public QLabel {
public:
    using QLabel::QLabel;

    QSize minimumSizeHint() const override {
        const QSize hint = QLabel::minimumSizeHint();
        return QSize(fontMetrics().horizontalAdvance(QStringLiteral("…")) + 2 * margin(), hint.height());
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QRect area = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
        const QString shown = fontMetrics().elidedText(text(), Qt::ElideRight, area.width());
        style()->drawItemText(&painter, area, static_cast<int>(alignment()), palette(), isEnabled(), shown,
                              foregroundRole());
    }
    void resizeEvent(QResizeEvent* event) override {
        QLabel::resizeEvent(event);
        const int room = contentsRect().width() - 2 * margin();
        setToolTip(fontMetrics().horizontalAdvance(text()) > room ? text() : QString());
    }
};

// The width of the widest text the result label can hold: a negative number
// of fifteen significant digits, either below 0.0001 in fixed notation or
// with a three-digit exponent, in the widest digit of the font.
int widestResult(const QFontMetrics& metrics) {
    QChar digit = QLatin1Char('0');
    for (char c = '1'; c <= '9'; ++c)
        if (metrics.horizontalAdvance(QLatin1Char(c)) > metrics.horizontalAdvance(digit))
            digit = QLatin1Char(c);
    int widest = 0;
    for (const QChar separator : {QLatin1Char('.'), QLatin1Char(',')}) {
        const QString fixed = QStringLiteral("-") + digit + separator + QString(4, digit) + QString(15, digit);
        const QString scientific =
            QStringLiteral("-") + digit + separator + QString(14, digit) + QStringLiteral("E-") + QString(3, digit);
        for (const QString& text : {fixed, scientific})
            widest = std::max(widest, metrics.horizontalAdvance(text + kResultTail));
    }
    return widest;
}

} // namespace

ConverterWindow::ConverterWindow(HandlerGuard& guard) : Form(guard, QStringLiteral("F_Converter")) {
    setWindowTitle(QStringLiteral("Конвертер"));
    // A fixed-size dialog frame with only the close icon.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(8, 8, 8, 6);
    outer->setSpacing(8);

    auto* top = new QGridLayout;
    top->setHorizontalSpacing(10);
    top->setVerticalSpacing(2);
    QLabel* amountLabel = MakeLabel(QStringLiteral("Label1"), QStringLiteral("Кол-во:"), this, true);
    amountBox_ = MakeEdit(QStringLiteral("Edit1"), QStringLiteral("Кол-во:"), this, QStringLiteral("0"));
    amountLabel->setBuddy(amountBox_);
    QLabel* unitLabel = MakeLabel(QStringLiteral("Label2"), QStringLiteral("Ед-ца измерения:"), this, true);
    unitBox_ = new QComboBox(this);
    unitBox_->setObjectName(QStringLiteral("ComboBox1"));
    unitBox_->setAccessibleName(QStringLiteral("Ед-ца измерения:"));
    unitBox_->setEditable(true);
    // Typed text stays typed text: it neither becomes an item nor is completed to one.
    unitBox_->setInsertPolicy(QComboBox::NoInsert);
    unitBox_->setCompleter(nullptr);
    for (const Unit& unit : kUnits)
        unitBox_->addItem(QString::fromUtf8(unit.text));
    unitBox_->setCurrentIndex(kInitialUnit);
    unitLabel->setBuddy(unitBox_);
    top->addWidget(amountLabel, 0, 0);
    top->addWidget(amountBox_, 1, 0);
    top->addWidget(unitLabel, 0, 1);
    top->addWidget(unitBox_, 1, 1);
    top->setColumnStretch(0, 1);
    top->setColumnStretch(1, 1);
    outer->addLayout(top);

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setFrameShadow(QFrame::Raised);
    auto* bottom = new QHBoxLayout(panel);
    bottom->setContentsMargins(2, 4, 2, 4);
    bottom->setSpacing(6);
    QLabel* resultCaption = new ElidingLabel(QStringLiteral("  Процентное содержание:"), panel);
    resultCaption->setObjectName(QStringLiteral("Label3"));
    SetBold(resultCaption);
    resultLabel_ = MakeLabel(QStringLiteral("Label4"), QStringLiteral("0") + kResultTail, panel);
    resultLabel_->setAccessibleName(QStringLiteral("Процентное содержание"));
    resultLabel_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    resultLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // The result is never cut: it takes the width its text needs, and the
    // caption what is left.
    resultLabel_->setSizePolicy(QSizePolicy::MinimumExpanding, QSizePolicy::Preferred);
    bottom->addWidget(resultCaption);
    bottom->addWidget(resultLabel_, 1);
    outer->addWidget(panel);

    // Connected once everything is built: the initial texts convert nothing.
    connect(amountBox_, &QLineEdit::textChanged, this, [this] { runGuarded([this] { amountChanged(); }); });
    // Choosing an item sets the box's text, so one signal covers both ways of changing the unit.
    connect(unitBox_, &QComboBox::editTextChanged, this, [this] { runGuarded([this] { unitChanged(); }); });

    // Wide enough for the longest result beside the start of its caption.
    const QMargins around = outer->contentsMargins();
    const QMargins inside = bottom->contentsMargins();
    const int needed = around.left() + around.right() + 2 * panel->frameWidth() + inside.left() + inside.right() +
                       resultCaption->minimumSizeHint().width() + bottom->spacing() +
                       widestResult(resultLabel_->fontMetrics());
    setFixedSize(std::max(kWidth, needed), kHeight);
}

ConverterWindow::~ConverterWindow() = default;

int ConverterWindow::unitPosition() const {
    return unitBox_->findText(unitBox_->currentText(), Qt::MatchExactly | Qt::MatchCaseSensitive);
}

void ConverterWindow::amountChanged() {
    convert(QStringLiteral("0"));
}

void ConverterWindow::unitChanged() {
    convert(QStringLiteral("0") + kResultTail);
}

void ConverterWindow::convert(const QString& emptyText) {
    const QString amountText = amountBox_->text();
    if (amountText.isEmpty()) {
        resultLabel_->setText(emptyText);
        return;
    }
    const int position = unitPosition();
    if (position < 0 || position >= static_cast<int>(kUnits.size()))
        return;
    // A number still being typed ("-", "1e") changes nothing yet; a text
    // that can be no number stops here with the number error, and a number
    // out of all proportion with the range error; the previous result stays.
    double amount = 0;
    if (!TryParseFloat(amountText, amount)) {
        if (MayBecomeNumber(amountText))
            return;
        amount = ParseFloat(amountText);
    }
    const NumberLimits limits = FieldLimits::ConverterAmount();
    if (!limits.accepts(amount))
        throw Error(limits.refusal());
    const double percent = amount / kUnits[static_cast<size_t>(position)].divisor;
    resultLabel_->setText(FormatNumber(percent) + kResultTail);
}

} // namespace solvane
