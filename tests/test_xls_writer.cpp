// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/solutions/xls_writer.h"
#include "core/error.h"
#include "support/file_size_limit.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>
#include <cmath>
#include <freexl.h>
#include <map>
#include <variant>

using namespace solvane;

namespace {

using Cell = std::variant<QString, double>;
using Sheet = std::map<std::pair<int, int>, Cell>; // (row, column) -> value

XlsWorkbook MakeWorkbook(const Sheet& sheet) {
    XlsWorkbook book;
    for (const auto& [at, value] : sheet) {
        if (const QString* text = std::get_if<QString>(&value))
            book.setText(at.first, at.second, *text);
        else
            book.setNumber(at.first, at.second, std::get<double>(value));
    }
    return book;
}

// Reads the file with libfreexl and compares every cell of its extent with the expected ones;
// the extent must end exactly at the last row and column. Returns the first difference.
QString CompareWithFile(const QString& path, const Sheet& expected, unsigned expectedStrings) {
    const void* handle = nullptr;
    const int opened = freexl_open(QFile::encodeName(path).constData(), &handle);
    struct Closer {
        const void* h;
        ~Closer() {
            if (h)
                freexl_close(h);
        }
    } closer{handle};
    if (opened != FREEXL_OK || !handle)
        return QStringLiteral("freexl_open: %1").arg(opened);
    unsigned biff = 0, sheets = 0, strings = 0;
    freexl_get_info(handle, FREEXL_BIFF_VERSION, &biff);
    freexl_get_info(handle, FREEXL_BIFF_SHEET_COUNT, &sheets);
    freexl_get_info(handle, FREEXL_BIFF_STRING_COUNT, &strings);
    if (biff != FREEXL_BIFF_VER_8 || sheets != 1 || strings != expectedStrings)
        return QStringLiteral("BIFF %1, %2 sheets, %3 strings").arg(biff).arg(sheets).arg(strings);
    if (freexl_select_active_worksheet(handle, 0) != FREEXL_OK)
        return QStringLiteral("no worksheet");
    unsigned rows = 0;
    unsigned short columns = 0;
    freexl_worksheet_dimensions(handle, &rows, &columns);
    int lastRow = -1, lastColumn = -1;
    for (const auto& cell : expected) {
        lastRow = std::max(lastRow, cell.first.first);
        lastColumn = std::max(lastColumn, cell.first.second);
    }
    if (int(rows) != lastRow + 1 || int(columns) != lastColumn + 1)
        return QStringLiteral("extent %1 x %2").arg(rows).arg(columns);

    for (unsigned row = 0; row < rows; ++row) {
        for (unsigned short column = 0; column < columns; ++column) {
            FreeXL_CellValue value;
            if (freexl_get_cell_value(handle, row, column, &value) != FREEXL_OK)
                return QStringLiteral("cell %1,%2 unreadable").arg(row).arg(column);
            const auto it = expected.find({int(row), int(column)});
            const QString where = QStringLiteral("cell %1,%2: ").arg(row).arg(column);
            if (it == expected.end()) {
                if (value.type != FREEXL_CELL_NULL)
                    return where + QStringLiteral("should be empty");
            } else if (const QString* text = std::get_if<QString>(&it->second); text && text->isEmpty()) {
                if (value.type != FREEXL_CELL_NULL)
                    return where + QStringLiteral("should be blank");
            } else if (text) {
                if (value.type != FREEXL_CELL_SST_TEXT || QString::fromUtf8(value.value.text_value) != *text)
                    return where + QStringLiteral("text differs");
            } else {
                const double number = std::get<double>(it->second);
                const bool same = value.type == FREEXL_CELL_DOUBLE ? value.value.double_value == number
                                  : value.type == FREEXL_CELL_INT  ? value.value.int_value == number
                                                                   : false;
                if (!same)
                    return where + QStringLiteral("number differs");
            }
        }
    }
    return QString();
}

quint32 U32(const QByteArray& file, qsizetype at) {
    return qFromLittleEndian<quint32>(file.constData() + at);
}

// Checks the compound document as a strict reader would: the FAT sectors listed in the header and
// in the chain of DIFAT sectors are marked FATSECT, DIFAT sectors DIFSECT; the directory and the
// Workbook stream chains end with ENDOFCHAIN after as many sectors as their size needs, and the
// stream is not below the mini-stream cutoff. Returns the first problem.
QString CheckContainer(const QString& path, bool expectDifat = false) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return f.errorString();
    const QByteArray file = f.readAll();
    if (!file.startsWith(QByteArray::fromHex("D0CF11E0A1B11AE1")) || file.size() % 512 != 0)
        return QStringLiteral("not a compound document of whole sectors");
    const auto sector = [](quint32 id) { return 512 + qsizetype(id) * 512; };
    std::vector<quint32> fatSectors, difatSectors;
    for (int i = 0; i < 109; ++i)
        fatSectors.push_back(U32(file, 0x4C + 4 * i));
    for (quint32 d = U32(file, 0x44); d != 0xFFFFFFFE; d = U32(file, sector(d) + 508)) {
        if (difatSectors.size() > U32(file, 0x48) || sector(d) >= file.size())
            return QStringLiteral("DIFAT chain does not end");
        difatSectors.push_back(d);
        for (int k = 0; k < 127; ++k)
            fatSectors.push_back(U32(file, sector(d) + 4 * k));
    }
    if (difatSectors.size() != U32(file, 0x48) || expectDifat != !difatSectors.empty())
        return QStringLiteral("%1 DIFAT sectors").arg(difatSectors.size());
    fatSectors.resize(U32(file, 0x2C));
    std::vector<quint32> fat;
    for (quint32 id : fatSectors)
        for (int k = 0; k < 128; ++k)
            fat.push_back(U32(file, sector(id) + 4 * k));
    for (quint32 id : fatSectors)
        if (fat.at(id) != 0xFFFFFFFD)
            return QStringLiteral("FAT sector %1 not marked").arg(id);
    for (quint32 id : difatSectors)
        if (fat.at(id) != 0xFFFFFFFC)
            return QStringLiteral("DIFAT sector %1 not marked").arg(id);
    const auto chainLength = [&](quint32 id) {
        quint32 length = 0;
        for (; id != 0xFFFFFFFE; id = fat[id])
            if (id >= fat.size() || ++length > fat.size())
                return 0u; // leaves the FAT or loops
        return length;
    };
    const quint32 directory = U32(file, 0x30);
    const qsizetype workbook = sector(directory) + 128; // the entry after the root
    const quint32 size = U32(file, workbook + 120);
    if (chainLength(directory) != 1 ||
        QString::fromUtf16(reinterpret_cast<const char16_t*>(file.constData() + workbook), 8) !=
            QStringLiteral("Workbook") ||
        size < 4096 || chainLength(U32(file, workbook + 116)) != (size + 511) / 512)
        return QStringLiteral("directory or stream chain wrong");
    return QString();
}

} // namespace

class XlsWriterTest : public QObject {
    Q_OBJECT
private:
    QTemporaryDir dir_;
    QString path(const QString& name) const { return dir_.filePath(name); }

    // Saves the sheet, reads it back and compares every cell.
    void roundTrip(const Sheet& sheet, unsigned distinctTexts,
                   const QString& name = QStringLiteral("Состав р-ра.xls")) {
        MakeWorkbook(sheet).save(path(name));
        const QString difference = CompareWithFile(path(name), sheet, distinctTexts);
        QVERIFY2(difference.isEmpty(), qPrintable(difference));
    }

private slots:
    void initTestCase() { QVERIFY(dir_.isValid()); }

    void smallSheetWithGapsAndRepeatedTexts() {
        Sheet sheet;
        const QStringList header = {QStringLiteral("Название"), QStringLiteral("Кол-во г/л."),
                                    QStringLiteral("Кол-во г./2л.")};
        for (int c = 0; c < header.size(); ++c)
            sheet[{0, c}] = header[c];
        sheet[{1, 0}] = QStringLiteral("Кальциевая селитра");
        sheet[{1, 1}] = 1.5;
        sheet[{1, 2}] = 3.0;
        sheet[{2, 0}] = QStringLiteral("Кальциевая селитра"); // the same shared string twice
        sheet[{2, 1}] = -0.356;
        sheet[{2, 2}] = 1e20;
        sheet[{3, 1}] = 0.0;       // row without a name
        sheet[{4, 0}] = QString(); // an empty cell
        sheet[{4, 4}] = 1.0 / 3.0; // beyond the header's columns
        sheet[{5, XlsWorkbook::MaxColumns - 1}] = QStringLiteral("последний столбец");
        roundTrip(sheet, 5);
    }

    void laterValueReplacesCell() {
        XlsWorkbook book;
        book.setText(0, 0, QStringLiteral("старое"));
        book.setNumber(0, 0, 7.25);
        book.setNumber(0, 1, 1);
        book.setText(0, 1, QStringLiteral("новое"));
        book.save(path(QStringLiteral("replace.xls")));
        const Sheet sheet = {{{0, 0}, 7.25}, {{0, 1}, QStringLiteral("новое")}};
        const QString difference = CompareWithFile(path(QStringLiteral("replace.xls")), sheet, 1);
        QVERIFY2(difference.isEmpty(), qPrintable(difference));
    }

    void headerOnlyAndEmptySheets() {
        roundTrip({{{0, 0}, QStringLiteral("Элемент")},
                   {{0, 1}, QStringLiteral("Необходимость (Введите)")},
                   {{0, 2}, QStringLiteral("Расчёт")}},
                  3, QStringLiteral("Концентрация р-ра.xls"));
        // A workbook without cells is still a valid, empty file.
        XlsWorkbook().save(path(QStringLiteral("empty.xls")));
        const void* handle = nullptr;
        QCOMPARE(freexl_open(QFile::encodeName(path(QStringLiteral("empty.xls"))).constData(), &handle), FREEXL_OK);
        QVERIFY(handle);
        freexl_close(handle);
    }

    void namesWithQuotesPercentAndMixedScripts() {
        const QStringList names = {QStringLiteral("Кальциевая селитра \"Yara\" 15,5% N"),
                                   QStringLiteral("Mg(NO3)2 'magnesium' 100%"),
                                   QStringLiteral("%1 %s %d %% \\n"),
                                   QStringLiteral("Ёё «ёлка» — Zn-EDTA"),
                                   QStringLiteral("tab\there"),
                                   QString::fromUtf8("\xF0\x9F\x8C\xB1 росток")}; // beyond the BMP
        Sheet sheet;
        for (int r = 0; r < names.size(); ++r) {
            sheet[{r, 0}] = names[r];
            sheet[{r, 1}] = r + 0.5;
        }
        roundTrip(sheet, unsigned(names.size()));
    }

    // 5,000 distinct names need far more than one record of shared strings.
    void thousandsOfRowsContinueTheStringTable() {
        Sheet sheet = {{{0, 0}, QStringLiteral("Название")}, {{0, 1}, QStringLiteral("Кол-во г/л.")}};
        for (int r = 1; r <= 5000; ++r) {
            sheet[{r, 0}] = QStringLiteral("Удобрение № %1").arg(r);
            sheet[{r, 1}] = r * 0.001;
        }
        roundTrip(sheet, 5002);
    }

    // 255-character strings fall across record boundaries at every possible offset, their
    // characters continued in the next record; a long one fills most of a record of its own.
    void longStrings() {
        Sheet sheet;
        for (int r = 0; r < 100; ++r) {
            QString text = QStringLiteral("%1 ").arg(r);
            while (text.size() < 255)
                text += r % 2 ? QLatin1Char('x') : QChar(0x0436);
            sheet[{r, 0}] = text;
        }
        sheet[{100, 0}] = QString(5000, QChar(0x044F));
        roundTrip(sheet, 101);
    }

    // 65,536 rows of numbers make a stream of 7 MB: more FAT sectors than the header can list.
    void fullHeightSheetNeedsDifatSectors() {
        Sheet sheet;
        for (int r = 0; r < XlsWorkbook::MaxRows; ++r)
            for (int c = 0; c < 7; ++c)
                sheet[{r, c}] = r + c / 8.0;
        sheet[{XlsWorkbook::MaxRows - 1, 7}] = QStringLiteral("последняя");
        roundTrip(sheet, 1, QStringLiteral("big.xls"));
        const QString problem = CheckContainer(path(QStringLiteral("big.xls")), true);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }

    void containerChains() {
        for (int rows : {1, 3000}) {
            XlsWorkbook book;
            for (int r = 0; r < rows; ++r)
                book.setNumber(r, 0, r);
            book.save(path(QStringLiteral("chains.xls")));
            const QString problem = CheckContainer(path(QStringLiteral("chains.xls")));
            QVERIFY2(problem.isEmpty(), qPrintable(problem));
        }
    }

    void nonFiniteNumbersKeepOtherCells() {
        XlsWorkbook book;
        book.setText(0, 0, QStringLiteral("Расчёт"));
        book.setNumber(1, 0, std::nan(""));
        book.setNumber(2, 0, INFINITY);
        book.setNumber(3, 0, 2.5);
        book.save(path(QStringLiteral("nan.xls")));
        const void* handle = nullptr;
        QCOMPARE(freexl_open(QFile::encodeName(path(QStringLiteral("nan.xls"))).constData(), &handle), FREEXL_OK);
        QVERIFY(handle);
        FreeXL_CellValue value;
        QCOMPARE(freexl_select_active_worksheet(handle, 0), FREEXL_OK);
        QCOMPARE(freexl_get_cell_value(handle, 3, 0, &value), FREEXL_OK);
        QCOMPARE(value.type, FREEXL_CELL_DOUBLE);
        QCOMPARE(value.value.double_value, 2.5);
        freexl_close(handle);
    }

    void rejectsCellsOutsideTheSheet() {
        XlsWorkbook book;
        for (auto [row, column] : {std::pair{-1, 0}, {0, -1}, {XlsWorkbook::MaxRows, 0}, {0, XlsWorkbook::MaxColumns}})
            QVERIFY_THROWS_EXCEPTION(Error, book.setNumber(row, column, 1));
        QVERIFY_THROWS_EXCEPTION(Error, book.setText(0, 0, QString(XlsWorkbook::MaxTextLength + 1, QLatin1Char('a'))));
    }

    void secondSaveReplacesTheFile() {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("Состав р-ра.xls"));
        Sheet big;
        for (int r = 0; r < 2000; ++r)
            big[{r, 0}] = QStringLiteral("строка %1").arg(r);
        MakeWorkbook(big).save(file);
        const Sheet small = {{{0, 0}, QStringLiteral("Название")}, {{1, 0}, 42.0}};
        MakeWorkbook(small).save(file);
        const QString difference = CompareWithFile(file, small, 1);
        QVERIFY2(difference.isEmpty(), qPrintable(difference));
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList{QStringLiteral("Состав р-ра.xls")});
    }

    // Failures that stop even root: a directory in the file's place, a missing directory.
    void unwritableFileThrowsAndWritesNothing() {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("Состав р-ра.xls")));
        const QString inPlace = dir.filePath(QStringLiteral("Состав р-ра.xls"));
        const QString missing = dir.filePath(QStringLiteral("нет/Концентрация р-ра.xls"));
        XlsWorkbook book;
        book.setText(0, 0, QStringLiteral("Название"));
        for (const QString& file : {inPlace, missing}) {
            try {
                book.save(file);
                QFAIL(qPrintable(file));
            } catch (const Error& e) {
                const QString start = QStringLiteral("Не удалось создать файл «%1»: ").arg(file);
                QVERIFY2(e.message().startsWith(start), qPrintable(e.message()));
                QVERIFY2(e.message().size() > start.size() + 1 && e.message().endsWith(QLatin1Char('.')) &&
                             !e.message().endsWith(QStringLiteral("..")),
                         qPrintable(e.message()));
            }
        }
        QVERIFY(QFileInfo(inPlace).isDir());
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList{QStringLiteral("Состав р-ра.xls")});
        QVERIFY(QDir(inPlace).isEmpty());

        // A disk that takes no more bytes: the file written before stays whole.
        const QString earlier = dir.filePath(QStringLiteral("Концентрация р-ра.xls"));
        book.save(earlier);
        book.setText(1, 0, QStringLiteral("Другое"));
        try {
            const test::FileSizeLimit full(512);
            book.save(earlier);
            QFAIL("saved beyond the limit");
        } catch (const Error& e) {
            QCOMPARE(e.message(),
                     QStringLiteral("Не удалось создать файл «%1»: превышен допустимый размер файла.").arg(earlier));
        }
        const QString difference = CompareWithFile(earlier, {{{0, 0}, QStringLiteral("Название")}}, 1);
        QVERIFY2(difference.isEmpty(), qPrintable(difference));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("Концентрация р-ра.xls")});
    }
};

QTEST_GUILESS_MAIN(XlsWriterTest)
#include "test_xls_writer.moc"
