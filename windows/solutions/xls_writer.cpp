// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/solutions/xls_writer.h"

#include "core/error.h"
#include "core/file_io.h"

#include <QDir>
#include <QHash>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace solvane {
namespace {

// BIFF8 record types.
enum : unsigned {
    RecEof = 0x000A,
    RecCalcCount = 0x000C,
    RecCalcMode = 0x000D,
    RecPrecision = 0x000E,
    RecRefMode = 0x000F,
    RecDelta = 0x0010,
    RecIteration = 0x0011,
    RecDateMode = 0x0022,
    RecFont = 0x0031,
    RecWindow1 = 0x003D,
    RecContinue = 0x003C,
    RecCodePage = 0x0042,
    RecDefColWidth = 0x0055,
    RecWriteAccess = 0x005C,
    RecSaveRecalc = 0x005F,
    RecWsBool = 0x0081,
    RecBoundSheet = 0x0085,
    RecMms = 0x00C1,
    RecBookBool = 0x00DA,
    RecXf = 0x00E0,
    RecInterfaceHdr = 0x00E1,
    RecInterfaceEnd = 0x00E2,
    RecSst = 0x00FC,
    RecLabelSst = 0x00FD,
    RecExtSst = 0x00FF,
    RecTabId = 0x013D,
    RecUsesElfs = 0x0160,
    RecDsf = 0x0161,
    RecDimensions = 0x0200,
    RecBlank = 0x0201,
    RecNumber = 0x0203,
    RecBoolErr = 0x0205,
    RecDefaultRowHeight = 0x0225,
    RecWindow2 = 0x023E,
    RecStyle = 0x0293,
    RecBof = 0x0809,
};

constexpr int MaxRecordData = 8224;    // payload limit of a BIFF8 record
constexpr unsigned CellXf = 15;        // the XF after the 15 built-in style XFs
constexpr unsigned Utf16Flag = 0x01;   // string flags: characters are 16-bit, no rich text
constexpr unsigned NumError = 0x24;    // error code of #NUM!
constexpr int MiniStreamCutoff = 4096; // smaller streams would belong in the mini stream
constexpr quint32 SectorSize = 512;    // compound document version 3
constexpr quint32 IdsPerSector = SectorSize / 4;
constexpr quint32 HeaderDifatIds = 109;
constexpr quint32 FreeSect = 0xFFFFFFFF;
constexpr quint32 EndOfChain = 0xFFFFFFFE;
constexpr quint32 FatSect = 0xFFFFFFFD;
constexpr quint32 DifSect = 0xFFFFFFFC;
constexpr quint32 NoStream = 0xFFFFFFFF;

// A little-endian byte buffer.
class Bytes {
public:
    void u8(unsigned v) { data_.append(char(v & 0xFF)); }
    void u16(unsigned v) {
        u8(v);
        u8(v >> 8);
    }
    void u32(quint32 v) {
        u16(v & 0xFFFF);
        u16(v >> 16);
    }
    void f64(double v) {
        quint64 bits;
        std::memcpy(&bits, &v, sizeof bits);
        u32(quint32(bits));
        u32(quint32(bits >> 32));
    }
    void utf16(const QString& text, int from, int count) {
        for (int i = from; i < from + count; ++i)
            u16(text.at(i).unicode());
    }
    void latin1(const char* text) { data_.append(text); }
    void zeros(qsizetype count) { data_.append(count, '\0'); }
    void append(const QByteArray& bytes) { data_.append(bytes); }
    void patchU32(int at, quint32 v) {
        for (int i = 0; i < 4; ++i)
            data_[at + i] = char((v >> (8 * i)) & 0xFF);
    }
    int size() const { return int(data_.size()); }
    const QByteArray& data() const { return data_; }

private:
    QByteArray data_;
};

void AppendRecord(Bytes& stream, unsigned type, const Bytes& body = Bytes()) {
    stream.u16(type);
    stream.u16(unsigned(body.size()));
    stream.append(body.data());
}

void AppendU16Record(Bytes& stream, unsigned type, unsigned value) {
    Bytes body;
    body.u16(value);
    AppendRecord(stream, type, body);
}

void AppendBof(Bytes& stream, unsigned substream) {
    Bytes body;
    body.u16(0x0600); // BIFF8
    body.u16(substream);
    body.u16(0x0DBB); // build and year of the writing application, as Excel 97 gives them
    body.u16(0x07CC);
    body.u32(0);
    body.u32(0x06); // lowest BIFF version that can read the file
    AppendRecord(stream, RecBof, body);
}

// The shared string table holds every distinct non-empty text once. A record carries at most 8224 bytes, so
// the table goes on in CONTINUE records: a string's 3-byte header is never split, while a long
// string's characters may be, the continued part opening with its own flags byte. EXTSST then
// gives the position of every perBucket-th string.
void AppendSst(Bytes& stream, const std::vector<const QString*>& strings, quint32 textCells) {
    Bytes record;
    unsigned type = RecSst;
    record.u32(textCells);
    record.u32(quint32(strings.size()));
    const quint32 perBucket = std::max<quint32>(8, quint32(strings.size() / 128 + 1));
    Bytes ext;
    ext.u16(perBucket);
    const auto flush = [&] {
        AppendRecord(stream, type, record);
        record = Bytes();
        type = RecContinue;
    };
    for (std::size_t i = 0; i < strings.size(); ++i) {
        const QString& text = *strings[i];
        const int length = int(text.size());
        if (record.size() + 3 + (length > 0 ? 2 : 0) > MaxRecordData)
            flush();
        if (i % perBucket == 0) {
            ext.u32(quint32(stream.size() + 4 + record.size())); // stream position of the string
            ext.u16(unsigned(4 + record.size()));                // its offset in the record, header included
            ext.u16(0);
        }
        record.u16(unsigned(length));
        record.u8(Utf16Flag);
        for (int done = 0;;) {
            const int count = std::min((MaxRecordData - record.size()) / 2, length - done);
            record.utf16(text, done, count);
            done += count;
            if (done == length)
                break;
            flush();
            record.u8(Utf16Flag);
        }
    }
    flush();
    AppendRecord(stream, RecExtSst, ext);
}

// The workbook globals: the records Excel expects before the sheet (code page UTF-16, one window,
// four fonts, the 15 style XFs and the cell XF, the Normal style), the sheet's BOUNDSHEET and the
// strings. Returns the stream position of BOUNDSHEET's sheet offset, which the caller fills in.
int AppendGlobals(Bytes& stream, const std::vector<const QString*>& strings, quint32 textCells) {
    AppendBof(stream, 0x0005);
    AppendU16Record(stream, RecInterfaceHdr, 0x04B0);
    AppendU16Record(stream, RecMms, 0);
    AppendRecord(stream, RecInterfaceEnd);

    Bytes access; // user name, space-padded to the fixed record size
    access.u16(7);
    access.u8(0);
    access.latin1("Solvane");
    while (access.size() < 112)
        access.u8(' ');
    AppendRecord(stream, RecWriteAccess, access);

    AppendU16Record(stream, RecCodePage, 0x04B0);
    AppendU16Record(stream, RecDsf, 0);
    AppendU16Record(stream, RecTabId, 1);

    Bytes window;
    window.u16(0); // position
    window.u16(0);
    window.u16(0x4000); // size in twips
    window.u16(0x2000);
    window.u16(0x0038); // horizontal and vertical scroll bars, sheet tabs
    window.u16(0);      // active sheet
    window.u16(0);      // first visible tab
    window.u16(1);      // selected sheets
    window.u16(600);    // tab bar width ratio, in 1/1000
    AppendRecord(stream, RecWindow1, window);

    AppendU16Record(stream, RecDateMode, 0); // 1900 date system
    AppendU16Record(stream, RecPrecision, 1);
    AppendU16Record(stream, RecBookBool, 0);

    // Font index 4 does not exist in BIFF, so readers expect at least the four below it.
    for (int i = 0; i < 4; ++i) {
        Bytes font;
        font.u16(200);    // 10 pt, in twips
        font.u16(0);      // no italic, strike-out...
        font.u16(0x7FFF); // automatic colour
        font.u16(400);    // normal weight
        font.u16(0);      // no super- or subscript
        font.u8(0);       // no underline
        font.u8(0);       // family
        font.u8(0);       // character set
        font.u8(0);
        font.u8(5);
        font.u8(0); // 8-bit characters
        font.latin1("Arial");
        AppendRecord(stream, RecFont, font);
    }

    // XF 0 is the Normal style, 1–14 the other built-in styles, 15 the format of every cell.
    for (unsigned i = 0; i <= CellXf; ++i) {
        const bool style = i < CellXf;
        Bytes xf;
        xf.u16(0);                           // font
        xf.u16(0);                           // number format "General"
        xf.u16(style ? 0xFFF5 : 0x0001);     // locked; a style XF has no parent (0xFFF), a cell XF has XF 0
        xf.u8(0x20);                         // general horizontal, bottom vertical alignment
        xf.u8(0);                            // no rotation
        xf.u8(0);                            // no indent
        xf.u8(style && i > 0 ? 0xF4 : 0x00); // attributes the style leaves alone / all taken from Normal
        xf.u16(0);                           // no borders
        xf.u16(0);
        xf.u32(0);
        xf.u16(0x20C0); // pattern colours: system foreground and background
        AppendRecord(stream, RecXf, xf);
    }

    Bytes normal;
    normal.u16(0x8000); // built-in style on XF 0
    normal.u8(0);       // "Normal"
    normal.u8(0xFF);
    AppendRecord(stream, RecStyle, normal);
    AppendU16Record(stream, RecUsesElfs, 0);

    static const QString sheetName = QStringLiteral("Лист1");
    Bytes sheet;
    sheet.u32(0); // stream position of the sheet's BOF, known after layout
    sheet.u8(0);  // visible
    sheet.u8(0);  // worksheet
    sheet.u8(unsigned(sheetName.size()));
    sheet.u8(Utf16Flag);
    sheet.utf16(sheetName, 0, int(sheetName.size()));
    const int sheetOffsetAt = stream.size() + 4;
    AppendRecord(stream, RecBoundSheet, sheet);

    AppendSst(stream, strings, textCells);
    AppendRecord(stream, RecEof);
    return sheetOffsetAt;
}

// A cell record begins with the row, the column and the XF.
Bytes CellHeader(unsigned key) {
    Bytes body;
    body.u16(key / XlsWorkbook::MaxColumns);
    body.u16(key % XlsWorkbook::MaxColumns);
    body.u16(CellXf);
    return body;
}

// The Workbook stream: globals, then the worksheet with its cells in row-major order.
template <typename Cells> QByteArray WorkbookStream(const Cells& cells) {
    std::vector<const QString*> strings;
    QHash<QString, quint32> stringIndex;
    quint32 textCells = 0;
    for (const auto& [key, value] : cells) {
        if (const QString* text = std::get_if<QString>(&value); text && !text->isEmpty()) {
            ++textCells;
            if (!stringIndex.contains(*text)) {
                stringIndex.insert(*text, quint32(strings.size()));
                strings.push_back(text);
            }
        }
    }

    Bytes stream;
    const int sheetOffsetAt = AppendGlobals(stream, strings, textCells);
    stream.patchU32(sheetOffsetAt, quint32(stream.size()));

    AppendBof(stream, 0x0010);
    AppendU16Record(stream, RecCalcMode, 1); // automatic
    AppendU16Record(stream, RecCalcCount, 100);
    AppendU16Record(stream, RecRefMode, 1); // A1 references
    AppendU16Record(stream, RecIteration, 0);
    Bytes delta;
    delta.f64(0.001);
    AppendRecord(stream, RecDelta, delta);
    AppendU16Record(stream, RecSaveRecalc, 1);
    Bytes rowHeight;
    rowHeight.u16(0);
    rowHeight.u16(0x00FF); // in twips
    AppendRecord(stream, RecDefaultRowHeight, rowHeight);
    AppendU16Record(stream, RecWsBool, 0x04C1);
    AppendU16Record(stream, RecDefColWidth, 8);

    // The used range, first row and column to last plus one; readers take it as the sheet's extent.
    quint32 firstRow = 0, lastRow = 0, firstColumn = 0, lastColumn = 0;
    if (!cells.empty()) {
        firstRow = cells.begin()->first / XlsWorkbook::MaxColumns;
        lastRow = cells.rbegin()->first / XlsWorkbook::MaxColumns + 1;
        firstColumn = XlsWorkbook::MaxColumns;
        for (const auto& cell : cells) {
            firstColumn = std::min(firstColumn, cell.first % XlsWorkbook::MaxColumns);
            lastColumn = std::max(lastColumn, cell.first % XlsWorkbook::MaxColumns + 1);
        }
    }
    Bytes dimensions;
    dimensions.u32(firstRow);
    dimensions.u32(lastRow);
    dimensions.u16(firstColumn);
    dimensions.u16(lastColumn);
    dimensions.u16(0);
    AppendRecord(stream, RecDimensions, dimensions);

    for (const auto& [key, value] : cells) {
        Bytes cell = CellHeader(key);
        if (const QString* text = std::get_if<QString>(&value)) {
            if (text->isEmpty()) {
                AppendRecord(stream, RecBlank, cell); // readers reject empty shared strings
            } else {
                cell.u32(stringIndex.value(*text));
                AppendRecord(stream, RecLabelSst, cell);
            }
        } else if (const double number = std::get<double>(value); std::isfinite(number)) {
            cell.f64(number);
            AppendRecord(stream, RecNumber, cell);
        } else {
            cell.u8(NumError);
            cell.u8(1); // an error value, not a boolean
            AppendRecord(stream, RecBoolErr, cell);
        }
    }

    Bytes window;
    window.u16(0x06B6); // gridlines, headers, zeros, default header colour, outline, selected, active
    window.u16(0);      // top row
    window.u16(0);      // left column
    window.u16(0x40);   // header colour
    window.u16(0);
    window.u16(0); // zoom in page break preview (default)
    window.u16(0); // zoom in normal view (default)
    window.u32(0);
    AppendRecord(stream, RecWindow2, window);
    AppendRecord(stream, RecEof);

    // A stream below the cutoff would have to go into the mini stream; padding it keeps every
    // stream in regular sectors. Readers stop at the sheet's EOF.
    if (stream.size() < MiniStreamCutoff)
        stream.zeros(MiniStreamCutoff - stream.size());
    return stream.data();
}

void AppendDirectoryEntry(Bytes& out, const QString& name, unsigned type, quint32 child, quint32 start, quint32 size) {
    out.utf16(name, 0, int(name.size()));
    out.zeros(64 - 2 * name.size());
    out.u16(name.isEmpty() ? 0 : unsigned(2 * name.size() + 2)); // bytes, terminating zero included
    out.u8(type);
    out.u8(name.isEmpty() ? 0 : 1); // black: one node is a valid red-black tree
    out.u32(NoStream);              // left and right siblings
    out.u32(NoStream);
    out.u32(child);
    out.zeros(16 + 4 + 8 + 8); // class id, state bits, creation and modification times
    out.u32(start);
    out.u32(size);
    out.u32(0);
}

// The compound document (version 3, 512-byte sectors): the header, then the sectors in the order
// stream, directory, FAT, DIFAT. The stream is never below the mini-stream cutoff, so there is no
// mini FAT. The header lists the first 109 FAT sectors; DIFAT sectors list the rest, 127 each,
// followed by the next DIFAT sector.
QByteArray CompoundDocument(const QByteArray& stream) {
    const quint32 streamSectors = quint32((stream.size() + SectorSize - 1) / SectorSize);
    const quint32 directory = streamSectors;
    // The FAT maps every sector, its own and the DIFAT's included; grow both until they fit.
    quint32 fatSectors = 1, difatSectors = 0;
    for (;;) {
        const quint32 total = streamSectors + 1 + fatSectors + difatSectors;
        const quint32 fat = (total + IdsPerSector - 1) / IdsPerSector;
        const quint32 difat = fat > HeaderDifatIds ? (fat - HeaderDifatIds + IdsPerSector - 2) / (IdsPerSector - 1) : 0;
        if (fat == fatSectors && difat == difatSectors)
            break;
        fatSectors = std::max(fat, fatSectors);
        difatSectors = std::max(difat, difatSectors);
    }
    const quint32 firstFat = directory + 1;
    const quint32 firstDifat = firstFat + fatSectors;

    std::vector<quint32> fat(std::size_t(fatSectors) * IdsPerSector, FreeSect);
    for (quint32 i = 0; i < streamSectors; ++i)
        fat[i] = i + 1 < streamSectors ? i + 1 : EndOfChain;
    fat[directory] = EndOfChain;
    for (quint32 i = 0; i < fatSectors; ++i)
        fat[firstFat + i] = FatSect;
    for (quint32 i = 0; i < difatSectors; ++i)
        fat[firstDifat + i] = DifSect;

    Bytes out;
    out.u32(0xE011CFD0); // signature D0 CF 11 E0 A1 B1 1A E1
    out.u32(0xE11AB1A1);
    out.zeros(16);   // class id
    out.u16(0x003E); // minor version
    out.u16(0x0003); // major version 3
    out.u16(0xFFFE); // little-endian
    out.u16(9);      // sector size 2^9
    out.u16(6);      // mini sector size 2^6
    out.zeros(6);
    out.u32(0); // directory sectors: not counted in version 3
    out.u32(fatSectors);
    out.u32(directory);
    out.u32(0); // transactions unsupported
    out.u32(MiniStreamCutoff);
    out.u32(EndOfChain); // no mini FAT
    out.u32(0);
    out.u32(difatSectors > 0 ? firstDifat : EndOfChain);
    out.u32(difatSectors);
    for (quint32 i = 0; i < HeaderDifatIds; ++i)
        out.u32(i < fatSectors ? firstFat + i : FreeSect);

    out.append(stream);
    out.zeros(qsizetype(streamSectors) * SectorSize - stream.size());

    AppendDirectoryEntry(out, QStringLiteral("Root Entry"), 5, 1, EndOfChain, 0);
    AppendDirectoryEntry(out, QStringLiteral("Workbook"), 2, NoStream, 0, quint32(stream.size()));
    for (int i = 0; i < 2; ++i)
        AppendDirectoryEntry(out, QString(), 0, NoStream, 0, 0);

    for (quint32 id : fat)
        out.u32(id);

    for (quint32 d = 0; d < difatSectors; ++d) {
        for (quint32 k = 0; k < IdsPerSector - 1; ++k) {
            const quint32 index = HeaderDifatIds + d * (IdsPerSector - 1) + k;
            out.u32(index < fatSectors ? firstFat + index : FreeSect);
        }
        out.u32(d + 1 < difatSectors ? firstDifat + d + 1 : EndOfChain);
    }
    return out.data();
}

} // namespace

unsigned XlsWorkbook::key(int row, int column) {
    return unsigned(row) * MaxColumns + unsigned(column);
}

void XlsWorkbook::check(int row, int column) {
    if (row < 0 || row >= MaxRows || column < 0 || column >= MaxColumns)
        throw Error(QStringLiteral("Ячейка (строка %1, столбец %2) не помещается на лист Excel: "
                                   "на нём не больше %3 строк и %4 столбцов.")
                        .arg(row + 1)
                        .arg(column + 1)
                        .arg(MaxRows)
                        .arg(MaxColumns));
}

void XlsWorkbook::setText(int row, int column, const QString& text) {
    check(row, column);
    if (text.size() > MaxTextLength)
        throw Error(QStringLiteral("Текст ячейки (строка %1, столбец %2) длиннее %3 знаков, допустимых в Excel.")
                        .arg(row + 1)
                        .arg(column + 1)
                        .arg(MaxTextLength));
    cells_[key(row, column)] = text;
}

void XlsWorkbook::setNumber(int row, int column, double value) {
    check(row, column);
    cells_[key(row, column)] = value;
}

void XlsWorkbook::save(const QString& fileName) const {
    const QByteArray document = CompoundDocument(WorkbookStream(cells_));
    const QString reason = WriteWholeFile(fileName, document);
    if (!reason.isEmpty())
        throw Error(
            QStringLiteral("Не удалось создать файл «%1»: %2.").arg(QDir::toNativeSeparators(fileName), reason));
}

} // namespace solvane
