// SPDX-License-Identifier: GPL-3.0-or-later
// solvane-screenshots: the pictures of docs/screenshots, taken of the
// program's own windows. Each scene starts the program on a fresh base in a
// temporary working directory (the starter base, or the bare schema with a
// few rows of its own), under the offscreen platform on a 1920 x 1080 screen
// and the growers' locale, does what a grower would, and saves the windows
// into the folder given:
//
//   solvane-screenshots docs/screenshots
//
// It never blocks on a box: the program answers its boxes silently, and a
// box that reports an error stops the tool with that error.

#include "app/application_setup.h"
#include "app/launcher_window.h"
#include "app/program.h"
#include "controls/db_grid.h"
#include "controls/message_service.h"
#include "core/error.h"
#include "store/columns.h"
#include "store/database.h"
#include "store/dataset.h"
#include "store/starter_database.h"
#include "controls/splitter.h"
#include "windows/calculator/calculator_window.h"
#include "windows/calculator/solution_analysis_window.h"
#include "windows/calculator/stock_solutions_window.h"
#include "windows/directories/coefficient_directory.h"
#include "windows/directories/converter_window.h"
#include "windows/directories/element_directory.h"
#include "windows/directories/fertilizer_directory.h"
#include "windows/directories/water_profiles_window.h"
#include "windows/solutions/solution_name_dialog.h"
#include "tools/screenshots/large_offscreen_screen.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QLocale>
#include <QMouseEvent>
#include <QPixmap>
#include <QStringList>
#include <QTemporaryDir>
#include <QWindow>
#include <cstdio>
#include <memory>
#include <sqlite3.h>

using namespace solvane;

namespace {

// Lets the events run for a while: a window just shown is laid out and
// painted, as a person looking at it would see it.
void Settle(int milliseconds = 50) {
    QElapsedTimer timer;
    timer.start();
    do
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    while (timer.elapsed() < milliseconds);
}

template <typename T> T& Find(const QObject& window, const char* objectName) {
    T* found = window.findChild<T*>(QString::fromLatin1(objectName));
    if (!found)
        throw Error(QStringLiteral("«%1» has no «%2»").arg(window.objectName(), QString::fromLatin1(objectName)));
    return *found;
}

// A left click in the middle of a grid's row, as the mouse gives it.
void ClickRow(DBGrid& grid, int row) {
    QWidget* cells = grid.viewport();
    const QPointF at = grid.visualRect(grid.model()->index(row, 0)).center();
    const QPointF global = cells->mapToGlobal(at);
    QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(cells, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(cells, &release);
}

// One run of the program in a working directory of its own.
class Scene {
public:
    enum class Base { Starter, Empty };

    // sql runs on the new base before the program starts.
    Scene(const QString& folder, Base base, const QString& sql = QString()) : folder_(folder) {
        if (!dir_.isValid())
            throw Error(QStringLiteral("cannot make a temporary folder: %1").arg(dir_.errorString()));
        QDir::setCurrent(dir_.path());
        const QString file = dir_.filePath(QStringLiteral("base.mdb"));
        if (base == Base::Starter)
            CreateStarterDatabase(file);
        else
            CreateEmptyDatabase(file);
        if (!sql.isEmpty())
            run(file, sql);
        program_ = std::make_unique<Program>();
        program_->messages().setMode(MessageService::Mode::Headless);
        QObject::disconnect(program_.get(), &Program::ending, nullptr, nullptr);
        program_->launcher().show();
        check();
    }
    ~Scene() {
        program_.reset();
        QDir::setCurrent(previous_);
    }
    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;

    Program& program() { return *program_; }
    Database& data() { return program_->data(); }
    CalculatorWindow& calc() { return program_->calculator(); }

    // "Калькулятор" in the launcher.
    void openCalculator() { press(program_->launcher(), "RzButton2"); }
    // A button of a window, clicked.
    void press(QWidget& window, const char* button) {
        Find<QAbstractButton>(window, button).click();
        check();
    }
    // An entry of the calculator's menus, chosen.
    void choose(const char* item) {
        Find<QAction>(calc(), item).trigger();
        check();
    }
    // ">" for each fertilizer, the list's row made current first.
    void add(const QStringList& names) {
        DataSet& list = data().fertilizers;
        Field* name = list.fieldByName(col::fertilizers::name);
        for (const QString& wanted : names) {
            list.first();
            while (!list.eof() && name->asString() != wanted)
                list.next();
            if (list.eof())
                throw Error(QStringLiteral("no fertilizer «%1» in the list").arg(wanted));
            press(calc(), "Button1");
        }
    }

    // The window as it shows, saved as a picture into the folder.
    void save(QWidget& window, const char* file) {
        if (!window.isVisible())
            throw Error(QStringLiteral("«%1» is not shown for %2").arg(window.objectName(), QString::fromLatin1(file)));
        QElapsedTimer waited;
        waited.start();
        while (!(window.windowHandle() && window.windowHandle()->isExposed()) && waited.elapsed() < 5000)
            Settle(10);
        Settle();
        check();
        const QString path = QDir(folder_).filePath(QString::fromLatin1(file));
        if (!window.grab().save(path))
            throw Error(QStringLiteral("cannot write %1").arg(path));
        std::printf("%s\n", qPrintable(path));
    }

    // Every box so far informed or asked; an error box stops the tool.
    void check() {
        for (const ShownMessage& m : program_->messages().shown())
            if (m.kind == MessageKind::Error)
                throw Error(m.text);
    }

private:
    static void run(const QString& file, const QString& sql) {
        sqlite3* db = nullptr;
        char* message = nullptr;
        const bool opened =
            sqlite3_open_v2(file.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK;
        const bool done = opened && sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &message) == SQLITE_OK;
        const QString reason = QString::fromUtf8(message ? message : db ? sqlite3_errmsg(db) : "out of memory");
        sqlite3_free(message);
        sqlite3_close(db);
        if (!done)
            throw Error(QStringLiteral("%1: %2").arg(file, reason));
    }

    QString folder_;
    QString previous_ = QDir::currentPath();
    QTemporaryDir dir_;
    std::unique_ptr<Program> program_;
};

// ---- the scenes ----

// The launcher, the element, coefficient and fertilizer directories and the
// converter with an amount typed, each at its default size.
void TakeDirectories(const QString& folder) {
    Scene s(folder, Scene::Base::Starter);
    s.save(s.program().launcher(), "launcher.png");
    s.program().elementDirectory().showWindow();
    s.save(s.program().elementDirectory(), "element_directory.png");
    s.program().coefficientDirectory().showWindow();
    s.save(s.program().coefficientDirectory(), "coefficient_directory.png");
    s.program().fertilizerDirectory().showWindow();
    s.save(s.program().fertilizerDirectory(), "fertilizer_directory.png");
    ConverterWindow& converter = s.program().converter();
    Find<QLineEdit>(converter, "Edit1").setText(QStringLiteral("5"));
    converter.showWindow();
    s.save(converter, "converter.png");
}

// Tomato with ten fertilizers of the starter library, fitted by the classic
// least squares (zinc sulfate, copper sulfate and sodium molybdate come out
// at 0 g/l): the stock concentrates, then, in a run of its own, the solution
// analysis and the calculator behind it.
const QStringList kMixingSet{"Кальциевая селитра",     "Калиевая селитра", "Монофосфат калия", "Сульфат магния",
                             "Хелат железа (Fe-EDTA)", "Сульфат марганца", "Сульфат цинка",    "Сульфат меди",
                             "Борная кислота",         "Молибдат натрия"};
const QString kClassicFit = QStringLiteral("UPDATE t_opt SET fit_mode = 0");

void TakeStockSolutions(const QString& folder) {
    Scene s(folder, Scene::Base::Starter, kClassicFit);
    s.openCalculator();
    s.add(kMixingSet);
    s.choose("N11"); // "Маточные растворы..." of the composition
    s.save(s.program().stockSolutions(), "stock_solutions.png");
}

void TakeAnalysis(const QString& folder) {
    Scene s(folder, Scene::Base::Starter, kClassicFit);
    s.openCalculator();
    s.add(kMixingSet);
    s.choose("N13"); // "Анализ раствора..."
    s.save(s.program().analysis(), "solution_analysis.png");
    s.save(s.calc(), "calculator.png");
}

// The tomato set of eleven starter fertilizers in the calculator at its
// default size, fitted by the grower's fit (the starter base's choice); then
// "Исходная вода", opened with the calculator's "...".
void TakeGrowerFit(const QString& folder) {
    Scene s(folder, Scene::Base::Starter);
    s.openCalculator();
    s.add({"Кальциевая селитра", "Калиевая селитра", "Монофосфат калия", "Сульфат магния", "Сульфат калия",
           "Хелат железа (Fe-EDTA)", "Сульфат марганца", "Сульфат цинка", "Сульфат меди", "Борная кислота",
           "Молибдат натрия"});
    s.save(s.calc(), "grower_fit.png");
    s.press(s.calc(), "WaterButton");
    s.save(s.program().waterProfiles(), "water_profiles.png");
}

// The tomato set with "Водопровод (пример)" given 183 mg/l of HCO3 and
// nitric acid to neutralise it: the acid's dose and its line. The
// calculator is widened so that the composition's names show beside its
// "мл/л".
void TakeAcid(const QString& folder) {
    Scene s(folder, Scene::Base::Starter,
            QStringLiteral("UPDATE t_opt SET id_water = 1, id_acid = (SELECT id_udobra FROM t_udobra"
                           " WHERE name_udobra = 'Азотная кислота 60 %');"
                           "INSERT INTO t_water_el (id_water, id_element, kol) SELECT 1, id_element, 183"
                           " FROM T_element WHERE Smallname_element = 'HCO3'"));
    s.openCalculator();
    s.calc().resize(s.calc().width() + 200, s.calc().height());
    s.calc().splitters()[0]->setPosition(s.calc().splitters()[0]->position() + 200);
    s.add({"Кальциевая селитра", "Калиевая селитра", "Монофосфат калия", "Сульфат магния", "Сульфат калия",
           "Хелат железа (Fe-EDTA)", "Сульфат марганца", "Сульфат цинка", "Сульфат меди", "Борная кислота",
           "Молибдат натрия"});
    s.save(s.calc(), "acid.png");
}

// Lettuce with twelve starter fertilizers at a grower's prices per kg: fitted
// by the grower's fit, then by the cheapest within the default 10 %, chosen
// in "Подбор:" as a grower does. The calculator is widened by the width of
// the column "Допуск, %" so that both show every column of the targets.
void TakeCheapestFit(const QString& folder) {
    Scene s(folder, Scene::Base::Starter,
            QStringLiteral("UPDATE t_udobra SET price = CASE name_udobra WHEN 'Кальциевая селитра' THEN 90"
                           " WHEN 'Калиевая селитра' THEN 180 WHEN 'Монофосфат калия' THEN 350"
                           " WHEN 'Сульфат магния' THEN 60 WHEN 'Сульфат калия' THEN 150"
                           " WHEN 'Аммиачная селитра' THEN 50 WHEN 'Хелат железа (Fe-EDTA)' THEN 1200"
                           " WHEN 'Сульфат марганца' THEN 250 WHEN 'Сульфат цинка' THEN 200"
                           " WHEN 'Сульфат меди' THEN 300 WHEN 'Борная кислота' THEN 150"
                           " WHEN 'Молибдат натрия' THEN 3000 END;"
                           "UPDATE t_opt SET fit_mode = 1,"
                           " id_kult_last = (SELECT id_kult FROM T_kult WHERE name_kult = 'Салат')"));
    s.openCalculator();
    s.calc().resize(s.calc().width() + 64, s.calc().height());
    s.add({"Кальциевая селитра", "Калиевая селитра", "Монофосфат калия", "Сульфат магния", "Сульфат калия",
           "Аммиачная селитра", "Хелат железа (Fe-EDTA)", "Сульфат марганца", "Сульфат цинка", "Сульфат меди",
           "Борная кислота", "Молибдат натрия"});
    s.save(s.calc(), "lettuce_grower_fit.png");
    auto& fit = Find<QComboBox>(s.calc(), "FitModeBox");
    fit.setCurrentIndex(fit.findData(2));
    emit fit.activated(fit.currentIndex());
    s.check();
    s.save(s.calc(), "lettuce_cheapest_fit.png");
}

// The calculator in colours of the options (amber, light steel blue, cream,
// light grey, sky blue, salmon, green; the record holds them as 0x00BBGGRR),
// with a saved solution and three lines in the composition.
void TakeColours(const QString& folder) {
    Scene s(folder, Scene::Base::Starter,
            QStringLiteral("UPDATE t_opt SET cl1 = %1, cl3 = %2, cl5 = %3, cl6 = %4, cl7 = %5, cl8 = %6, cl9 = %7;")
                    .arg(0x0080D0FF)
                    .arg(0x00F0D0B0)
                    .arg(0x00C0F0FF)
                    .arg(0x00E0E0E0)
                    .arg(0x00FFD8B0)
                    .arg(0x00B0C8FF)
                    .arg(0x00A0F0A0) +
                QStringLiteral("INSERT INTO t_head_rar (name_rar, id_konc, kol_l, konc) "
                               "SELECT 'Томат, рассада', min(id_kult), 10, 100 FROM T_kult;"
                               "INSERT INTO t_save_rar (id_udobra, kol, id_head_rar) "
                               "SELECT id_udobra, 0.25 * id_udobra, 1 FROM t_udobra WHERE id_udobra <= 4;"
                               "INSERT INTO t_rachet (id_udobra, kol) SELECT id_udobra, 0.5 FROM t_udobra "
                               "WHERE id_udobra <= 3;"));
    s.openCalculator();
    s.save(s.calc(), "calculator_colours.png");
}

// A small base of its own (four elements and an oxide, three fertilizers,
// one crop with three targets, every colour white or light grey) with two
// saved solutions: the first one chosen in the calculator, then the name
// dialog with a new name typed.
void TakeSavedSolutions(const QString& folder) {
    Scene s(folder, Scene::Base::Empty,
            QStringLiteral(
                "INSERT INTO T_element (id_element, Smallname_element, fullname_element, kof, id_kof) VALUES"
                " (1, 'N', 'Азот', 0, NULL), (2, 'P', 'Фосфор', 0, NULL), (3, 'K', 'Калий', 0, NULL),"
                " (4, 'K2O', 'Оксид калия', 1, 1), (5, 'Ca', 'Кальций', 0, NULL);"
                "INSERT INTO t_kof (id_kof, name_kof, kof, id_element) VALUES (1, 'K2O → K', 0.4, 3);"
                "INSERT INTO T_kult (id_kult, name_kult, ph) VALUES (1, 'Тест', '6.0');"
                "INSERT INTO t_opt (c11, c21, c22, c23, c24, c31, c32, c33, c34, c35, c36, c37, c38, c39,"
                " avto, ppm1, ppm2, kult, maxim) VALUES (1,1,1,1,1,1,1,1,1,1,1,1,1,1, 0, 1, 1, 1, 250);"
                "INSERT INTO t_udobra (id_udobra, name_udobra, ppm) VALUES"
                " (1, 'Азотное', 800), (2, 'Калийное', 1200), (3, 'Смесь', 500);"
                "INSERT INTO T_sostav_udobra (id_element, id_udobra, kol_element) VALUES"
                " (1, 1, 15), (4, 2, 50), (1, 3, 10), (2, 3, 20);"
                "INSERT INTO t_head_rar (id_head_rar, name_rar, id_konc, kol_l, konc) VALUES"
                " (1, 'Томат, рассада', 1, 10, 100), (2, 'Томат, плодоношение', 1, 1, 100);"
                "INSERT INTO t_save_rar (id_udobra, kol, id_head_rar) VALUES (1, 0.8, 1), (2, 0.6, 1), (3, 0.25, 1);"
                "INSERT INTO t_konc (vega, cvet, id_kult, id_el) VALUES"
                " (150, 180, 1, 1), (50, 60, 1, 2), (250, 300, 1, 3);"
                "UPDATE t_opt SET cl1 = 16777215, cl2 = 16777215, cl3 = 15790320, cl4 = 16777215, cl5 = 16777215,"
                " cl6 = 15790320, cl7 = 16777215, cl8 = 16777215, cl9 = 15790320, cl10 = 16777215, cl11 = 16777215,"
                " cl12 = 16777215, cl13 = 16777215, cl14 = 16777215;"));
    CalculatorWindow& calc = s.calc();
    calc.show();
    s.check();
    // A line of the first fertilizer typed into the composition.
    calc.runGuarded([&s] {
        DataSet& lines = s.data().composition;
        lines.append();
        lines.fieldByName(col::lines::fertilizer)->setAsInteger(1);
        lines.fieldByName(col::lines::amount)->setValue(0.5);
        lines.post();
    });
    s.check();
    Settle();
    ClickRow(Find<DBGrid>(calc, "dxDBGrid5"), 0);
    s.save(calc, "saved_solutions.png");
    s.press(calc, "Button5"); // "Сохранить"
    SolutionNameDialog& dialog = s.program().nameDialog();
    Find<QLineEdit>(dialog, "Edit1").setText(QStringLiteral("Огурец, вегетация"));
    s.save(dialog, "name_dialog.png");
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr,
                     "usage: %s FOLDER\n"
                     "Writes the pictures of the program's windows (docs/screenshots) into FOLDER.\n",
                     argc > 0 ? argv[0] : "solvane-screenshots");
        return 2;
    }
    // The growers' locale: a decimal comma, as the program shows numbers to them.
    qputenv("LANG", "ru_RU.UTF-8");
    qputenv("LC_ALL", "ru_RU.UTF-8");
    // No box of the program ever waits for an answer.
    qputenv("SOLVANE_DIALOGS", "headless");
    // Offscreen, on a screen large enough for every window's default size.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const QString screenConfig = UseLargeOffscreenScreen();
    if (screenConfig.isEmpty()) {
        std::fprintf(stderr, "solvane-screenshots: cannot write %s\n", qPrintable(LargeScreenConfigFile()));
        return 1;
    }
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    SetUpApplication();
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));

    const QString folder = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    int result = 0;
    try {
        if (!QDir().mkpath(folder))
            throw Error(QStringLiteral("cannot make the folder %1").arg(folder));
        for (void (*scene)(const QString&) : {TakeDirectories, TakeStockSolutions, TakeAnalysis, TakeGrowerFit,
                                              TakeAcid, TakeCheapestFit, TakeColours, TakeSavedSolutions})
            scene(folder);
    } catch (const Error& e) {
        std::fprintf(stderr, "solvane-screenshots: %s\n", qPrintable(e.message()));
        result = 1;
    }
    QFile::remove(screenConfig);
    return result;
}
