#include "controls/db_grid.h"
#include "app/launcher_form.h"
#include "app/program.h"
#include "windows/calculator/calculator_form.h"
#include "controls/splitter.h"
#include "windows/directories/element_form.h"
#include "windows/directories/fertilizer_form.h"
#include "large_screen.h"
#include "windows/settings/window_sizes.h"
#include "core/error.h"
#include "core/number_text.h"
#include "support/file_size_limit.h"
#include "support/test_dir.h"
#include "store/starter_database.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QRandomGenerator>
#include <QHeaderView>
#include <QScreen>
#include <QWindow>
#include <QtTest>
#include <memory>

using namespace solvane;

namespace {

const QByteArray kDefaults =
    "0\r\n0\r\n0\r\n630\r\n465\r\n603\r\n627\r\n738\r\n936\r\n230\r\n577\r\n355\r\n258\r\n307\r\n416\r\n";

void writeSizeFile(const QByteArray& bytes) {
    QFile file(QStringLiteral("size.ini"));
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
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
    const QSize e = p.Form3->outerSize(), f = p.Form2->outerSize(), c = p.Form4->outerSize();
    return {e.height(),
            e.width(),
            f.height(),
            f.width(),
            c.height(),
            c.width(),
            p.Form2->RzSplitter1->position(),
            p.Form4->RzSplitter1->position(),
            p.Form4->RzSplitter2->position(),
            p.Form4->RzSplitter3->position(),
            p.Form4->RzSplitter4->position(),
            p.Form4->RzSplitter5->position()};
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

// A started program in a fresh working directory: the starter database, an
// optional size file, and the launcher shown.
struct Session {
    test::WorkingDirectory dir;
    std::unique_ptr<Program> program;

    explicit Session(const QByteArray& sizes = QByteArray()) {
        CreateStarterDatabase(QStringLiteral("base.mdb"));
        if (!sizes.isNull())
            writeSizeFile(sizes);
        program = std::make_unique<Program>();
        program->messages().setMode(MessageService::Mode::Headless);
        program->quit = [] {};
        program->Form1->show();
    }
    Program& p() { return *program; }
    QStringList messages() const {
        QStringList texts;
        for (const ShownMessage& m : program->messages().shown())
            texts << m.text;
        return texts;
    }
};

} // namespace

class WindowSizesTest : public QObject {
    Q_OBJECT
private slots:
    void aMissingFileIsCreatedWithTheDefaultsAndApplied() {
        Session s;
        QVERIFY(s.messages().isEmpty());
        QCOMPARE(readSizeFile(), kDefaults);
        // Applied to the hidden windows, and shown as applied.
        for (Form* f : {static_cast<Form*>(s.p().Form2.get()), static_cast<Form*>(s.p().Form3.get()),
                        static_cast<Form*>(s.p().Form4.get())})
            QVERIFY(!f->isVisible() && !maximized(*f));
        // Saved as they were applied, while still hidden.
        SaveSizes(s.p());
        QCOMPARE(readSizeFile(), kDefaults);
        QTest::mouseClick(s.p().Form1->RzButton3, Qt::LeftButton);
        QTest::mouseClick(s.p().Form1->RzButton1, Qt::LeftButton);
        QTest::mouseClick(s.p().Form1->RzButton2, Qt::LeftButton);
        QVERIFY(s.p().Form4->isVisible());
        QCOMPARE(appliedValues(s.p()), defaultValues());
        QVERIFY(s.messages().isEmpty());
    }

    void onlyTheFirstFourCharactersOfALineCount() {
        QList<QByteArray> lines = defaultLines();
        lines[8] = "12345";   // calculator width: 1234
        lines[7] = "0700 px"; // calculator height: 700
        lines[5] = "-1234";   // fertilizer height: -123, no size: the default
        lines[14] = "0399x";  // splitter 5: 399
        Session s(sizeFile(lines));
        QVERIFY2(s.messages().isEmpty(), qPrintable(s.messages().join('\n')));
        QTest::mouseClick(s.p().Form1->RzButton2, Qt::LeftButton);
        QCOMPARE(s.p().Form4->outerSize(), QSize(1234, 700));
        QCOMPARE(s.p().Form4->RzSplitter5->position(), 399);
        QTest::mouseClick(s.p().Form1->RzButton1, Qt::LeftButton);
        QCOMPARE(s.p().Form2->outerSize().height(), 603);
        // An unchanged save writes what was applied, whole.
        SaveSizes(s.p());
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
            Session s(bytes);
            if (bytes.contains("\n\r")) {
                // LF then CR is two line ends: every other line is empty and
                // falls back to its default; the windows open all the same.
                QVERIFY(s.messages().isEmpty());
                QTest::mouseClick(s.p().Form1->RzButton2, Qt::LeftButton);
                QVERIFY(s.p().Form4->isVisible());
                continue;
            }
            QVERIFY2(s.messages().isEmpty(), qPrintable(s.messages().join('\n')));
            QVERIFY(maximized(*s.p().Form3));
            QTest::mouseClick(s.p().Form1->RzButton2, Qt::LeftButton);
            QCOMPARE(s.p().Form4->outerSize().width(), 1000);
        }
    }

    void onlyAOneAloneMaximizesAndAZeroNeverRestores() {
        QList<QByteArray> lines = defaultLines();
        lines[0] = "1 ";
        lines[1] = "1";
        lines[2] = "+1";
        Session s(sizeFile(lines));
        QVERIFY(!maximized(*s.p().Form3));
        QVERIFY(maximized(*s.p().Form2));
        QVERIFY(!maximized(*s.p().Form4));
        QTest::mouseClick(s.p().Form1->RzButton1, Qt::LeftButton);
        QVERIFY(s.p().Form2->isVisible() && maximized(*s.p().Form2));

        // Maximized during the run: a "0" in the file leaves it maximized.
        s.p().Form4->showWindow();
        s.p().Form4->setWindowState(Qt::WindowMaximized);
        QTRY_VERIFY(maximized(*s.p().Form4));
        const QSize whileMaximized = s.p().Form4->outerSize();
        writeSizeFile(kDefaults);
        QTest::mouseClick(s.p().Form1->RzButton3, Qt::LeftButton);
        QVERIFY(s.messages().isEmpty());
        QVERIFY(maximized(*s.p().Form2));
        QVERIFY(maximized(*s.p().Form4));
        // Its size is not changed while it is maximized; the others are.
        QCOMPARE(s.p().Form4->outerSize(), whileMaximized);
        QCOMPARE(s.p().Form3->outerSize(), QSize(465, 630));

        // Saved as maximized, and maximized again at the next start.
        SaveSizes(s.p());
        const QList<QByteArray> saved = readSizeFile().split('\n');
        QCOMPARE(saved.mid(0, 3), (QList<QByteArray>{"0\r", "1\r", "1\r"}));
        const QByteArray file = readSizeFile();
        s.program.reset();
        s.program = std::make_unique<Program>();
        s.p().messages().setMode(MessageService::Mode::Headless);
        s.p().Form1->show();
        QVERIFY(maximized(*s.p().Form2) && maximized(*s.p().Form4) && !maximized(*s.p().Form3));
        QTest::mouseClick(s.p().Form1->RzButton2, Qt::LeftButton);
        QVERIFY(s.p().Form4->isVisible() && s.p().Form4->isMaximized());
        QCOMPARE(readSizeFile(), file);
    }

    void aLauncherButtonResetsTheCalculatorToItsSavedSize() {
        Session s;
        QTest::mouseClick(s.p().Form1->RzButton2, Qt::LeftButton);
        TForm4& calc = *s.p().Form4;
        calc.resize(700, 500);
        calc.RzSplitter1->setPosition(300);
        calc.RzSplitter5->setPosition(200);
        QVERIFY(appliedValues(s.p()) != defaultValues());
        // Any of the three buttons reloads all three windows.
        QTest::mouseClick(s.p().Form1->RzButton3, Qt::LeftButton);
        QVERIFY(calc.isVisible());
        QCOMPARE(calc.outerSize(), QSize(936, 738));
        QCOMPARE(appliedValues(s.p()).mid(7), defaultValues().mid(7));
        SaveSizes(s.p());
        QCOMPARE(readSizeFile(), kDefaults);
        QVERIFY(s.messages().isEmpty());
    }

    void closingAWindowSavesAndReloadsTheSizes() {
        Session s;
        QTest::mouseClick(s.p().Form1->RzButton2, Qt::LeftButton);
        QTest::mouseClick(s.p().Form1->RzButton3, Qt::LeftButton);
        TForm4& calc = *s.p().Form4;
        calc.resize(calc.size() + QSize(40, 30));
        calc.RzSplitter2->setPosition(300);
        const QSize resized = calc.outerSize();
        s.p().Form3->resize(s.p().Form3->size() + QSize(10, 20));
        const QSize elements = s.p().Form3->outerSize();
        calc.close();
        QVERIFY2(s.messages().isEmpty(), qPrintable(s.messages().join('\n')));
        QVERIFY(!calc.isVisible());
        const QList<QByteArray> saved = readSizeFile().split('\n');
        QCOMPARE(saved.size(), 16);
        QCOMPARE(saved.at(3), QByteArray::number(elements.height()) + '\r');
        QCOMPARE(saved.at(4), QByteArray::number(elements.width()) + '\r');
        QCOMPARE(saved.at(7), QByteArray::number(resized.height()) + '\r');
        QCOMPARE(saved.at(8), QByteArray::number(resized.width()) + '\r');
        QCOMPARE(saved.at(11), QByteArray("300\r"));
        // Shown again at the size it was closed with.
        QTest::mouseClick(s.p().Form1->RzButton2, Qt::LeftButton);
        QCOMPARE(calc.outerSize(), resized);
        QCOMPARE(calc.RzSplitter2->position(), 300);
    }

    // A calculator squeezed far below its minimum (as a window manager may
    // force it) and enlarged again gets its panes back: no pane stays below
    // the minimum its contents need, the target grid shows three rows at
    // least, and the splitters return to where they were.
    void squeezedPanesRecover() {
        Session s;
        TForm4& c = *s.p().Form4;
        QTest::mouseClick(s.p().Form1->RzButton2, Qt::LeftButton);
        QVERIFY(QTest::qWaitForWindowExposed(&c));
        const QList<int> before = appliedValues(s.p()).mid(7);
        c.resize(200, 150); // the window's minimum holds
        QVERIFY(c.width() >= c.minimumSizeHint().width() && c.height() >= c.minimumSizeHint().height());
        c.windowHandle()->resize(200, 150);
        QTRY_COMPARE(c.size(), QSize(200, 150));
        c.resize(936, 738);
        QTRY_COMPARE(c.size(), QSize(936, 738));
        QCOMPARE(appliedValues(s.p()).mid(7), before);
        const int row = c.dxDBGrid3->verticalHeader()->defaultSectionSize();
        QVERIFY(c.dxDBGrid3->viewport()->height() >= 3 * row);
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
        QTest::mouseClick(s.p().Form1->RzButton2, Qt::LeftButton);
        s.p().Form4->resize(500, 400);
        s.p().Form1->close();
        QCOMPARE(readSizeFile(), kDefaults);
    }

    // A line that holds no integer, or a size no window can take, falls back
    // to its default; every other value is applied and the window opens.
    void anUnreadableValueFallsBackToItsDefault() {
        Session s;
        QTest::mouseClick(s.p().Form1->RzButton3, Qt::LeftButton);
        QTest::mouseClick(s.p().Form1->RzButton1, Qt::LeftButton);
        QList<QByteArray> lines = defaultLines();
        lines[3] = "700";
        lines[6] = "800";
        lines[7] = "7x0"; // calculator height
        lines[8] = "900";
        writeSizeFile(sizeFile(lines));
        const int fd = openDescriptors();
        QTest::mouseClick(s.p().Form1->RzButton2, Qt::LeftButton);
        QVERIFY(s.messages().isEmpty());
        QVERIFY(s.p().Form4->isVisible());
        QCOMPARE(s.p().Form3->outerSize().height(), 700);
        QCOMPARE(s.p().Form2->outerSize().width(), 800);
        QCOMPARE(s.p().Form4->outerSize(), QSize(900, 738));
        // The file was released: a save rewrites it whole, with the values in use.
        QCOMPARE(openDescriptors(), fd);
        SaveSizes(s.p());
        QCOMPARE(readSizeFile().split('\n').at(7), QByteArray("738\r"));

        // A short file, "1e9" for a width and a negative splitter position:
        // their defaults.
        lines = defaultLines().mid(0, 8);
        lines[4] = "1e9";
        lines << "936"
              << "-50";
        writeSizeFile(sizeFile(lines));
        LoadSizes(s.p());
        QVERIFY(s.messages().isEmpty());
        QCOMPARE(s.p().Form3->outerSize(), QSize(465, 630));
        QCOMPARE(s.p().Form2->RzSplitter1->position(), 230);
        QCOMPARE(s.p().Form4->RzSplitter5->position(), 416);
    }

    void aFileThatCannotBeReadOrWrittenIsReported() {
        Session s;
        QTest::mouseClick(s.p().Form1->RzButton1, Qt::LeftButton);
        QVERIFY(s.p().Form2->isVisible());
        // A directory in the file's place can be neither opened nor written, even by root.
        QVERIFY(QFile::remove(QStringLiteral("size.ini")));
        QVERIFY(QDir().mkdir(QStringLiteral("size.ini")));
        s.p().Form2->close();
        QVERIFY(s.p().Form2->isVisible());
        QCOMPARE(s.messages().size(), 1);
        QVERIFY2(s.messages().at(0).contains(QStringLiteral("size.ini")), qPrintable(s.messages().at(0)));
        QVERIFY(s.p().Form4->ADOTable3.isActive()); // the close stopped before the data sets were closed

        s.p().messages().clearShown();
        QTest::mouseClick(s.p().Form1->RzButton2, Qt::LeftButton);
        QCOMPARE(s.messages().size(), 1);
        QVERIFY(s.messages().at(0).contains(QStringLiteral("size.ini")));
        QVERIFY(!s.p().Form4->isVisible());

        // Once the file can be written again, the close goes through.
        QVERIFY(QDir().rmdir(QStringLiteral("size.ini")));
        s.p().Form2->close();
        QVERIFY(!s.p().Form2->isVisible());
        QCOMPARE(readSizeFile().split('\n').size(), 16);
    }

    // A disk that takes no more bytes (a file-size limit here, which stops
    // writes even for root): neither saving nor creating the file leaves an
    // empty or partial one behind; the old file stays as it was. The failure
    // names the file and the reason, and once there is room the file is
    // written as usual.
    void aWriteThatFailsLeavesTheFileWhole() {
        Session s;
        TForm2& fertilizers = *s.p().Form2;
        QTest::mouseClick(s.p().Form1->RzButton1, Qt::LeftButton);
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
            QTest::mouseClick(s.p().Form1->RzButton3, Qt::LeftButton);
        }
        QVERIFY(!s.p().Form3->isVisible());
        QVERIFY(!QFile::exists(QStringLiteral("size.ini")));
        QCOMPARE(s.messages().size(), 1);
        QVERIFY(s.messages().at(0).startsWith(QStringLiteral("Не удалось записать файл «%1»: ").arg(shown)));

        // With room again: created with the defaults, then saved.
        QTest::mouseClick(s.p().Form1->RzButton3, Qt::LeftButton);
        QVERIFY(s.p().Form3->isVisible());
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
        Session s(sizeFile(lines));
        QVERIFY(s.messages().isEmpty());
        QTest::mouseClick(s.p().Form1->RzButton3, Qt::LeftButton);
        QTest::mouseClick(s.p().Form1->RzButton1, Qt::LeftButton);
        const QRect screen = s.p().Form2->screen()->availableGeometry();
        for (Form* f : {static_cast<Form*>(s.p().Form2.get()), static_cast<Form*>(s.p().Form3.get())}) {
            const QRect frame = f->frameGeometry();
            QVERIFY2(screen.contains(frame), qPrintable(f->objectName()));
            QVERIFY(f->width() >= f->minimumSizeHint().width() && f->height() >= f->minimumSizeHint().height());
            QVERIFY(f->width() >= 100 && f->height() >= 100);
        }
        QCOMPARE(s.p().Form2->outerSize(), screen.size());
        QVERIFY(s.p().Form2->RzSplitter1->position() >= 0);

        // A visible window made larger is kept on the screen.
        s.p().Form3->move(screen.right() - 300, screen.bottom() - 300);
        writeSizeFile(sizeFile(defaultLines()));
        QTest::mouseClick(s.p().Form1->RzButton3, Qt::LeftButton);
        QVERIFY(screen.contains(s.p().Form3->frameGeometry()));
        QCOMPARE(s.p().Form3->outerSize(), QSize(465, 630));
    }

    // Generated files of every kind never crash LoadSizes, never keep the
    // file open, and always end with usable windows.
    void loadingArbitraryFilesAlwaysEndsInUsableWindows() {
        Session s;
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
            writeSizeFile(bytes);

            try {
                LoadSizes(p);
                ++applied;
                for (Form* f : {static_cast<Form*>(p.Form2.get()), static_cast<Form*>(p.Form3.get()),
                                static_cast<Form*>(p.Form4.get())}) {
                    QVERIFY(f->width() > 0 && f->height() > 0);
                    QVERIFY(f->outerSize().width() <= test::kScreenWidth || maximized(*f));
                }
            } catch (const Error& e) {
                QFAIL(qPrintable(QStringLiteral("round %1: %2").arg(round).arg(e.message())));
            }
            if (round % 500 == 0) {
                for (Form* f : {static_cast<Form*>(p.Form2.get()), static_cast<Form*>(p.Form3.get()),
                                static_cast<Form*>(p.Form4.get())})
                    f->setWindowState(Qt::WindowNoState);
            }
        }
        QCOMPARE(openDescriptors(), fd);
        SaveSizes(p);
        QCOMPARE(readSizeFile().split('\n').size(), 16);
        QCOMPARE(applied, 3000);
    }
};

SOLVANE_LARGE_SCREEN_TEST_MAIN(WindowSizesTest)
#include "test_window_sizes.moc"
