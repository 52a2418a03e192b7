// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/db_grid.h"
#include "core/error.h"
#include "large_screen.h"
#include "support/program_fixture.h"
#include "windows/calculator/calculator_window.h"
#include "windows/calculator/crop_pane.h"
#include "windows/settings/colours.h"
#include "windows/settings/options_window.h"

#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QtTest>
#include <array>
#include <initializer_list>

using namespace solvane;
using test::Child;

namespace {

// A started program whose options row is changed by SQL before the launcher shows.
struct Session : test::ProgramFixture {
    explicit Session(const QString& optionsUpdate = QString()) : ProgramFixture(Base::Starter, optionsUpdate) {
        start();
        QObject::connect(&program(), &Program::ending, [this] { ++quits; });
    }
    Program& p() { return program(); }
    CalculatorWindow& calc() { return program().calculator(); }
    // "Калькулятор" clicked on the launcher; false when there is no such button.
    bool openCalculator() {
        QPushButton* button = Child<QPushButton>(program().launcher(), "RzButton2");
        if (!button)
            return false;
        QTest::mouseClick(button, Qt::LeftButton);
        return true;
    }
    int quits = 0;
};

// The calculator's widgets the options decide, found by their object names.
struct Widgets {
    explicit Widgets(const CalculatorWindow& c) {
        const DBGrid* saved = Child<DBGrid>(c, "dxDBGrid4");
        const DBGrid* targets = Child<DBGrid>(c, "dxDBGrid3");
        if (saved) {
            kol = saved->columnByField(QStringLiteral("kol"));
            kolTemp = saved->columnByField(QStringLiteral("kol_temp"));
        }
        if (targets) {
            nameEl = targets->columnByField(QStringLiteral("name_el"));
            vega = targets->columnByField(QStringLiteral("vega"));
            rachet = targets->columnByField(QStringLiteral("rachet"));
        }
        targetGrid = Child<DBGrid>(c, "dxDBGrid3");
        label4 = Child<QLabel>(c, "Label4");
        label5 = Child<QLabel>(c, "Label5");
        label9 = Child<QLabel>(c, "Label9");
        label10 = Child<QLabel>(c, "Label10");
        label11 = Child<QLabel>(c, "Label11");
        label13 = Child<QLabel>(c, "Label13");
        slider = Child<QSlider>(c, "RxSlider1");
        strengthEdit = Child<QWidget>(c, "PanelStrengthEdit");
        litres = Child<QWidget>(c, "dxDBSpinEdit1");
        ppm = Child<QWidget>(c, "PanelPpm");
        mgl = Child<QWidget>(c, "PanelMgl");
        crops = Child<QWidget>(c, "dxDBGrid6");
        cropNavigators = Child<QWidget>(c, "CropNavigators");
        optionsButton = Child<QPushButton>(c, "Button7");
    }
    // Every one of them was found.
    bool complete() const {
        for (const void* w : std::initializer_list<const void*>{
                 kol,    kolTemp, nameEl,  vega,    rachet,         targetGrid,   label4,
                 label5, label9,  label10, label11, label13,        slider,       strengthEdit,
                 litres, ppm,     mgl,     crops,   cropNavigators, optionsButton})
            if (!w)
                return false;
        return true;
    }
    std::array<DBGridColumn*, 5> columns() const { return {kol, kolTemp, nameEl, vega, rachet}; }

    DBGridColumn* kol = nullptr;     // the saved lines' amount
    DBGridColumn* kolTemp = nullptr; // the saved lines' amount for the litres
    DBGridColumn* nameEl = nullptr;  // the targets' element
    DBGridColumn* vega = nullptr;    // the targets' target
    DBGridColumn* rachet = nullptr;  // the targets' result
    DBGrid* targetGrid = nullptr;
    QLabel* label4 = nullptr;  // the results' total
    QLabel* label5 = nullptr;  // the targets' total
    QLabel* label9 = nullptr;  // the flowering total
    QLabel* label10 = nullptr; // the PPM
    QLabel* label11 = nullptr; // the PPM at the strength
    QLabel* label13 = nullptr; // the results' total at the strength
    QSlider* slider = nullptr;
    QWidget* strengthEdit = nullptr;
    QWidget* litres = nullptr;
    QWidget* ppm = nullptr;
    QWidget* mgl = nullptr;
    QWidget* crops = nullptr;
    QWidget* cropNavigators = nullptr;
    QPushButton* optionsButton = nullptr; // "O"
};

QColor background(const QWidget* w) {
    return w->palette().color(QPalette::Window);
}

// Everything the options decide, as text, to compare two runs; empty when a
// widget is missing.
QStringList optionEffects(Program& p) {
    const CalculatorWindow& c = p.calculator();
    const Widgets w(c);
    if (!w.complete())
        return {};
    QStringList out;
    auto column = [&out](const char* name, const DBGridColumn* col) {
        out << QStringLiteral("%1 %2 %3")
                   .arg(QLatin1String(name))
                   .arg(col->isVisible())
                   .arg(col->colour().name(QColor::HexArgb));
    };
    column("kol", w.kol);
    column("kol_temp", w.kolTemp);
    column("name_el", w.nameEl);
    column("vega", w.vega);
    column("rachet", w.rachet);
    for (const QWidget* widget : std::initializer_list<const QWidget*>{w.label4, w.label5, w.label9, w.label10,
                                                                       w.label11, w.label13, w.slider, w.strengthEdit})
        out << widget->objectName() + QLatin1Char(' ') + background(widget).name();
    out << QStringLiteral("litres ") + w.litres->palette().color(QPalette::Base).name();
    for (const QWidget* widget : std::initializer_list<const QWidget*>{w.ppm, w.mgl, w.crops, w.cropNavigators})
        out << QStringLiteral("%1 hidden %2").arg(widget->objectName()).arg(widget->isHidden());
    out << QStringLiteral("maximum %1 strength %2").arg(w.slider->maximum()).arg(c.cropPane()->strength());
    out << QStringLiteral("timer %1").arg(p.launcher().autoStartPending());
    out << QStringLiteral("O enabled %1").arg(w.optionsButton->isEnabled());
    return out;
}

// cl1 .. cl14 set to fourteen different plain colours 0x00BBGGRR.
QString distinctColours() {
    QStringList sets;
    for (int n = 1; n <= 14; ++n)
        sets << QStringLiteral("cl%1 = %2").arg(n).arg(0x00102030 + n * 0x00040404 + (n % 3) * 0x20);
    return QStringLiteral("UPDATE t_opt SET ") + sets.join(QStringLiteral(", "));
}

QColor plain(int n) {
    const int v = 0x00102030 + n * 0x00040404 + (n % 3) * 0x20;
    return QColor(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF);
}

} // namespace

class OptionsTest : public QObject {
    Q_OBJECT
private slots:
    void storedColoursAreDecoded() {
        const QPalette palette = QApplication::palette();
        QCOMPARE(StoredColour(0x000000FF, palette), QColor(255, 0, 0));
        QCOMPARE(StoredColour(0x00FF0000, palette), QColor(0, 0, 255));
        QCOMPARE(StoredColour(0x00C0FFFF, palette), QColor(0xFF, 0xFF, 0xC0));
        QCOMPARE(StoredColour(0, palette), QColor(Qt::black));
        // System colours, stored signed or unsigned.
        QCOMPARE(StoredColour(static_cast<int>(0x80000005), palette), palette.color(QPalette::Base));
        QCOMPARE(StoredColour(0x80000005LL, palette), palette.color(QPalette::Base));
        QCOMPARE(StoredColour(0x8000000F, palette), palette.color(QPalette::Button));
        QCOMPARE(StoredColour(0x8000000D, palette), palette.color(QPalette::Highlight));
        QCOMPARE(StoredColour(0x80000018, palette), palette.color(QPalette::ToolTipBase));
        QCOMPARE(StoredColour(0x80000011, palette), palette.color(QPalette::Disabled, QPalette::Text));
        // Values that name no colour.
        for (long long v : {0x80000019LL, 0x800000FFLL, 0x1FFFFFFFLL, 0x20000000LL, 0x01000000LL, 0x02FF0000LL,
                            0x100000000LL, -0x80000001LL})
            QVERIFY2(!StoredColour(v, palette).isValid(), qPrintable(QString::number(v, 16)));
    }

    void theCalculatorTakesItsColoursFromTheHolders() {
        Session s(distinctColours());
        const Widgets w(s.calc());
        QVERIFY(w.complete());
        QVERIFY(s.p().messages().shown().empty());
        // Holder 2 ends with cl9, not cl2.
        QCOMPARE(w.kol->colour(), plain(9));
        QCOMPARE(w.kolTemp->colour(), plain(3));
        QCOMPARE(w.litres->palette().color(QPalette::Base), plain(5));
        QCOMPARE(w.nameEl->colour(), plain(6));
        QCOMPARE(w.vega->colour(), plain(7));
        QCOMPARE(w.rachet->colour(), plain(9));
        for (const QWidget* widget :
             std::initializer_list<const QWidget*>{w.label11, w.label13, w.slider, w.strengthEdit})
            QCOMPARE(background(widget), plain(1));
        QCOMPARE(background(w.label10), plain(9));
        QCOMPARE(background(w.label4), plain(9));
        QCOMPARE(background(w.label5), plain(7));
        QCOMPARE(background(w.label9), plain(8));

        // cl2, cl4 and cl10 to cl14 colour nothing.
        const QStringList before = optionEffects(s.p());
        QVERIFY(!before.isEmpty());
        s.sql().exec(QStringLiteral("UPDATE t_opt SET cl2 = 255, cl4 = 255, cl10 = 255, cl11 = 255, cl12 = 255, cl13 = "
                                    "255, cl14 = 255"));
        s.p().CloseTables();
        s.p().OpenTables();
        s.p().ApplyOptions();
        QCOMPARE(optionEffects(s.p()), before);
    }

    void emptyAndUnknownColoursShowAsBlackAndAsTheDefault() {
        Session s(QStringLiteral("UPDATE t_opt SET cl1 = NULL, cl9 = %1, cl5 = %2, cl7 = 0")
                      .arg(0x1FFFFFFF)
                      .arg(static_cast<int>(0x80000005)));
        CalculatorWindow& c = s.calc();
        const Widgets w(c);
        QVERIFY(w.complete());
        QCOMPARE(background(w.label11), QColor(Qt::black));
        // The text on a black background stays readable.
        QCOMPARE(w.label11->palette().color(QPalette::WindowText), QColor(Qt::white));
        QVERIFY(!w.rachet->colour().isValid());
        QVERIFY(!w.kol->colour().isValid());
        QCOMPARE(background(w.label10), QApplication::palette(w.label10).color(QPalette::Window));
        QCOMPARE(w.litres->palette().color(QPalette::Base), QApplication::palette().color(QPalette::Base));
        QCOMPARE(w.vega->colour(), QColor(Qt::black));
        // So does the text in the black column: a target shows in light pixels.
        QVERIFY(s.openCalculator());
        QVERIFY(QTest::qWaitForWindowExposed(&c));
        DBGrid* grid = w.targetGrid;
        const QRect cell = grid->visualRect(grid->model()->index(1, 1));
        QVERIFY(!grid->model()->index(1, 1).data().toString().isEmpty());
        const QImage image = grid->viewport()->grab(cell).toImage();
        int light = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                light += QColor(image.pixel(x, y)).lightness() > 160;
        QVERIFY2(light > 10, qPrintable(QString::number(light)));
    }

    void theSliderMaximumFollowsMaxim() {
        {
            Session s(QStringLiteral("UPDATE t_opt SET maxim = 0"));
            const Widgets w(s.calc());
            QVERIFY(w.complete());
            QCOMPARE(w.slider->maximum(), 250);
            QCOMPARE(s.calc().cropPane()->strength(), 100);
        }
        {
            Session s(QStringLiteral("UPDATE t_opt SET maxim = -20"));
            const Widgets w(s.calc());
            QVERIFY(w.complete());
            QCOMPARE(w.slider->maximum(), 250);
        }
        {
            Session s(QStringLiteral("UPDATE t_opt SET maxim = NULL"));
            const Widgets w(s.calc());
            QVERIFY(w.complete());
            QCOMPARE(w.slider->maximum(), 250);
        }
        {
            Session s(QStringLiteral("UPDATE t_opt SET maxim = 80; INSERT INTO t_rachet (id_udobra, kol) "
                                     "SELECT id_udobra, 1 FROM t_udobra WHERE ppm > 0 LIMIT 2"));
            const Widgets w(s.calc());
            QVERIFY(w.complete());
            QCOMPARE(w.slider->maximum(), 80);
            QCOMPARE(s.calc().cropPane()->strength(), 80);
            QCOMPARE(w.slider->value(), 80);
            QVERIFY(s.p().messages().shown().empty());
            // The totals follow the lowered strength: the PPM at strength is 80 % of the PPM.
            const double ppm = w.label10->text().trimmed().replace(QLatin1Char(','), QLatin1Char('.')).toDouble();
            const double atStrength =
                w.label11->text().trimmed().replace(QLatin1Char(','), QLatin1Char('.')).toDouble();
            QVERIFY2(ppm > 0, qPrintable(w.label10->text()));
            QVERIFY(qAbs(atStrength - 0.8 * ppm) < 0.01);
        }
    }

    void columnsStripsAndTheCropPaneFollowTheirFields() {
        {
            Session s; // the starter options show everything
            const Widgets w(s.calc());
            QVERIFY(w.complete());
            for (const DBGridColumn* col : w.columns())
                QVERIFY(col->isVisible());
            for (const QWidget* widget : std::initializer_list<const QWidget*>{w.ppm, w.mgl, w.crops, w.cropNavigators})
                QVERIFY2(!widget->isHidden(), qPrintable(widget->objectName()));
            QVERIFY(!s.p().launcher().autoStartPending());
            QVERIFY(!w.optionsButton->isEnabled());
        }
        Session s(QStringLiteral("UPDATE t_opt SET c31 = 0, c34 = 0, c21 = 0, ppm1 = 0, ppm2 = 0, kult = 0"));
        CalculatorWindow& c = s.calc();
        const Widgets w(c);
        QVERIFY(w.complete());
        QVERIFY(!w.nameEl->isVisible());
        QVERIFY(!w.rachet->isVisible());
        QVERIFY(!w.kol->isVisible());
        QVERIFY(w.kolTemp->isVisible());
        QVERIFY(w.vega->isVisible());
        QVERIFY(w.ppm->isHidden());
        QVERIFY(w.mgl->isHidden());
        QVERIFY(w.crops->isHidden());
        QVERIFY(w.cropNavigators->isHidden());
        // For the whole run: opening and closing the calculator keeps them hidden.
        QVERIFY(s.openCalculator());
        QVERIFY(c.isVisible());
        c.close();
        QVERIFY(s.openCalculator());
        QVERIFY(!w.nameEl->isVisible() && !w.rachet->isVisible());
        QVERIFY(!w.ppm->isVisible() && !w.mgl->isVisible() && !w.crops->isVisible());
        QVERIFY(!w.optionsButton->isEnabled());
    }

    void avtoOpensTheCalculatorOnce() {
        Session s(QStringLiteral("UPDATE t_opt SET avto = 1"));
        QVERIFY(s.p().launcher().autoStartPending());
        QVERIFY(!s.calc().isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(s.calc().isVisible(), 2000);
        // Once: the timer stopped with its tick, so nothing shows it again.
        QVERIFY(!s.p().launcher().autoStartPending());
        s.calc().hide();
        QCoreApplication::processEvents();
        QVERIFY(!s.calc().isVisible());
        // Closing the calculator then ends the program.
        s.calc().showWindow();
        QCOMPARE(s.quits, 0);
        s.calc().close();
        QCOMPARE(s.quits, 1);
    }

    void anEmptyTableReadsAsEmptyFieldsAndOnlyTheFirstRowCounts() {
        {
            Session s(QStringLiteral("DELETE FROM t_opt"));
            const Widgets w(s.calc());
            QVERIFY(w.complete());
            QVERIFY(s.p().messages().shown().empty());
            for (const DBGridColumn* col : w.columns()) {
                QVERIFY(!col->isVisible());
                QCOMPARE(col->colour(), QColor(Qt::black));
            }
            QVERIFY(w.ppm->isHidden() && w.mgl->isHidden() && w.crops->isHidden());
            QCOMPARE(w.slider->maximum(), 250);
            QCOMPARE(background(w.label4), QColor(Qt::black));
            QVERIFY(!s.p().launcher().autoStartPending());
        }
        Session s(QStringLiteral("INSERT INTO t_opt (c31, avto, maxim, cl9) VALUES (0, 1, 10, 255)"));
        const Widgets w(s.calc());
        QVERIFY(w.complete());
        QVERIFY(w.nameEl->isVisible());
        QVERIFY(!s.p().launcher().autoStartPending());
        QCOMPARE(w.slider->maximum(), 250);
        QCOMPARE(w.rachet->colour(), QColor(0xD0, 0xFF, 0xD0));
    }

    void fieldsWithoutEffectChangeNothing() {
        QStringList effects[2];
        for (int value : {0, 1}) {
            Session s(QStringLiteral("UPDATE t_opt SET c11 = %1, c23 = %1, c24 = %1, c33 = %1, c35 = %1, c36 = %1, "
                                     "c37 = %1, c38 = %1, c39 = %1")
                          .arg(value));
            effects[value] = optionEffects(s.p());
            QVERIFY(!effects[value].isEmpty());
        }
        QCOMPARE(effects[0], effects[1]);
    }

    void aReadErrorStopsApplyOptionsBeforeItChangesAnything() {
        Session s(distinctColours());
        const QStringList before = optionEffects(s.p());
        QVERIFY(!before.isEmpty());
        s.data().options.close();
        s.sql().exec(QStringLiteral("UPDATE t_opt SET cl9 = 255, kult = 0"));
        QVERIFY_THROWS_EXCEPTION(Error, s.p().ApplyOptions());
        QCOMPARE(optionEffects(s.p()), before);
        QVERIFY(!s.p().optionsWindow().isVisible());
    }

    // The colours reach the screen.
    void coloursShowOnTheCalculator() {
        Session s(
            QStringLiteral("UPDATE t_opt SET cl1 = %1, cl3 = %2, cl5 = %3, cl6 = %4, cl7 = %5, cl8 = %6, cl9 = %7")
                .arg(0x0080D0FF)   // amber
                .arg(0x00F0D0B0)   // light steel blue
                .arg(0x00C0F0FF)   // cream
                .arg(0x00E0E0E0)   // light grey
                .arg(0x00FFD8B0)   // sky blue
                .arg(0x00B0C8FF)   // salmon
                .arg(0x00A0F0A0) + // green
            QStringLiteral("; INSERT INTO t_head_rar (name_rar, id_konc, kol_l, konc) "
                           "SELECT 'Томат, рассада', min(id_kult), 10, 100 FROM T_kult;"
                           "INSERT INTO t_save_rar (id_udobra, kol, id_head_rar) "
                           "SELECT id_udobra, 0.25 * id_udobra, 1 FROM t_udobra WHERE id_udobra <= 4;"
                           "INSERT INTO t_rachet (id_udobra, kol) SELECT id_udobra, 0.5 FROM t_udobra "
                           "WHERE id_udobra <= 3"));
        CalculatorWindow& c = s.calc();
        const Widgets w(c);
        QVERIFY(w.complete());
        QVERIFY(s.openCalculator());
        QVERIFY(QTest::qWaitForWindowExposed(&c));
        const QImage image = c.grab().toImage();
        auto centreOf = [&c](const QWidget* widget) { return widget->mapTo(&c, QPoint(2, widget->height() / 2)); };
        QCOMPARE(QColor(image.pixel(centreOf(w.label10))), QColor(0xA0, 0xF0, 0xA0));
        QCOMPARE(QColor(image.pixel(centreOf(w.label9))), QColor(0xFF, 0xC8, 0xB0));
    }
};

SOLVANE_LARGE_SCREEN_TEST_MAIN(OptionsTest)
#include "test_options.moc"
