// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/db_grid.h"
#include "controls/splitter.h"
#include "core/error.h"
#include "core/number_text.h"
#include "large_screen.h"
#include "support/file_size_limit.h"
#include "support/program_fixture.h"
#include "windows/calculator/calculator_window.h"
#include "windows/calculator/solution_analysis_window.h"
#include "windows/calculator/stock_solutions_window.h"
#include "windows/directories/water_profiles_window.h"
#include "windows/directories/element_directory.h"
#include "windows/directories/fertilizer_directory.h"
#include "windows/settings/window_sizes.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QPushButton>
#include <QRandomGenerator>
#include <QScreen>
#include <QWindow>
#include <QtTest>
#include <array>
#include <map>

using namespace solvane;
using test::Child;

namespace {

const QByteArray kDefaults =
    "0\r\n0\r\n0\r\n630\r\n465\r\n603\r\n627\r\n738\r\n936\r\n230\r\n577\r\n355\r\n258\r\n307\r\n416\r\n";

// Writes size.ini whole; false when it cannot.
bool writeSizeFile(const QByteArray& bytes) {
    QFile file(QStringLiteral("size.ini"));
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

QByteArray readSizeFile() {
    QFile file(QStringLiteral("size.ini"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A size file from fifteen values (or fewer, for a short file).
QByteArray sizeFile(const QList<QByteArray>& lines) {
    QByteArray bytes;
    for (const QByteArray& l : lines)
        bytes += l + "\r\n";
    return bytes;
}

QList<QByteArray> defaultLines() {
    QList<QByteArray> lines = kDefaults.split('\n');
    lines.removeLast();
    for (QByteArray& l : lines)
        l.chop(1);
    return lines;
}

// The nine window values and six splitter positions in the file's order of lines 4 to 15.
QList<int> appliedValues(Program& p) {
    const QSize e = p.elementDirectory().outerSize(), f = p.fertilizerDirectory().outerSize(),
                c = p.calculator().outerSize();
    const auto splitters = p.calculator().splitters();
    return {e.height(),
            e.width(),
            f.height(),
            f.width(),
            c.height(),
            c.width(),
            p.fertilizerDirectory().listSplitter()->position(),
            splitters[0]->position(),
            splitters[1]->position(),
            splitters[2]->position(),
            splitters[3]->position(),
            splitters[4]->position()};
}

QList<int> defaultValues() {
    return {630, 465, 603, 627, 738, 936, 230, 577, 355, 258, 307, 416};
}

bool maximized(const Form& form) {
    return form.windowState() & Qt::WindowMaximized;
}

int openDescriptors() {
    return static_cast<int>(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System).size());
}

// The launcher's buttons.
constexpr const char* kElements = "RzButton3";
constexpr const char* kFertilizers = "RzButton1";
constexpr const char* kCalculator = "RzButton2";

// A program on the starter base in a fresh working directory, started by
// begin() after an optional size file is written.
struct Session : test::ProgramFixture {
    // Writes the size file when one is given, then starts the program (the
    // launcher shown); false when the file cannot be written.
    bool begin(const QByteArray& sizes = QByteArray()) {
        if (!sizes.isNull() && !writeSizeFile(sizes))
            return false;
        start();
        return true;
    }
    Program& p() { return program(); }
    CalculatorWindow& calc() { return program().calculator(); }
    FertilizerDirectory& fertilizers() { return program().fertilizerDirectory(); }
    ElementDirectory& elements() { return program().elementDirectory(); }
    std::array<Form*, 3> remembered() { return {&fertilizers(), &elements(), &calc()}; }
    RememberedWindows windows() { return program().rememberedWindows(); }
    QStringList messages() const { return messageTexts(); }
    // A click on one of the launcher's buttons; false when there is no such button.
    bool click(const char* button) {
        QPushButton* b = Child<QPushButton>(program().launcher(), QString::fromLatin1(button));
        if (!b)
            return false;
        QTest::mouseClick(b, Qt::LeftButton);
        return true;
    }
};

} // namespace

class WindowSizesTest : public QObject {
    Q_OBJECT
private slots:
    // The stock concentrates, the analysis and the water profiles open where
    // they were last closed, in this run and the next; windows.ini beside
    // base.mdb holds their places, size.ini keeps its fifteen lines, and a
    // windows.ini that makes no sense opens them centred without a word.
    void theMixingAndWaterWindowsKeepTheirPlaceInWindowsIni() {
        Session s;
        QVERIFY(s.begin());
        QVERIFY(s.click(kCalculator));
        const auto open = [&s](const char* window) -> Form* {
            const QString name = QString::fromLatin1(window);
            if (name == QLatin1String("WaterProfilesWindow")) {
                QTest::mouseClick(Child<QPushButton>(s.calc(), QStringLiteral("WaterButton")), Qt::LeftButton);
                return &s.p().waterProfiles();
            }
            auto* item = Child<QAction>(s.calc(), name == QLatin1String("F_Analysis") ? "N13" : "N11");
            if (item)
                item->trigger();
            return name == QLatin1String("F_Analysis") ? static_cast<Form*>(&s.p().analysis())
                                                       : static_cast<Form*>(&s.p().stockSolutions());
        };
        const std::array<const char*, 3> windows = {"F_StockSolutions", "F_Analysis", "WaterProfilesWindow"};
        std::map<QString, QRect> placed;
        int shift = 0;
        for (const char* window : windows) {
            Form* form = open(window);
            QVERIFY(form && form->isVisible());
            shift += 40;
            const QRect place(60 + shift, 50 + shift, form->width() + shift, form->height() - 20);
            form->resize(place.size());
            form->move(place.topLeft());
            placed[QString::fromLatin1(window)] = QRect(form->pos(), form->size());
            QVERIFY(form->close());
            form = open(window);
            QCOMPARE(QRect(form->pos(), form->size()), placed[QString::fromLatin1(window)]);
            QVERIFY(form->close());
        }
        QVERIFY(QFile::exists(QStringLiteral("windows.ini")));
        QCOMPARE(readSizeFile().count('\n'), 15);

        s.stop();
        QVERIFY(s.begin());
        QVERIFY(s.click(kCalculator));
        for (const char* window : windows) {
            Form* form = open(window);
            QCOMPARE(QRect(form->pos(), form->size()), placed[QString::fromLatin1(window)]);
            QVERIFY(form->close());
        }

        // Nonsense: no place, the window as it would open without the file.
        s.stop();
        QFile ini(QStringLiteral("windows.ini"));
        QVERIFY(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ini.write("[F_StockSolutions]\r\nx=abc\r\ny=-99999999999\r\nwidth=0\r\n\x00\xff[F_Analysis\r\nheight=5\r\n");
        ini.close();
        QVERIFY(s.begin());
        QVERIFY(s.click(kCalculator));
        for (const char* window : windows) {
            Form* form = open(window);
            const QRect available = form->screen()->availableGeometry();
            QVERIFY(available.contains(QRect(form->pos(), form->size())));
            QVERIFY(form->width() >= form->minimumSizeHint().width());
        }
        QVERIFY(s.messages().isEmpty());
    }

    void aMissingFileIsCreatedWithTheDefaultsAndApplied() {
        Session s;
        QVERIFY(s.begin());
        QVERIFY(s.messages().isEmpty());
        QCOMPARE(readSizeFile(), kDefaults);
        // Applied to the hidden windows, and shown as applied.
        for (Form* f : s.remembered())
            QVERIFY(!f->isVisible() && !maximized(*f));
        // Saved as they were applied, while still hidden.
        SaveSizes(s.windows());
        QCOMPARE(readSizeFile(), kDefaults);
        QVERIFY(s.click(kElements));
        QVERIFY(s.click(kFertilizers));
        QVERIFY(s.click(kCalculator));
        QVERIFY(s.calc().isVisible());
        QCOMPARE(appliedValues(s.p()), defaultValues());
        QVERIFY(s.messages().isEmpty());
    }

    void onlyTheFirstFourCharactersOfALineCount() {
        QList<QByteArray> lines = defaultLines();
        lines[8] = "12345";   // calculator width: 1234
        lines[7] = "0700 px"; // calculator height: 700
        lines[5] = "-1234";   // fertilizer height: -123, no size: the default
        lines[14] = "0399x";  // splitter 5: 399
        Session s;
        QVERIFY(s.begin(sizeFile(lines)));
        QVERIFY2(s.messages().isEmpty(), qPrintable(s.messages().join('\n')));
        QVERIFY(s.click(kCalculator));
        QCOMPARE(s.calc().outerSize(), QSize(1234, 700));
        QCOMPARE(s.calc().splitters()[4]->position(), 399);
        QVERIFY(s.click(kFertilizers));
        QCOMPARE(s.fertilizers().outerSize().height(), 603);
        // An unchanged save writes what was applied, whole.
        SaveSizes(s.windows());
        QList<QByteArray> saved = readSizeFile().split('\n');
        QCOMPARE(saved.size(), 16);
        QCOMPARE(saved.at(8), QByteArray("1234\r"));
        QCOMPARE(saved.at(7), QByteArray("700\r"));
    }

    void lineEndsMayBeLfOrCrAndAByteOrderMarkIsIgnored() {
        QList<QByteArray> lines = defaultLines();
        lines[0] = "1";
        lines[8] = "1000";
        for (const QByteArray& bytes : {QByteArray("\xEF\xBB\xBF") + lines.join("\n"), lines.join("\r"),
                                        lines.join("\r\n"), lines.join("\n\r")}) {
            Session s;
            QVERIFY(s.begin(bytes));
            if (bytes.contains("\n\r")) {
                // LF then CR is two line ends: every other line is empty and
                // falls back to its default; the windows open all the same.
                QVERIFY(s.messages().isEmpty());
                QVERIFY(s.click(kCalculator));
                QVERIFY(s.calc().isVisible());
                continue;
            }
            QVERIFY2(s.messages().isEmpty(), qPrintable(s.messages().join('\n')));
            QVERIFY(maximized(s.elements()));
            QVERIFY(s.click(kCalculator));
            QCOMPARE(s.calc().outerSize().width(), 1000);
        }
    }

    void onlyAOneAloneMaximizesAndAZeroNeverRestores() {
        QList<QByteArray> lines = defaultLines();
        lines[0] = "1 ";
        lines[1] = "1";
        lines[2] = "+1";
        Session s;
        QVERIFY(s.begin(sizeFile(lines)));
        QVERIFY(!maximized(s.elements()));
        QVERIFY(maximized(s.fertilizers()));
        QVERIFY(!maximized(s.calc()));
        QVERIFY(s.click(kFertilizers));
        QVERIFY(s.fertilizers().isVisible() && maximized(s.fertilizers()));

        // Maximized during the run: a "0" in the file leaves it maximized.
        s.calc().showWindow();
        s.calc().setWindowState(Qt::WindowMaximized);
        QTRY_VERIFY(maximized(s.calc()));
        const QSize whileMaximized = s.calc().outerSize();
        QVERIFY(writeSizeFile(kDefaults));
        QVERIFY(s.click(kElements));
        QVERIFY(s.messages().isEmpty());
        QVERIFY(maximized(s.fertilizers()));
        QVERIFY(maximized(s.calc()));
        // Its size is not changed while it is maximized; the others are.
        QCOMPARE(s.calc().outerSize(), whileMaximized);
        QCOMPARE(s.elements().outerSize(), QSize(465, 630));

        // Saved as maximized, and maximized again at the next start.
        SaveSizes(s.windows());
        const QList<QByteArray> saved = readSizeFile().split('\n');
        QCOMPARE(saved.mid(0, 3), (QList<QByteArray>{"0\r", "1\r", "1\r"}));
        const QByteArray file = readSizeFile();
        s.stop();
        s.start();
        QVERIFY(maximized(s.fertilizers()) && maximized(s.calc()) && !maximized(s.elements()));
        QVERIFY(s.click(kCalculator));
        QVERIFY(s.calc().isVisible() && s.calc().isMaximized());
        QCOMPARE(readSizeFile(), file);
    }

    void aLauncherButtonResetsTheCalculatorToItsSavedSize() {
        Session s;
        QVERIFY(s.begin());
        QVERIFY(s.click(kCalculator));
        CalculatorWindow& calc = s.calc();
        calc.resize(700, 500);
        calc.splitters()[0]->setPosition(300);
        calc.splitters()[4]->setPosition(200);
        QVERIFY(appliedValues(s.p()) != defaultValues());
        // Any of the three buttons reloads all three windows.
        QVERIFY(s.click(kElements));
        QVERIFY(calc.isVisible());
        QCOMPARE(calc.outerSize(), QSize(936, 738));
        QCOMPARE(appliedValues(s.p()).mid(7), defaultValues().mid(7));
        SaveSizes(s.windows());
        QCOMPARE(readSizeFile(), kDefaults);
        QVERIFY(s.messages().isEmpty());
    }

    void closingAWindowSavesAndReloadsTheSizes() {
        Session s;
        QVERIFY(s.begin());
        QVERIFY(s.click(kCalculator));
        QVERIFY(s.click(kElements));
        CalculatorWindow& calc = s.calc();
        calc.resize(calc.size() + QSize(40, 30));
        calc.splitters()[1]->setPosition(340);
        const QSize resized = calc.outerSize();
        s.elements().resize(s.elements().size() + QSize(10, 20));
        const QSize elements = s.elements().outerSize();
        calc.close();
        QVERIFY2(s.messages().isEmpty(), qPrintable(s.messages().join('\n')));
        QVERIFY(!calc.isVisible());
        const QList<QByteArray> saved = readSizeFile().split('\n');
        QCOMPARE(saved.size(), 16);
        QCOMPARE(saved.at(3), QByteArray::number(elements.height()) + '\r');
        QCOMPARE(saved.at(4), QByteArray::number(elements.width()) + '\r');
        QCOMPARE(saved.at(7), QByteArray::number(resized.height()) + '\r');
        QCOMPARE(saved.at(8), QByteArray::number(resized.width()) + '\r');
        QCOMPARE(saved.at(11), QByteArray("340\r"));
        // Shown again at the size it was closed with.
        QVERIFY(s.click(kCalculator));
        QCOMPARE(calc.outerSize(), resized);
        QCOMPARE(calc.splitters()[1]->position(), 340);
    }

    // A calculator squeezed far below its minimum (as a window manager may
    // force it) and enlarged again gets its panes back: no pane stays below
    // the minimum its contents need, the target grid shows three rows at
    // least, and the splitters return to where they were.
    void squeezedPanesRecover() {
        Session s;
        QVERIFY(s.begin());
        CalculatorWindow& c = s.calc();
        QVERIFY(s.click(kCalculator));
        QVERIFY(QTest::qWaitForWindowExposed(&c));
        const QList<int> before = appliedValues(s.p()).mid(7);
        c.resize(200, 150); // the window's minimum holds
        QVERIFY(c.width() >= c.minimumSizeHint().width() && c.height() >= c.minimumSizeHint().height());
        c.windowHandle()->resize(200, 150);
        QTRY_COMPARE(c.size(), QSize(200, 150));
        c.resize(936, 738);
        QTRY_COMPARE(c.size(), QSize(936, 738));
        QCOMPARE(appliedValues(s.p()).mid(7), before);
        const DBGrid* targets = Child<DBGrid>(c, "dxDBGrid3");
        QVERIFY(targets);
        const int row = targets->verticalHeader()->defaultSectionSize();
        QVERIFY(targets->viewport()->height() >= 3 * row);
        for (Splitter* splitter : c.findChildren<Splitter*>())
            for (int i = 0; i < splitter->count(); ++i) {
                const QWidget* pane = splitter->widget(i);
                const QSize least = pane->minimumSizeHint();
                QVERIFY2(splitter->orientation() == Qt::Horizontal ? pane->width() >= least.width()
                                                                   : pane->height() >= least.height(),
                         qPrintable(splitter->objectName()));
            }
    }

    void closingTheLauncherWritesNothing() {
        Session s;
        QVERIFY(s.begin());
        QVERIFY(s.click(kCalculator));
        s.calc().resize(500, 400);
        s.p().launcher().close();
        QCOMPARE(readSizeFile(), kDefaults);
    }

    // A line that holds no integer, or a size no window can take, falls back
    // to its default; every other value is applied and the window opens.
    void anUnreadableValueFallsBackToItsDefault() {
        Session s;
        QVERIFY(s.begin());
        QVERIFY(s.click(kElements));
        QVERIFY(s.click(kFertilizers));
        QList<QByteArray> lines = defaultLines();
        lines[3] = "700";
        lines[6] = "800";
        lines[7] = "7x0"; // calculator height
        lines[8] = "900";
        QVERIFY(writeSizeFile(sizeFile(lines)));
        const int fd = openDescriptors();
        QVERIFY(s.click(kCalculator));
        QVERIFY(s.messages().isEmpty());
        QVERIFY(s.calc().isVisible());
        QCOMPARE(s.elements().outerSize().height(), 700);
        QCOMPARE(s.fertilizers().outerSize().width(), 800);
        QCOMPARE(s.calc().outerSize(), QSize(900, 738));
        // The file was released: a save rewrites it whole, with the values in use.
        QCOMPARE(openDescriptors(), fd);
        SaveSizes(s.windows());
        QCOMPARE(readSizeFile().split('\n').at(7), QByteArray("738\r"));

        // A short file, "1e9" for a width and a negative splitter position:
        // their defaults.
        lines = defaultLines().mid(0, 8);
        lines[4] = "1e9";
        lines << "936"
              << "-50";
        QVERIFY(writeSizeFile(sizeFile(lines)));
        LoadSizes(s.windows());
        QVERIFY(s.messages().isEmpty());
        QCOMPARE(s.elements().outerSize(), QSize(465, 630));
        QCOMPARE(s.fertilizers().listSplitter()->position(), 230);
        QCOMPARE(s.calc().splitters()[4]->position(), 416);
    }

    void aFileThatCannotBeReadOrWrittenIsReported() {
        Session s;
        QVERIFY(s.begin());
        QVERIFY(s.click(kFertilizers));
        QVERIFY(s.fertilizers().isVisible());
        // A directory in the file's place can be neither opened nor written, even by root.
        QVERIFY(QFile::remove(QStringLiteral("size.ini")));
        QVERIFY(QDir().mkdir(QStringLiteral("size.ini")));
        s.fertilizers().close();
        QVERIFY(s.fertilizers().isVisible());
        QCOMPARE(s.messages().size(), 1);
        QVERIFY2(s.messages().at(0).contains(QStringLiteral("size.ini")), qPrintable(s.messages().at(0)));
        QVERIFY(s.data().crops.isActive()); // the close stopped before the data sets were closed

        s.p().messages().clearShown();
        QVERIFY(s.click(kCalculator));
        QCOMPARE(s.messages().size(), 1);
        QVERIFY(s.messages().at(0).contains(QStringLiteral("size.ini")));
        QVERIFY(!s.calc().isVisible());

        // Once the file can be written again, the close goes through.
        QVERIFY(QDir().rmdir(QStringLiteral("size.ini")));
        s.fertilizers().close();
        QVERIFY(!s.fertilizers().isVisible());
        QCOMPARE(readSizeFile().split('\n').size(), 16);
    }

    // A disk that takes no more bytes (a file-size limit here, which stops
    // writes even for root): neither saving nor creating the file leaves an
    // empty or partial one behind; the old file stays as it was. The failure
    // names the file and the reason, and once there is room the file is
    // written as usual.
    void aWriteThatFailsLeavesTheFileWhole() {
        Session s;
        QVERIFY(s.begin());
        FertilizerDirectory& fertilizers = s.fertilizers();
        QVERIFY(s.click(kFertilizers));
        QVERIFY(fertilizers.isVisible());
        fertilizers.resize(fertilizers.width() + 40, fertilizers.height());
        const QStringList before = QDir().entryList(QDir::Files);
        {
            const test::FileSizeLimit full(8);
            fertilizers.close();
        }
        QVERIFY(fertilizers.isVisible());
        QCOMPARE(readSizeFile(), kDefaults);
        QCOMPARE(QDir().entryList(QDir::Files), before);
        QCOMPARE(s.messages().size(), 1);
        const QString shown = QDir::toNativeSeparators(QDir().absoluteFilePath(QStringLiteral("size.ini")));
        QCOMPARE(s.messages().at(0),
                 QStringLiteral("Не удалось записать файл «%1»: превышен допустимый размер файла.").arg(shown));

        // No file: creating it fails the same way, and no file is left.
        s.p().messages().clearShown();
        QVERIFY(QFile::remove(QStringLiteral("size.ini")));
        {
            const test::FileSizeLimit full(0);
            QVERIFY(s.click(kElements));
        }
        QVERIFY(!s.elements().isVisible());
        QVERIFY(!QFile::exists(QStringLiteral("size.ini")));
        QCOMPARE(s.messages().size(), 1);
        QVERIFY(s.messages().at(0).startsWith(QStringLiteral("Не удалось записать файл «%1»: ").arg(shown)));

        // With room again: created with the defaults, then saved.
        QVERIFY(s.click(kElements));
        QVERIFY(s.elements().isVisible());
        QCOMPARE(readSizeFile(), kDefaults);
        fertilizers.resize(fertilizers.width() + 40, fertilizers.height()); // the button applied the saved size
        fertilizers.close();
        QVERIFY(!fertilizers.isVisible());
        QCOMPARE(ParseInteger(QString::fromLatin1(readSizeFile().split('\n').at(6).trimmed())), 627 + 40);
        QCOMPARE(s.messages().size(), 1);
    }

    void sizesThatWouldMakeAWindowUnusableAreKeptUsable() {
        QList<QByteArray> lines = defaultLines();
        lines[3] = "0";    // element directory height
        lines[4] = "-5";   // its width
        lines[5] = "9999"; // fertilizer directory height
        lines[6] = "9999"; // its width
        lines[9] = "-50";  // fertilizer splitter
        Session s;
        QVERIFY(s.begin(sizeFile(lines)));
        QVERIFY(s.messages().isEmpty());
        QVERIFY(s.click(kElements));
        QVERIFY(s.click(kFertilizers));
        const QRect screen = s.fertilizers().screen()->availableGeometry();
        for (Form* f : {static_cast<Form*>(&s.fertilizers()), static_cast<Form*>(&s.elements())}) {
            const QRect frame = f->frameGeometry();
            QVERIFY2(screen.contains(frame), qPrintable(f->objectName()));
            QVERIFY(f->width() >= f->minimumSizeHint().width() && f->height() >= f->minimumSizeHint().height());
            QVERIFY(f->width() >= 100 && f->height() >= 100);
        }
        QCOMPARE(s.fertilizers().outerSize(), screen.size());
        QVERIFY(s.fertilizers().listSplitter()->position() >= 0);

        // A visible window made larger is kept on the screen.
        s.elements().move(screen.right() - 300, screen.bottom() - 300);
        QVERIFY(writeSizeFile(sizeFile(defaultLines())));
        QVERIFY(s.click(kElements));
        QVERIFY(screen.contains(s.elements().frameGeometry()));
        QCOMPARE(s.elements().outerSize(), QSize(465, 630));
    }

    // Generated files of every kind never crash LoadSizes, never keep the
    // file open, and always end with usable windows.
    void loadingArbitraryFilesAlwaysEndsInUsableWindows() {
        Session s;
        QVERIFY(s.begin());
        Program& p = s.p();
        QRandomGenerator random(20240607);
        const QList<QByteArray> valid = defaultLines();
        const QList<QByteArray> ends = {"\r\n", "\n", "\r", ""};
        const QList<QByteArray> pieces = {"0",
                                          "1",
                                          "-",
                                          "+",
                                          " ",
                                          "\t",
                                          "12",
                                          "99999999999999",
                                          "-0",
                                          "x",
                                          "\xD0\xBF",
                                          QByteArray(1, '\0'),
                                          "\x1A",
                                          "2147483648",
                                          "-2147483649",
                                          "00",
                                          "\xF0\x9F\x8C\xB1",
                                          "\xBF"};
        const int fd = openDescriptors();
        int applied = 0;
        for (int round = 0; round < 3000; ++round) {
            QByteArray bytes;
            const int kind = round % 6;
            if (kind == 0) { // random bytes
                const int n = random.bounded(200);
                for (int i = 0; i < n; ++i)
                    bytes += static_cast<char>(random.bounded(256));
            } else if (kind == 1) { // one long line, no line ends
                bytes = QByteArray(random.bounded(1, 20000), "0123456789"[random.bounded(10)]);
            } else { // fifteen lines or about, with some lines damaged
                const int count = random.bounded(12, 18);
                const QByteArray end = kind == 2 ? QByteArray("\n") : ends.at(random.bounded(ends.size() - 1));
                for (int i = 0; i < count; ++i) {
                    QByteArray line = valid.at(i % valid.size());
                    if (random.bounded(20) == 0) {
                        line.clear();
                        for (int k = random.bounded(1, 4); k > 0; --k)
                            line += pieces.at(random.bounded(pieces.size()));
                    }
                    if (kind == 3 && random.bounded(15) == 0)
                        line += QByteArray(random.bounded(5000), '7');
                    bytes += line + (random.bounded(40) == 0 ? ends.at(random.bounded(ends.size())) : end);
                }
            }
            QVERIFY(writeSizeFile(bytes));

            try {
                LoadSizes(p.rememberedWindows());
                ++applied;
                for (Form* f : s.remembered()) {
                    QVERIFY(f->width() > 0 && f->height() > 0);
                    QVERIFY(f->outerSize().width() <= test::kScreenWidth || maximized(*f));
                }
            } catch (const Error& e) {
                QFAIL(qPrintable(QStringLiteral("round %1: %2").arg(round).arg(e.message())));
            }
            if (round % 500 == 0) {
                for (Form* f : s.remembered())
                    f->setWindowState(Qt::WindowNoState);
            }
        }
        QCOMPARE(openDescriptors(), fd);
        SaveSizes(p.rememberedWindows());
        QCOMPARE(readSizeFile().split('\n').size(), 16);
        QCOMPARE(applied, 3000);
    }
};

SOLVANE_LARGE_SCREEN_TEST_MAIN(WindowSizesTest)
#include "test_window_sizes.moc"
