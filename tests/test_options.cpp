#include "app/launcher_form.h"
#include "app/program.h"
#include "windows/calculator/calculator_form.h"
#include "controls/db_grid.h"
#include "controls/db_spin_box.h"
#include "large_screen.h"
#include "windows/settings/colours.h"
#include "windows/settings/options.h"
#include "windows/settings/options_form.h"
#include "core/error.h"
#include "support/test_dir.h"
#include "store/starter_database.h"

#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <QtTest>
#include <memory>
#include <sqlite3.h>

using namespace solvane;

namespace {

void execSql(const QString& sql) {
    sqlite3* db = nullptr;
    QCOMPARE(sqlite3_open("base.mdb", &db), SQLITE_OK);
    char* error = nullptr;
    const int rc = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &error);
    const QString message = QString::fromUtf8(error ? error : "");
    sqlite3_free(error);
    sqlite3_close(db);
    QVERIFY2(rc == SQLITE_OK, qPrintable(message));
}

// A started program whose options row is changed by SQL before the launcher shows.
struct Session {
    test::WorkingDirectory dir;
    std::unique_ptr<Program> program;

    explicit Session(const QString& optionsUpdate = QString()) {
        CreateStarterDatabase(QStringLiteral("base.mdb"));
        if (!optionsUpdate.isEmpty())
            execSql(optionsUpdate);
        program = std::make_unique<Program>();
        program->messages().setMode(MessageService::Mode::Headless);
        program->quit = [this] { ++quits; };
        program->Form1->show();
    }
    Program& p() { return *program; }
    TForm4& calc() { return *program->Form4; }
    int quits = 0;
};

QColor background(QWidget* w) {
    return w->palette().color(QPalette::Window);
}

// Everything the options decide, as text, to compare two runs.
QStringList optionEffects(Program& p) {
    TForm4& c = *p.Form4;
    QStringList out;
    auto column = [&out](const char* name, DBGridColumn* col) {
        out << QStringLiteral("%1 %2 %3")
                   .arg(QLatin1String(name))
                   .arg(col->isVisible())
                   .arg(col->colour().name(QColor::HexArgb));
    };
    column("kol", c.dxDBGrid4kol);
    column("kol_temp", c.dxDBGrid4kol_temp);
    column("name_el", c.dxDBGrid3name_el);
    column("vega", c.dxDBGrid3vega);
    column("rachet", c.dxDBGrid3rachet);
    for (QWidget* w : std::initializer_list<QWidget*>{c.Label4, c.Label5, c.Label9, c.Label10, c.Label11, c.Label13,
                                                      c.RxSlider1, c.PanelStrengthEdit})
        out << w->objectName() + QLatin1Char(' ') + background(w).name();
    out << QStringLiteral("litres ") + c.dxDBSpinEdit1->palette().color(QPalette::Base).name();
    for (QWidget* w : std::initializer_list<QWidget*>{c.PanelPpm, c.PanelMgl, c.dxDBGrid6, c.CropNavigators})
        out << QStringLiteral("%1 hidden %2").arg(w->objectName()).arg(w->isHidden());
    out << QStringLiteral("maximum %1 strength %2").arg(c.RxSlider1->maximum()).arg(c.strength());
    out << QStringLiteral("timer %1").arg(p.Form1->Timer1->isActive());
    out << QStringLiteral("O enabled %1").arg(c.Button7->isEnabled());
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
        TForm4& c = s.calc();
        QVERIFY(s.p().messages().shown().empty());
        // Holder 2 ends with cl9, not cl2.
        QCOMPARE(c.dxDBGrid4kol->colour(), plain(9));
        QCOMPARE(c.dxDBGrid4kol_temp->colour(), plain(3));
        QCOMPARE(c.dxDBSpinEdit1->palette().color(QPalette::Base), plain(5));
        QCOMPARE(c.dxDBGrid3name_el->colour(), plain(6));
        QCOMPARE(c.dxDBGrid3vega->colour(), plain(7));
        QCOMPARE(c.dxDBGrid3rachet->colour(), plain(9));
        for (QWidget* w : std::initializer_list<QWidget*>{c.Label11, c.Label13, c.RxSlider1, c.PanelStrengthEdit})
            QCOMPARE(background(w), plain(1));
        QCOMPARE(background(c.Label10), plain(9));
        QCOMPARE(background(c.Label4), plain(9));
        QCOMPARE(background(c.Label5), plain(7));
        QCOMPARE(background(c.Label9), plain(8));

        // cl2, cl4 and cl10 to cl14 colour nothing.
        const QStringList before = optionEffects(s.p());
        execSql(QStringLiteral("UPDATE t_opt SET cl2 = 255, cl4 = 255, cl10 = 255, cl11 = 255, cl12 = 255, cl13 = "
                               "255, cl14 = 255"));
        s.p().CloseTables();
        s.p().OpenTables();
        ApplyOptions(s.p());
        QCOMPARE(optionEffects(s.p()), before);
    }

    void emptyAndUnknownColoursShowAsBlackAndAsTheDefault() {
        Session s(QStringLiteral("UPDATE t_opt SET cl1 = NULL, cl9 = %1, cl5 = %2, cl7 = 0")
                      .arg(0x1FFFFFFF)
                      .arg(static_cast<int>(0x80000005)));
        TForm4& c = s.calc();
        QCOMPARE(background(c.Label11), QColor(Qt::black));
        // The text on a black background stays readable.
        QCOMPARE(c.Label11->palette().color(QPalette::WindowText), QColor(Qt::white));
        QVERIFY(!c.dxDBGrid3rachet->colour().isValid());
        QVERIFY(!c.dxDBGrid4kol->colour().isValid());
        QCOMPARE(background(c.Label10), QApplication::palette(c.Label10).color(QPalette::Window));
        QCOMPARE(c.dxDBSpinEdit1->palette().color(QPalette::Base), QApplication::palette().color(QPalette::Base));
        QCOMPARE(c.dxDBGrid3vega->colour(), QColor(Qt::black));
        // So does the text in the black column: a target shows in light pixels.
        QTest::mouseClick(s.p().Form1->RzButton2, Qt::LeftButton);
        QVERIFY(QTest::qWaitForWindowExposed(&c));
        DBGrid* grid = c.dxDBGrid3;
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
            QCOMPARE(s.calc().RxSlider1->maximum(), 250);
            QCOMPARE(s.calc().strength(), 100);
        }
        {
            Session s(QStringLiteral("UPDATE t_opt SET maxim = -20"));
            QCOMPARE(s.calc().RxSlider1->maximum(), 250);
        }
        {
            Session s(QStringLiteral("UPDATE t_opt SET maxim = NULL"));
            QCOMPARE(s.calc().RxSlider1->maximum(), 250);
        }
        {
            Session s(QStringLiteral("UPDATE t_opt SET maxim = 80; INSERT INTO t_rachet (id_udobra, kol) "
                                     "SELECT id_udobra, 1 FROM t_udobra WHERE ppm > 0 LIMIT 2"));
            QCOMPARE(s.calc().RxSlider1->maximum(), 80);
            QCOMPARE(s.calc().strength(), 80);
            QCOMPARE(s.calc().RxSlider1->value(), 80);
            QVERIFY(s.p().messages().shown().empty());
            // The totals follow the lowered strength: the PPM at strength is 80 % of the PPM.
            const double ppm =
                s.calc().Label10->text().trimmed().replace(QLatin1Char(','), QLatin1Char('.')).toDouble();
            const double atStrength =
                s.calc().Label11->text().trimmed().replace(QLatin1Char(','), QLatin1Char('.')).toDouble();
            QVERIFY2(ppm > 0, qPrintable(s.calc().Label10->text()));
            QVERIFY(qAbs(atStrength - 0.8 * ppm) < 0.01);
        }
    }

    void columnsStripsAndTheCropPaneFollowTheirFields() {
        {
            Session s; // the starter options show everything
            TForm4& c = s.calc();
            for (DBGridColumn* col :
                 {c.dxDBGrid4kol, c.dxDBGrid4kol_temp, c.dxDBGrid3name_el, c.dxDBGrid3vega, c.dxDBGrid3rachet})
                QVERIFY(col->isVisible());
            for (QWidget* w : std::initializer_list<QWidget*>{c.PanelPpm, c.PanelMgl, c.dxDBGrid6, c.CropNavigators})
                QVERIFY2(!w->isHidden(), qPrintable(w->objectName()));
            QVERIFY(!s.p().Form1->Timer1->isActive());
            QVERIFY(!c.Button7->isEnabled());
        }
        Session s(QStringLiteral("UPDATE t_opt SET c31 = 0, c34 = 0, c21 = 0, ppm1 = 0, ppm2 = 0, kult = 0"));
        TForm4& c = s.calc();
        QVERIFY(!c.dxDBGrid3name_el->isVisible());
        QVERIFY(!c.dxDBGrid3rachet->isVisible());
        QVERIFY(!c.dxDBGrid4kol->isVisible());
        QVERIFY(c.dxDBGrid4kol_temp->isVisible());
        QVERIFY(c.dxDBGrid3vega->isVisible());
        QVERIFY(c.PanelPpm->isHidden());
        QVERIFY(c.PanelMgl->isHidden());
        QVERIFY(c.dxDBGrid6->isHidden());
        QVERIFY(c.CropNavigators->isHidden());
        // For the whole run: opening and closing the calculator keeps them hidden.
        QTest::mouseClick(s.p().Form1->RzButton2, Qt::LeftButton);
        QVERIFY(c.isVisible());
        c.close();
        QTest::mouseClick(s.p().Form1->RzButton2, Qt::LeftButton);
        QVERIFY(!c.dxDBGrid3name_el->isVisible() && !c.dxDBGrid3rachet->isVisible());
        QVERIFY(!c.PanelPpm->isVisible() && !c.PanelMgl->isVisible() && !c.dxDBGrid6->isVisible());
        QVERIFY(!c.Button7->isEnabled());
    }

    void avtoOpensTheCalculatorOnce() {
        Session s(QStringLiteral("UPDATE t_opt SET avto = 1"));
        QVERIFY(s.p().Form1->Timer1->isActive());
        QVERIFY(!s.calc().isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(s.calc().isVisible(), 2000);
        QVERIFY(!s.p().Form1->Timer1->isActive());
        s.calc().hide();
        QTest::qWait(250);
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
            TForm4& c = s.calc();
            QVERIFY(s.p().messages().shown().empty());
            for (DBGridColumn* col :
                 {c.dxDBGrid4kol, c.dxDBGrid4kol_temp, c.dxDBGrid3name_el, c.dxDBGrid3vega, c.dxDBGrid3rachet}) {
                QVERIFY(!col->isVisible());
                QCOMPARE(col->colour(), QColor(Qt::black));
            }
            QVERIFY(c.PanelPpm->isHidden() && c.PanelMgl->isHidden() && c.dxDBGrid6->isHidden());
            QCOMPARE(c.RxSlider1->maximum(), 250);
            QCOMPARE(background(c.Label4), QColor(Qt::black));
            QVERIFY(!s.p().Form1->Timer1->isActive());
        }
        Session s(QStringLiteral("INSERT INTO t_opt (c31, avto, maxim, cl9) VALUES (0, 1, 10, 255)"));
        TForm4& c = s.calc();
        QVERIFY(c.dxDBGrid3name_el->isVisible());
        QVERIFY(!s.p().Form1->Timer1->isActive());
        QCOMPARE(c.RxSlider1->maximum(), 250);
        QCOMPARE(c.dxDBGrid3rachet->colour(), QColor(0xD0, 0xFF, 0xD0));
    }

    void fieldsWithoutEffectChangeNothing() {
        QStringList effects[2];
        for (int value : {0, 1}) {
            Session s(QStringLiteral("UPDATE t_opt SET c11 = %1, c23 = %1, c24 = %1, c33 = %1, c35 = %1, c36 = %1, "
                                     "c37 = %1, c38 = %1, c39 = %1")
                          .arg(value));
            effects[value] = optionEffects(s.p());
        }
        QCOMPARE(effects[0], effects[1]);
    }

    void aReadErrorStopsApplyOptionsBeforeItChangesAnything() {
        Session s(distinctColours());
        const QStringList before = optionEffects(s.p());
        s.p().Form18->ADOTable1.close();
        execSql(QStringLiteral("UPDATE t_opt SET cl9 = 255, kult = 0"));
        QVERIFY_THROWS_EXCEPTION(Error, ApplyOptions(s.p()));
        QCOMPARE(optionEffects(s.p()), before);
        QVERIFY(!s.p().Form18->isVisible());
    }

    // The colours reach the screen. With SOLVANE_SCREENSHOTS naming a folder,
    // the calculator is also saved there as calculator_colours.png.
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
        TForm4& c = s.calc();
        QTest::mouseClick(s.p().Form1->RzButton2, Qt::LeftButton);
        QVERIFY(QTest::qWaitForWindowExposed(&c));
        const QImage image = c.grab().toImage();
        auto centreOf = [&c](QWidget* w) { return w->mapTo(&c, QPoint(2, w->height() / 2)); };
        QCOMPARE(QColor(image.pixel(centreOf(c.Label10))), QColor(0xA0, 0xF0, 0xA0));
        QCOMPARE(QColor(image.pixel(centreOf(c.Label9))), QColor(0xFF, 0xC8, 0xB0));
        const QString folder = qEnvironmentVariable("SOLVANE_SCREENSHOTS");
        if (!folder.isEmpty())
            QVERIFY(image.save(QDir(folder).filePath(QStringLiteral("calculator_colours.png"))));
    }
};

SOLVANE_LARGE_SCREEN_TEST_MAIN(OptionsTest)
#include "test_options.moc"
