// SPDX-License-Identifier: GPL-3.0-or-later
// The one place that talks to mdbtools' libmdb.

#include "tools/access_reader.h"

#include "core/file_io.h"
#include "store/access_header.h"

#include <QFileInfo>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <unistd.h>

// mdbtools.h includes glib inside extern "C": glib comes first.
#include <glib.h>

#include <mdbtools.h>

namespace solvane {

namespace {

// Jet's row offsets carry two flags in their top bits: a deleted row has
// both; a row with only the second one points to where the row was moved;
// the moved row itself carries only the first, so that a scan skips it.
constexpr int kDeletedFlag = 0x8000;
constexpr int kMovedFlag = 0x4000;
constexpr int kOffsetMask = 0x1FFF;

// Text of up to this many bytes (UTF-8) is read whole; libmdb cuts longer
// text, which is refused.
constexpr size_t kBindSize = 1 << 20;

// libmdb reports its troubles on standard error; the reader reports them
// itself, in one line, so the library's lines are dropped while it runs.
class QuietStderr {
public:
    QuietStderr() {
        std::fflush(stderr);
        saved_ = dup(STDERR_FILENO);
        const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (saved_ >= 0 && null >= 0)
            dup2(null, STDERR_FILENO);
        if (null >= 0)
            close(null);
    }
    ~QuietStderr() {
        std::fflush(stderr);
        if (saved_ >= 0) {
            dup2(saved_, STDERR_FILENO);
            close(saved_);
        }
    }
    QuietStderr(const QuietStderr&) = delete;
    QuietStderr& operator=(const QuietStderr&) = delete;

private:
    int saved_ = -1;
};

AccessError Damaged(const QString& detail) {
    return AccessError(AccessError::Kind::Damaged, QStringLiteral("файл повреждён или обрезан (%1)").arg(detail));
}

// What the reader knows of each Jet column type: its kind, its name as
// Access shows it, and the bytes of a fixed-size number.
struct TypeInfo {
    int code;
    AccessType type;
    const char* name;
    int size;
};
const TypeInfo kTypes[] = {
    {MDB_BOOL, AccessType::Boolean, "Логический", 0},
    {MDB_BYTE, AccessType::Byte, "Байт", 1},
    {MDB_INT, AccessType::Integer, "Целое", 2},
    {MDB_LONGINT, AccessType::Long, "Длинное целое", 4},
    {MDB_MONEY, AccessType::Other, "Денежный", 0},
    {MDB_FLOAT, AccessType::Single, "Одинарное с плавающей точкой", 4},
    {MDB_DOUBLE, AccessType::Double, "Двойное с плавающей точкой", 8},
    {MDB_DATETIME, AccessType::Other, "Дата/время", 0},
    {MDB_BINARY, AccessType::Other, "Двоичный", 0},
    {MDB_TEXT, AccessType::Text, "Текстовый", 0},
    {MDB_OLE, AccessType::Other, "Поле объекта OLE", 0},
    {MDB_MEMO, AccessType::Memo, "MEMO", 0},
    {MDB_REPID, AccessType::Other, "Код репликации", 0},
    {MDB_NUMERIC, AccessType::Other, "Действительное", 0},
};

const TypeInfo* Info(int code) {
    for (const TypeInfo& t : kTypes)
        if (t.code == code)
            return &t;
    return nullptr;
}

AccessType TypeOf(int code) {
    const TypeInfo* t = Info(code);
    return t ? t->type : AccessType::Other;
}

QString TypeName(int code) {
    const TypeInfo* t = Info(code);
    return t ? QString::fromUtf8(t->name) : QStringLiteral("код %1").arg(code);
}

int FixedSize(int code) {
    const TypeInfo* t = Info(code);
    return t ? t->size : 0;
}

// Little-endian fields of a row, as Jet stores them.
quint64 LittleEndian(const unsigned char* p, int bytes) {
    quint64 v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = (v << 8) | p[i];
    return v;
}

// Jet 4 text as stored: UTF-16LE, or, after the mark FF FE, segments split by
// zero bytes that switch between one byte a character (the first segment)
// and UTF-16LE. Read here rather than by the library, whose conversion
// through UCS-2 turns every character beyond the Basic Multilingual Plane
// into "??".
QString Jet4Text(const unsigned char* p, int size) {
    QString text;
    const auto utf16 = [&](int from, int to) {
        for (int i = from; i + 1 < to; i += 2)
            text += QChar(static_cast<char16_t>(p[i] | p[i + 1] << 8));
    };
    if (size < 2 || p[0] != 0xFF || p[1] != 0xFE) {
        utf16(0, size);
        return text;
    }
    bool compressed = true;
    int start = 2;
    for (int i = 2; i <= size; ++i) {
        if (i < size && p[i] != 0)
            continue;
        if (compressed)
            for (int j = start; j < i; ++j)
                text += QChar(static_cast<char16_t>(p[j]));
        else
            utf16(start, i);
        compressed = !compressed;
        start = i + 1;
    }
    return text;
}

} // namespace

struct AccessReader::Impl {
    MdbHandle* mdb = nullptr;
    std::map<QString, MdbTableDef*> defs; // by the file's own spelling

    ~Impl() {
        QuietStderr quiet;
        for (auto& d : defs)
            mdb_free_tabledef(d.second);
        mdb_close(mdb);
    }

    MdbTableDef* table(const QString& name) {
        auto found = defs.find(name);
        if (found != defs.end())
            return found->second;
        MdbCatalogEntry* entry = nullptr;
        for (guint i = 0; mdb->catalog && i < mdb->catalog->len; ++i) {
            auto* e = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
            if (mdb_is_user_table(e) && QString::fromUtf8(e->object_name) == name)
                entry = e;
        }
        if (!entry)
            throw Damaged(QStringLiteral("нет таблицы «%1»").arg(name));
        MdbTableDef* def = mdb_read_table(entry);
        if (!def)
            throw Damaged(QStringLiteral("не читается описание таблицы «%1»").arg(name));
        defs.emplace(name, def);
        if (!mdb_read_columns(def) || def->num_cols == 0 || !def->columns || def->columns->len != def->num_cols)
            throw Damaged(QStringLiteral("не читаются столбцы таблицы «%1»").arg(name));
        return def;
    }

    // The wanted values of the row at offset (flags removed) on the page in
    // the library's page buffer.
    std::vector<QVariant> decode(MdbTableDef* def, int offset, size_t size, const std::vector<int>& wanted,
                                 std::vector<MdbField>& fields) {
        const QString name = QString::fromUtf8(def->name);
        if (mdb_crack_row(def, offset, size, fields.data()) < 0)
            throw Damaged(QStringLiteral("не читается строка таблицы «%1»").arg(name));
        std::vector<QVariant> values;
        values.reserve(wanted.size());
        for (const int c : wanted) {
            const auto* column = static_cast<MdbColumn*>(g_ptr_array_index(def->columns, c));
            const MdbField& field = fields[static_cast<size_t>(c)];
            // A boolean is the null bit itself: set is true.
            if (column->col_type == MDB_BOOL) {
                values.emplace_back(qlonglong(field.is_null ? 0 : 1));
                continue;
            }
            if (field.is_null) {
                values.emplace_back();
                continue;
            }
            const int need = FixedSize(column->col_type);
            if (need > 0) {
                if (field.siz < need || field.start < 0 || field.start + need > mdb->fmt->pg_size)
                    throw Damaged(QStringLiteral("не читается значение столбца «%1» таблицы «%2»")
                                      .arg(QString::fromUtf8(column->name), name));
                const quint64 bits = LittleEndian(mdb->pg_buf + field.start, need);
                switch (column->col_type) {
                case MDB_BYTE:
                    values.emplace_back(qlonglong(static_cast<quint8>(bits)));
                    break;
                case MDB_INT:
                    values.emplace_back(qlonglong(static_cast<qint16>(bits)));
                    break;
                case MDB_LONGINT:
                    values.emplace_back(qlonglong(static_cast<qint32>(bits)));
                    break;
                case MDB_FLOAT: {
                    const auto b = static_cast<quint32>(bits);
                    float f;
                    std::memcpy(&f, &b, sizeof f);
                    values.emplace_back(static_cast<double>(f));
                    break;
                }
                default: {
                    double d;
                    std::memcpy(&d, &bits, sizeof d);
                    values.emplace_back(d);
                    break;
                }
                }
                continue;
            }
            if (column->col_type == MDB_TEXT && !IS_JET3(mdb)) {
                if (field.start < 0 || field.siz < 0 || field.start + field.siz > mdb->fmt->pg_size)
                    throw Damaged(QStringLiteral("не читается значение столбца «%1» таблицы «%2»")
                                      .arg(QString::fromUtf8(column->name), name));
                values.emplace_back(Jet4Text(mdb->pg_buf + field.start, field.siz));
                continue;
            }
            // Jet 3 text (in the file's code page) and memo: the library
            // turns them into UTF-8.
            char* text = mdb_col_to_string(mdb, mdb->pg_buf, field.start, column->col_type, field.siz);
            const size_t length = text ? std::strlen(text) : 0;
            const QString value = QString::fromUtf8(text ? text : "", static_cast<qsizetype>(length));
            g_free(text);
            if (length + 8 >= kBindSize)
                throw AccessError(AccessError::Kind::Damaged,
                                  QStringLiteral("текст в столбце «%1» таблицы «%2» длиннее %3 байт")
                                      .arg(QString::fromUtf8(column->name), name)
                                      .arg(kBindSize - 8));
            values.emplace_back(value);
        }
        return values;
    }
};

AccessReader::AccessReader(const QString& path) : impl_(std::make_unique<Impl>()) {
    const QFileInfo info(path);
    // A FIFO or a device is refused before anything reads it.
    const QString notRegular = NotRegularFileReason(path);
    if (!notRegular.isEmpty())
        throw AccessError(AccessError::Kind::NotFound, notRegular);
    if (!IsAccessDatabase(path))
        throw AccessError(AccessError::Kind::NotAccess, QStringLiteral("это не база данных Access"));
    QuietStderr quiet;
    impl_->mdb = mdb_open(QFile::encodeName(path).constData(), MDB_NOFLAGS);
    if (!impl_->mdb)
        throw AccessError(AccessError::Kind::NotAccess,
                          QStringLiteral("это не база данных Access или её версия неизвестна"));
    // A file is made of whole pages; a shorter one was cut off.
    if (info.size() % impl_->mdb->fmt->pg_size != 0)
        throw Damaged(QStringLiteral("его размер не кратен странице в %1 байт").arg(impl_->mdb->fmt->pg_size));
    mdb_set_bind_size(impl_->mdb, kBindSize);
    if (!mdb_read_catalog(impl_->mdb, MDB_TABLE))
        throw Damaged(QStringLiteral("не читается список таблиц"));
}

AccessReader::~AccessReader() = default;

QStringList AccessReader::tables() const {
    QStringList names;
    GPtrArray* catalog = impl_->mdb->catalog;
    for (guint i = 0; catalog && i < catalog->len; ++i) {
        auto* e = static_cast<MdbCatalogEntry*>(g_ptr_array_index(catalog, i));
        if (mdb_is_user_table(e))
            names << QString::fromUtf8(e->object_name);
    }
    return names;
}

std::vector<AccessColumn> AccessReader::columns(const QString& table) {
    QuietStderr quiet;
    MdbTableDef* def = impl_->table(table);
    std::vector<AccessColumn> result;
    for (guint i = 0; i < def->columns->len; ++i) {
        const auto* c = static_cast<MdbColumn*>(g_ptr_array_index(def->columns, i));
        result.push_back({QString::fromUtf8(c->name), TypeOf(c->col_type), TypeName(c->col_type)});
    }
    return result;
}

void AccessReader::readRows(const QString& table, const std::vector<int>& wanted,
                            const std::function<void(const std::vector<QVariant>&)>& row) {
    QuietStderr quiet;
    MdbHandle* mdb = impl_->mdb;
    MdbTableDef* def = impl_->table(table);
    for (const int c : wanted)
        if (c < 0 || static_cast<guint>(c) >= def->columns->len)
            throw Damaged(QStringLiteral("нет столбца %1 в таблице «%2»").arg(c).arg(table));
    std::vector<MdbField> fields(def->num_cols);
    // Moved rows by page and row number, and the places the live rows were moved to.
    std::map<std::pair<quint32, int>, std::vector<QVariant>> moved;
    std::vector<std::pair<quint32, int>> movedTo;
    unsigned long count = 0;
    mdb_rewind_table(def);
    while (mdb_read_next_dpg(def)) {
        const quint32 page = def->cur_phys_pg;
        const int rows = mdb_get_int16(mdb->pg_buf, mdb->fmt->row_count_offset);
        for (int r = 0; r < rows; ++r) {
            int start = 0;
            size_t size = 0;
            if (mdb_find_row(mdb, r, &start, &size) != 0)
                throw Damaged(QStringLiteral("не читается страница %1 таблицы «%2»").arg(page).arg(table));
            const int offset = start & kOffsetMask;
            if ((start & kDeletedFlag) && (start & kMovedFlag))
                continue;
            if (start & kMovedFlag) {
                // The row lives elsewhere: a row number, then a page number.
                if (size < 4)
                    throw Damaged(QStringLiteral("не читается строка таблицы «%1»").arg(table));
                const unsigned char* p = mdb->pg_buf + offset;
                movedTo.emplace_back(static_cast<quint32>(LittleEndian(p + 1, 3)), p[0]);
                continue;
            }
            if (size == 0)
                continue;
            if (start & kDeletedFlag) {
                // Read where it was moved to, if it was; otherwise deleted.
                try {
                    moved.emplace(std::make_pair(page, r), impl_->decode(def, offset, size, wanted, fields));
                } catch (const AccessError&) {
                }
                continue;
            }
            row(impl_->decode(def, offset, size, wanted, fields));
            ++count;
        }
    }
    for (const auto& place : movedTo) {
        const auto found = moved.find(place);
        if (found == moved.end())
            throw Damaged(QStringLiteral("потеряна перенесённая строка таблицы «%1»").arg(table));
        row(found->second);
        ++count;
    }
    if (count != def->num_rows)
        throw Damaged(
            QStringLiteral("в таблице «%1» прочитано строк: %2 из %3").arg(table).arg(count).arg(def->num_rows));
}

} // namespace solvane
